#include "app/about_box.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingMessages;
using testing::ShownMessage;
using testing::TempDir;

constexpr const char* kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr long kMoreData = 234;

struct StoredValue {
  std::uint32_t type;
  std::string bytes;
};

// Keys of values, with every open and close counted.
class FakeStore : public KeyValueStore {
 public:
  long OpenKey(std::uint32_t root, const std::string& keyName, std::uint32_t access,
               Handle& key) override {
    opened.push_back(keyName);
    accesses.push_back(access);
    if (root != kLocalMachineRoot || keys.count(keyName) == 0) return kKeyNotFound;
    key = nextHandle++;
    openKeys[key] = keyName;
    ++opens;
    return 0;
  }
  long QueryValue(Handle key, const std::string& valueName, std::uint32_t& type,
                  std::span<char> data, std::uint32_t& size) override {
    EXPECT_EQ(size, data.size());
    const auto& values = keys.at(openKeys.at(key));
    const auto found = values.find(valueName);
    if (found == values.end()) return kKeyNotFound;
    type = found->second.type;
    size = static_cast<std::uint32_t>(found->second.bytes.size());
    if (found->second.bytes.size() > data.size()) return kMoreData;
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
  std::vector<std::uint32_t> accesses;
  int opens = 0;
  int closes = 0;
  Handle nextHandle = 100;
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

StoredValue Text(const std::string& text) { return {kStringValueType, text + '\0'}; }

class AboutBoxTest : public ::testing::Test {
 protected:
  void ExpectAllKeysClosed() {
    EXPECT_TRUE(store.openKeys.empty());
    EXPECT_EQ(store.closes, store.opens);
  }
  std::string Read(const StoredValue& value, std::string keyVal = "as it came") {
    store.keys["K"]["V"] = value;
    read = GetKeyValue(store, kLocalMachineRoot, "K", "V", keyVal);
    return keyVal;
  }

  FakeStore store;
  FakeStarter starter;
  RecordingMessages messages;
  bool read = false;
  const ShownMessage unavailable{"System Information Is Unavailable At This Time", "Tavelin"};
};

TEST_F(AboutBoxTest, GetKeyValueReadsStringsAndNumbersAsText) {
  EXPECT_EQ(Read(Text("C:\\Tools\\msinfo32.exe")), "C:\\Tools\\msinfo32.exe");
  EXPECT_TRUE(read);
  EXPECT_EQ(Read({kStringValueType, "no terminator"}), "no terminator");
  EXPECT_EQ(Read({kStringValueType, std::string("two\0\0", 5)}), std::string("two\0", 4));
  EXPECT_EQ(Read({kStringValueType, std::string(1, '\0')}), "");
  EXPECT_EQ(Read({kStringValueType, std::string(1024, 'x')}), std::string(1024, 'x'));
  EXPECT_EQ(Read({kNumberValueType, std::string("\x1F\0\0\0", 4)}), "&h1F");
  EXPECT_EQ(Read({kNumberValueType, std::string("\x78\x56\x34\x12", 4)}), "&h12345678");
  EXPECT_EQ(Read({kNumberValueType, std::string("\0\x01\0\0", 4)}), "&h100");
  EXPECT_EQ(Read({kNumberValueType, std::string("\xFF\xFF\xFF\xFF", 4)}), "&hFFFFFFFF");
  // Any other type leaves the text as it came in, and counts as read.
  EXPECT_EQ(Read({3, "\x01\x02"}), "as it came");
  EXPECT_TRUE(read);
  ExpectAllKeysClosed();
  for (std::uint32_t access : store.accesses) EXPECT_EQ(access, 0x2003Fu);
}

TEST_F(AboutBoxTest, GetKeyValueFailsWithAnEmptyTextAndClosesTheKey) {
  EXPECT_EQ(Read({kStringValueType, std::string(1025, 'x')}), "");
  EXPECT_FALSE(read);
  std::string keyVal = "old";
  EXPECT_FALSE(GetKeyValue(store, kLocalMachineRoot, "K", "missing value", keyVal));
  EXPECT_EQ(keyVal, "");
  keyVal = "old";
  EXPECT_FALSE(GetKeyValue(store, kLocalMachineRoot, "missing key", "V", keyVal));
  EXPECT_EQ(keyVal, "");
  // A value of size zero is an error, not a plain failure; the key is closed all the same.
  store.keys["K"]["empty"] = {kStringValueType, ""};
  try {
    GetKeyValue(store, kLocalMachineRoot, "K", "empty", keyVal);
    ADD_FAILURE() << "no error raised";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number(), 5);
  }
  ExpectAllKeysClosed();
  EXPECT_EQ(store.closes, 3);
}

TEST_F(AboutBoxTest, TheFirstValueStartsTheToolDirectly) {
  store.keys[kFirstKey]["PATH"] = Text("C:\\Nowhere\\msinfo32.exe");
  store.keys[kSecondKey]["MSINFO"] = Text("/somewhere");
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(starter.started, std::vector<std::string>{"C:\\Nowhere\\msinfo32.exe"});
  EXPECT_EQ(store.opened, std::vector<std::string>{kFirstKey});
  EXPECT_TRUE(messages.shown.empty());
  ExpectAllKeysClosed();
}

TEST_F(AboutBoxTest, TheSecondValueNamesAFolderThatMustHoldTheTool) {
  TempDir folder;
  store.keys[kFirstKey] = {};  // the key without its value
  store.keys[kSecondKey]["MSINFO"] = Text(folder.Path().string());

  StartSysInfo(store, starter, messages);
  EXPECT_TRUE(starter.started.empty());
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{unavailable});

