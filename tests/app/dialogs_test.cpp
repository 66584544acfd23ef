#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <map>

#include "app/about_box.hpp"
#include "app/configure_dialog.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

TEST(ReadStepCountEntry, RoundsHalvesToEvenAndRefusesWhatA16BitCountCannotHold) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"49.5", 50}, {"48.5", 48}, {"12abc", 12}, {"", 0}, {"&H1F", 31}, {"-1.5", -2}, {"32767.4", 32767},
      {"-32768.5", -32768}, {"32767.5", std::nullopt}, {"-32769", std::nullopt}, {"&H8000", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadStepCountEntry(text), expected) << text;
}

// The close box keeps the count; OK stores it, or refuses what 16 bits cannot hold. Esc does nothing,
// and Enter presses OK only with the focus on it.
TEST(ConfigureDialog, StoresOnOkOnlyAndRefusesWhatSixteenBitsCannotHold) {
  testing::RecordingMessages messages;
  std::int16_t StepCount = 100;
  frmConfigure closed(nullptr, messages, StepCount), refused(nullptr, messages, StepCount), dialog(nullptr, messages, StepCount);
  closed.txtNumberOfSteps->setText("9");
  closed.close();
  refused.txtNumberOfSteps->setText("32767.5");
  refused.cmdOK->click();
  EXPECT_EQ(std::pair(StepCount, messages.shown), std::pair(std::int16_t{100}, std::vector<testing::ShownMessage>{
                                {"The Number of Steps must be a whole number from -32768 to 32767.", "Tavelin"}}));
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.txtNumberOfSteps->setText("250 steps");
  for (QWidget* at : {static_cast<QWidget*>(dialog.cmdOK), static_cast<QWidget*>(dialog.txtNumberOfSteps)}) {
    at->setFocus();
    QTest::keyClick(at, Qt::Key_Escape);
  }
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Return);
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(dialog.isVisible() && StepCount == 100);
  dialog.cmdOK->setFocus();
  QTest::keyClick(dialog.cmdOK, Qt::Key_Return);
  EXPECT_TRUE(!dialog.isVisible() && StepCount == 250);
  EXPECT_EQ(frmConfigure(nullptr, messages, StepCount).txtNumberOfSteps->text(), "250");
}

using Value = std::pair<std::uint32_t, std::string>;  // type and bytes
constexpr const char* kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
Value Text(const std::string& text) { return {1, text + '\0'}; }

// Keys of typed values; a tool starter that fails for one name. Every key opened must be closed once.
class AboutBoxTest : public ::testing::Test, public KeyValueStore, public ProgramStarter {
 protected:
  ~AboutBoxTest() override { EXPECT_EQ(closes, opens); }
  long OpenKey(std::uint32_t root, const std::string& name, std::uint32_t access, Handle& key) override {
    opened.push_back(name);
    if (root != 0x80000002u || access != 0x2003Fu || keys.count(name) == 0) return 2;
    return key = opened.size(), ++opens, 0;
  }
  long QueryValue(Handle key, const std::string& name, std::uint32_t& type, std::span<char> data,
                  std::uint32_t& size) override {
    const auto& values = keys.at(opened.at(key - 1));
    if (values.count(name) == 0) return 2;
    std::tie(type, std::ignore) = values.at(name);
    const std::string& bytes = values.at(name).second;
    size = static_cast<std::uint32_t>(bytes.size());
    if (size > data.size()) return 234;
    return std::copy(bytes.begin(), bytes.end(), data.begin()), 0;
  }
  long CloseKey(Handle) override { return ++closes, 0; }
  bool Start(const std::string& program) override { return started.push_back(program), program != "/no/such/tool"; }

  std::map<std::string, std::map<std::string, Value>> keys;
  std::vector<std::string> opened, started;
  std::size_t opens = 0, closes = 0;
  testing::RecordingMessages messages;
};

TEST_F(AboutBoxTest, GetKeyValueReadsStringsAndNumbersAsText) {
  const std::tuple<Value, bool, std::string> cases[] = {
      {Text("C:\\Tools\\msinfo32.exe"), true, "C:\\Tools\\msinfo32.exe"}, {{1, "no terminator"}, true, "no terminator"},
      {{1, std::string(1024, 'x')}, true, std::string(1024, 'x')},        {{1, std::string(1025, 'x')}, false, ""},
      {{4, std::string("\x1F\0\0\0", 4)}, true, "&h1F"},                 {{4, "\x78\x56\x34\x12"}, true, "&h12345678"},
      {{3, "\x01\x02"}, true, "as it came"}};
  for (const auto& [value, read, text] : cases) {
    keys["K"]["V"] = value;
    std::string keyVal = "as it came";
    EXPECT_EQ(GetKeyValue(*this, 0x80000002u, "K", "V", keyVal), read) << text;
    EXPECT_EQ(keyVal, text);
  }
  std::string keyVal = "old";
  EXPECT_FALSE(GetKeyValue(*this, 0x80000002u, "K", "no such value", keyVal));
  EXPECT_EQ(keyVal, "");
  keys["K"]["V"] = {1, ""};  // size zero: an error, and the key is closed all the same
  EXPECT_NE(testing::ErrorOf([&] { GetKeyValue(*this, 0x80000002u, "K", "V", keyVal); }), 0);
}

TEST_F(AboutBoxTest, SystemInfoStartsTheToolOfTheFirstValueOrTheOneInTheSecondValuesFolder) {
  StartSysInfo(*this, *this, messages);  // neither key: unavailable
  EXPECT_EQ(opened, (std::vector<std::string>{kFirstKey, kSecondKey}));
  testing::TempDir folder;
  keys[kFirstKey] = {};
  keys[kSecondKey]["MSINFO"] = Text(folder.Path().string());
  StartSysInfo(*this, *this, messages);  // no MSINFO32.EXE there: unavailable
  testing::WriteBytes(folder.File("MSINFO32.EXE"), {});
  StartSysInfo(*this, *this, messages);
  EXPECT_EQ(started, std::vector<std::string>{folder.Path().string() + "/MSINFO32.EXE"});
  keys[kFirstKey]["PATH"] = Text("C:\\Nowhere\\msinfo32.exe");
  opened.clear();
  StartSysInfo(*this, *this, messages);
  EXPECT_EQ(std::pair(started.back(), opened), std::pair(std::string("C:\\Nowhere\\msinfo32.exe"), std::vector<std::string>{kFirstKey}));
  keys[kFirstKey]["PATH"] = Text("/no/such/tool");  // which does not start: unavailable
  StartSysInfo(*this, *this, messages);
  keys[kFirstKey]["PATH"] = {1, ""};  // an error, so the second key is never tried: unavailable
  StartSysInfo(*this, *this, messages);
  EXPECT_EQ(opened.size(), 3u);
  EXPECT_EQ(messages.shown, std::vector<testing::ShownMessage>(4, {"System Information Is Unavailable At This Time", "Tavelin"}));
}

}  // namespace
}  // namespace tavelin
