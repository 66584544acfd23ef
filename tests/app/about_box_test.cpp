#include "app/about_box.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "support/recording.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::ShownMessage;
using Value = std::pair<std::uint32_t, std::string>;  // type and bytes

constexpr const char* kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
Value Text(const std::string& text) { return {kStringValueType, text + '\0'}; }

// Keys of typed values; counts the keys opened and closed.
class FakeStore : public KeyValueStore {
 public:
  long OpenKey(std::uint32_t root, const std::string& name, std::uint32_t access, Handle& key) override {
    opened.push_back(name);
    EXPECT_EQ(access, 0x2003Fu);
    if (root != kLocalMachineRoot || keys.count(name) == 0) return kKeyNotFound;
    key = opened.size();
    return ++opens, 0;
  }
  long QueryValue(Handle key, const std::string& name, std::uint32_t& type, std::span<char> data,
                  std::uint32_t& size) override {
    const auto& values = keys.at(opened.at(key - 1));
    if (values.count(name) == 0) return kKeyNotFound;
    const auto& [storedType, bytes] = values.at(name);
    type = storedType;
    size = static_cast<std::uint32_t>(bytes.size());
    if (size > data.size()) return 234;  // more data than the buffer holds
    std::copy(bytes.begin(), bytes.end(), data.begin());
    return 0;
  }
  long CloseKey(Handle) override { return ++closes, 0; }

  std::map<std::string, std::map<std::string, Value>> keys;
  std::vector<std::string> opened;
  std::size_t opens = 0, closes = 0;
};

class AboutBoxTest : public ::testing::Test, public ProgramStarter {
 protected:
  ~AboutBoxTest() override { EXPECT_EQ(store.closes, store.opens) << "every key opened is closed, once"; }
  bool Start(const std::string& program) override {
    started.push_back(program);
    return program != "/no/such/tool";
  }

  FakeStore store;
  std::vector<std::string> started;
  testing::RecordingMessages messages;
  const ShownMessage unavailable{"System Information Is Unavailable At This Time", "Tavelin"};
};

TEST_F(AboutBoxTest, GetKeyValueReadsStringsAndNumbersAsText) {
  const std::tuple<Value, bool, std::string> cases[] = {
      {Text("C:\\Tools\\msinfo32.exe"), true, "C:\\Tools\\msinfo32.exe"},
      {{kStringValueType, "no terminator"}, true, "no terminator"},
      {{kStringValueType, std::string(1024, 'x')}, true, std::string(1024, 'x')},
      {{kStringValueType, std::string(1025, 'x')}, false, ""},
      {{kNumberValueType, std::string("\x1F\0\0\0", 4)}, true, "&h1F"},
      {{kNumberValueType, std::string("\x78\x56\x34\x12", 4)}, true, "&h12345678"},
      {{3, "\x01\x02"}, true, "as it came"}};  // another type: read, the text untouched
  for (const auto& [value, read, text] : cases) {
    store.keys["K"]["V"] = value;
    std::string keyVal = "as it came";
    EXPECT_EQ(GetKeyValue(store, kLocalMachineRoot, "K", "V", keyVal), read) << text;
    EXPECT_EQ(keyVal, text);
  }
  std::string keyVal = "old";
  EXPECT_FALSE(GetKeyValue(store, kLocalMachineRoot, "K", "no such value", keyVal));
  EXPECT_EQ(keyVal, "");
  // A value of size zero raises 5 rather than failing plainly; the key is closed all the same.
  store.keys["K"]["V"] = {kStringValueType, ""};
  EXPECT_EQ(testing::ErrorOf([&] { GetKeyValue(store, kLocalMachineRoot, "K", "V", keyVal); }), 5);
}

TEST_F(AboutBoxTest, SystemInfoStartsTheToolOfTheFirstValueOrTheOneInTheSecondValuesFolder) {
  StartSysInfo(store, *this, messages);  // neither key: unavailable
  EXPECT_EQ(store.opened, (std::vector<std::string>{kFirstKey, kSecondKey}));
  testing::TempDir folder;
  store.keys[kFirstKey] = {};  // the key without its value
  store.keys[kSecondKey]["MSINFO"] = Text(folder.Path().string());
  StartSysInfo(store, *this, messages);  // no MSINFO32.EXE there: unavailable
  testing::WriteBytes(folder.File("MSINFO32.EXE"), {});
  StartSysInfo(store, *this, messages);
  EXPECT_EQ(started, std::vector<std::string>{folder.File("MSINFO32.EXE")});
  store.keys[kFirstKey]["PATH"] = Text("C:\\Nowhere\\msinfo32.exe");
  store.opened.clear();
  StartSysInfo(store, *this, messages);
  EXPECT_EQ(started.back(), "C:\\Nowhere\\msinfo32.exe");
  EXPECT_EQ(store.opened, std::vector<std::string>{kFirstKey}) << "looked further than the first value";
  store.keys[kFirstKey]["PATH"] = Text("/no/such/tool");  // which does not start: unavailable
  StartSysInfo(store, *this, messages);
  // A first value of size zero raises an error, so the second key is never tried: unavailable.
  store.keys[kFirstKey]["PATH"] = {kStringValueType, ""};
  StartSysInfo(store, *this, messages);
  EXPECT_EQ(store.opened.size(), 3u);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(4, unavailable));
}

// (The box itself, its caption and version, is seen through the main window's Help menu.)

}  // namespace
}  // namespace tavelin