  testing::WriteBytes(folder.File("MSINFO32.EXE"), {});
  messages.shown.clear();
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(starter.started, std::vector<std::string>{folder.File("MSINFO32.EXE")});
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(store.opened,
            (std::vector<std::string>{kFirstKey, kSecondKey, kFirstKey, kSecondKey}));
  ExpectAllKeysClosed();
}

TEST_F(AboutBoxTest, EveryFailureShowsTheOneMessage) {
  // Neither value.
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(store.opened, (std::vector<std::string>{kFirstKey, kSecondKey}));
  // A first value of size zero: an error, so the second key is never tried.
  store.keys[kFirstKey]["PATH"] = {kStringValueType, ""};
  store.keys[kSecondKey]["MSINFO"] = Text("/");
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(store.opened.back(), kFirstKey);
  // A tool that does not start.
  store.keys[kFirstKey]["PATH"] = Text("/no/such/tool");
  starter.succeeds = false;
  StartSysInfo(store, starter, messages);
  EXPECT_EQ(starter.started, std::vector<std::string>{"/no/such/tool"});
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(3, unavailable));
  ExpectAllKeysClosed();
}

TEST_F(AboutBoxTest, TheBoxShowsTheNameVersionAndDescription) {
  EmptyKeyValueStore empty;
  frmAbout box(nullptr, messages, empty, starter);
  EXPECT_EQ(box.windowTitle(), "About Tavelin");
  EXPECT_EQ(box.lblVersion->text(), "Version 3.3.1");
  EXPECT_TRUE(box.lblTitle->text().contains("Tavelin"));
  EXPECT_TRUE(box.lblTitle->font().bold());
  EXPECT_EQ(box.lblDescription->text(),
            "Tavelin is a program that reads a data file generator by Corvane version 1.6.2, or "
            "later. It processes that data file into plots of variables versus frequency.");
  EXPECT_FALSE(box.lblDisclaimer->text().isEmpty());
  EXPECT_EQ(box.picIcon->pixmap().size(), QSize(100, 125));
  EXPECT_EQ(box.size(), QSize(5730 / 15, 3555 / 15));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_EQ(box.cmdSysInfo->text(), "&System Info...");
}

TEST_F(AboutBoxTest, EveryCaptionIsWholeAndClearOfItsNeighbours) {
  EmptyKeyValueStore empty;
  frmAbout box(nullptr, messages, empty, starter);
  const std::vector<QWidget*> widgets = {box.picIcon, box.lblTitle, box.lblVersion,
                                         box.lblDescription, box.lblDisclaimer, box.cmdOK,
                                         box.cmdSysInfo};
  for (QLabel* label : {box.lblTitle, box.lblVersion, box.lblDescription, box.lblDisclaimer}) {
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                           Qt::TextWordWrap, label->text());
    EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
    EXPECT_LE(label->geometry().bottom(), box.height()) << label->objectName().toStdString();
  }
  for (QPushButton* button : {box.cmdOK, box.cmdSysInfo}) {
    const int text = button->fontMetrics().horizontalAdvance(button->text().remove('&'));
    EXPECT_LE(text + 4, button->width()) << button->text().toStdString();
  }
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    for (std::size_t j = i + 1; j < widgets.size(); ++j) {
      EXPECT_FALSE(widgets[i]->geometry().intersects(widgets[j]->geometry()))
          << widgets[i]->objectName().toStdString() << " " << widgets[j]->objectName().toStdString();
    }
  }
  // Nothing above the separator reaches down to it.
  for (QLabel* label : {box.lblTitle, box.lblVersion, box.lblDescription}) {
    EXPECT_LT(label->geometry().bottom(), 2445 / 15);
  }
}

TEST_F(AboutBoxTest, SystemInfoWithoutARegistryShowsTheMessageAndTheBoxStays) {
  EmptyKeyValueStore empty;
  frmAbout box(nullptr, messages, empty, starter);
  box.show();
  box.cmdSysInfo->click();
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{unavailable});
  EXPECT_TRUE(starter.started.empty());
  EXPECT_TRUE(box.isVisible());
}

TEST_F(AboutBoxTest, EnterAndEscBothPressOk) {
  EmptyKeyValueStore empty;
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    frmAbout box(nullptr, messages, empty, starter);
    box.show();
    QTest::keyClick(&box, key);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tavelin
