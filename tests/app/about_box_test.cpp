#include "app/about_box.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <map>
#include <vector>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingMessages;
using testing::ShownMessage;

constexpr const char* kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct StoredValue {
  std::uint32_t type;
  std::string bytes;
};
StoredValue Text(const std::string& text) { return {kStringValueType, text + '\0'}; }

// Keys of values, with every open and close counted.
class FakeStore : public KeyValueStore {
 public:
  long OpenKey(std::uint32_t root, const std::string& keyName, std::uint32_t access,
               Handle& key) override {
    opened.push_back(keyName);
    EXPECT_EQ(access, 0x2003Fu);
    if (root != kLocalMachineRoot || keys.count(keyName) == 0) return kKeyNotFound;
    key = ++opens;
    openKeys[key] = keyName;
    return 0;
  }
  long QueryValue(Handle key, const std::string& valueName, std::uint32_t& type,
                  std::span<char> data, std::uint32_t& size) override {
    const auto& values = keys.at(openKeys.at(key));
    const auto found = values.find(valueName);
    if (found == values.end()) return kKeyNotFound;
    type = found->second.type;
    size = static_cast<std::uint32_t>(found->second.bytes.size());
    if (size > data.size()) return 234;  // more data than the buffer holds
    std::copy(found->second.bytes.begin(), found->second.bytes.end(), data.begin());
    return 0;
  }
  long CloseKey(Handle key) override {
    ++closes;
    return openKeys.erase(key) == 1 ? 0 : 6;
  }

  std::map<std::string, std::map<std::string, StoredValue>> keys;
  std::map<Handle, std::string> openKeys;
  std::vector<std::string> opened;
  std::size_t opens = 0;
  std::size_t closes = 0;
};

class FakeStarter : public ProgramStarter {
 public:
  bool Start(const std::string& program) override {
    started.push_back(program);
    return succeeds;
  }
  std::vector<std::string> started;
  bool succeeds = true;
};

class AboutBoxTest : public ::testing::Test {
 protected:
  ~AboutBoxTest() override {
    EXPECT_TRUE(store.openKeys.empty());
    EXPECT_EQ(store.closes, store.opens);
  }
  // GetKeyValue on one stored value; "as it came" is what KeyVal held before.
  std::string Read(const StoredValue& value, bool expectRead = true) {
    store.keys["K"]["V"] = value;
    std::string keyVal = "as it came";
    EXPECT_EQ(GetKeyValue(store, kLocalMachineRoot, "K", "V", keyVal), expectRead);
    return keyVal;
  }

  FakeStore store;
  FakeStarter starter;
  RecordingMessages messages;
  const ShownMessage unavailable{"System Information Is Unavailable At This Time", "Tavelin"};
};

TEST_F(AboutBoxTest, GetKeyValueReadsStringsAndNumbersAsText) {
  EXPECT_EQ(Read(Text("C:\\Tools\\msinfo32.exe")), "C:\\Tools\\msinfo32.exe");
  EXPECT_EQ(Read({kStringValueType, "no terminator"}), "no terminator");
  EXPECT_EQ(Read({kStringValueType, std::string("two\0\0", 5)}), std::string("two\0", 4));
  EXPECT_EQ(Read({kStringValueType, std::string(1024, 'x')}), std::string(1024, 'x'));
  EXPECT_EQ(Read({kNumberValueType, std::string("\x1F\0\0\0", 4)}), "&h1F");
  EXPECT_EQ(Read({kNumberValueType, std::string("\0\x01\0\0", 4)}), "&h100");
  EXPECT_EQ(Read({kNumberValueType, std::string("\x78\x56\x34\x12", 4)}), "&h12345678");
  EXPECT_EQ(Read({3, "\x01\x02"}), "as it came");  // another type: read, text untouched
  EXPECT_EQ(Read({kStringValueType, std::string(1025, 'x')}, false), "");
  std::string keyVal = "old";
  EXPECT_FALSE(GetKeyValue(store, kLocalMachineRoot, "K", "no such value", keyVal));
  EXPECT_EQ(keyVal, "");
  EXPECT_FALSE(GetKeyValue(store, kLocalMachineRoot, "no such key", "V", keyVal));
  // A value of size zero is an error rather than a plain failure; the key is closed all the same.
  store.keys["K"]["V"] = {kStringValueType, ""};
  EXPECT_THROW(GetKeyValue(store, kLocalMachineRoot, "K", "V", keyVal), RunTimeError);
  EXPECT_EQ(store.opens, 11u);
}

