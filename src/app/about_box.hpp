#pragma once

#include <QDialog>
#include <cstdint>
#include <span>
#include <string>

#include "base/messages.hpp"

class QLabel;
class QPushButton;

namespace tavelin {

// A registry-like store of named values under keys, as the System Info button reads it. Return
// codes follow the registry's: 0 for success, anything else a failure.
class KeyValueStore {
 public:
  using Handle = std::uintptr_t;
  virtual ~KeyValueStore() = default;
  virtual long OpenKey(std::uint32_t root, const std::string& keyName, std::uint32_t access,
                       Handle& key) = 0;
  // Copies the value's bytes into data and sets its type and its size in bytes. A value larger
  // than data fails.
  virtual long QueryValue(Handle key, const std::string& valueName, std::uint32_t& type,
                          std::span<char> data, std::uint32_t& size) = 0;
  virtual long CloseKey(Handle key) = 0;
};

inline constexpr std::uint32_t kLocalMachineRoot = 0x80000002u;
inline constexpr std::uint32_t kKeyAllAccess = 0x2003Fu;
inline constexpr std::uint32_t kStringValueType = 1;
inline constexpr std::uint32_t kNumberValueType = 4;  // 32-bit, little-endian
inline constexpr long kKeyNotFound = 2;

// A platform without a registry: every key is missing.
class EmptyKeyValueStore : public KeyValueStore {
 public:
  long OpenKey(std::uint32_t, const std::string&, std::uint32_t, Handle&) override {
    return kKeyNotFound;
  }
  long QueryValue(Handle, const std::string&, std::uint32_t&, std::span<char>,
                  std::uint32_t&) override {
    return kKeyNotFound;
  }
  long CloseKey(Handle) override { return kKeyNotFound; }
};

// Starts a program in its own normal window and returns at once; false when it could not start.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  virtual bool Start(const std::string& program) = 0;
};

// Starts the program as a detached process.
class DetachedProgramStarter : public ProgramStarter {
 public:
  bool Start(const std::string& program) override;
};

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// Reads one value as text into KeyVal: a string without its terminating zero, a 32-bit number as
// "&h" and hexadecimal digits, any other type leaving KeyVal as it came. Returns false with an empty
// KeyVal when the key or the value cannot be read; a value of size zero raises error 5. The key is
// closed on every path.
bool GetKeyValue(KeyValueStore& store, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

// Finds the system information tool through the store and starts it, or shows kSysInfoUnavailable.
void StartSysInfo(KeyValueStore& store, ProgramStarter& starter, MessageBoxes& messages);

// "Version " and the version the build states once.
std::string VersionCaption();

// The about box: name, version, description, and the System Info button.
class frmAbout : public QDialog {
  Q_OBJECT

 public:
  frmAbout(QWidget* parent, MessageBoxes& messages, KeyValueStore& store, ProgramStarter& starter);

  QLabel* picIcon() const { return picIcon_; }
  QLabel* lblTitle() const { return lblTitle_; }
  QLabel* lblVersion() const { return lblVersion_; }
  QLabel* lblDescription() const { return lblDescription_; }
  QLabel* lblDisclaimer() const { return lblDisclaimer_; }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

  void Form_Load();
  void cmdOK_Click();
  void cmdSysInfo_Click();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* picIcon_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblVersion_ = nullptr;
  QLabel* lblDescription_ = nullptr;
  QLabel* lblDisclaimer_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
  QPushButton* cmdSysInfo_ = nullptr;
  MessageBoxes& messages_;
  KeyValueStore& store_;
  ProgramStarter& starter_;
};

// Shows the about box modally and returns when it closes.
void ShowAboutBox(QWidget* parent, MessageBoxes& messages, KeyValueStore& store,
                  ProgramStarter& starter);

}  // namespace tavelin