TEST_F(AboutBoxTest, TheFirstValueStartsTheToolWithoutLookingFurther) {
  store.keys[kFirstKey]["PATH"] = Text("C:\\Nowhere\\msinfo32.exe");
  store.keys[kSecondKey]["MSINFO"] = Text("/somewhere");
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(starter.started, std::vector<std::string>{"C:\\Nowhere\\msinfo32.exe"});
  EXPECT_EQ(store.opened, std::vector<std::string>{kFirstKey});
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AboutBoxTest, TheSecondValueNamesAFolderThatMustHoldTheTool) {
  testing::TempDir folder;
  store.keys[kFirstKey] = {};  // the key without its value
  store.keys[kSecondKey]["MSINFO"] = Text(folder.Path().string());
  StartSysInfo(store, starter, messages);
  EXPECT_TRUE(starter.started.empty());
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{unavailable});

  testing::WriteBytes(folder.File("MSINFO32.EXE"), {});
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(starter.started, std::vector<std::string>{folder.File("MSINFO32.EXE")});
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(AboutBoxTest, EveryOtherFailureShowsTheOneMessage) {
  StartSysInfo(store, starter, messages);  // neither value
  EXPECT_EQ(store.opened, (std::vector<std::string>{kFirstKey, kSecondKey}));
  // A first value of size zero raises an error, so the second key is never tried.
  store.keys[kFirstKey]["PATH"] = {kStringValueType, ""};
  store.keys[kSecondKey]["MSINFO"] = Text("/");
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(store.opened.size(), 3u);
  store.keys[kFirstKey]["PATH"] = Text("/no/such/tool");
  starter.succeeds = false;
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(starter.started, std::vector<std::string>{"/no/such/tool"});
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(3, unavailable));
}

TEST_F(AboutBoxTest, TheBoxShowsNameVersionAndDescriptionWhole) {
  EmptyKeyValueStore empty;
  frmAbout box(nullptr, messages, empty, starter);
  EXPECT_EQ(box.windowTitle(), "About Tavelin");
  EXPECT_EQ(box.lblVersion->text(), "Version 3.3.1");
  EXPECT_TRUE(box.lblTitle->text().contains("Tavelin"));
  EXPECT_EQ(box.lblDescription->text(),
            "Tavelin is a program that reads a data file generator by Corvane version 1.6.2, or "
            "later. It processes that data file into plots of variables versus frequency.");
  EXPECT_EQ(box.picIcon->pixmap().size(), QSize(100, 125));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  // Every caption fits its box, and no two controls overlap.
  for (QLabel* label : {box.lblTitle, box.lblVersion, box.lblDescription, box.lblDisclaimer}) {
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                           Qt::TextWordWrap, label->text());
    EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
  }
  for (QPushButton* button : {box.cmdOK, box.cmdSysInfo}) {
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove('&')) + 4,
              button->width());
  }
  const std::vector<QWidget*> all = {box.picIcon, box.lblTitle, box.lblVersion, box.lblDescription,
                                     box.lblDisclaimer, box.cmdOK, box.cmdSysInfo};
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      EXPECT_FALSE(all[i]->geometry().intersects(all[j]->geometry())) << i << " " << j;
    }
  }
  EXPECT_LT(box.lblDescription->geometry().bottom(), 2445 / 15);  // above the separator
}

TEST_F(AboutBoxTest, SystemInfoWithoutARegistryShowsTheMessageAndEnterOrEscCloses) {
  EmptyKeyValueStore empty;
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    frmAbout box(nullptr, messages, empty, starter);
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    EXPECT_EQ(QApplication::focusWidget(), box.cmdOK);
    box.cmdSysInfo->click();
    EXPECT_TRUE(box.isVisible());
    QTest::keyClick(&box, key);
    EXPECT_FALSE(box.isVisible());
  }
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(2, unavailable));
  EXPECT_TRUE(starter.started.empty());
}

}  // namespace
}  // namespace tavelin
