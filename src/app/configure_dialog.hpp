#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/messages.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavelin {

// Shows the number-of-steps dialog modally and returns when it closes: true when OK stored a new
// StepCount, false when the dialog was closed without storing.
[[nodiscard]] bool ShowConfigureDialog(QWidget* parent, MessageBoxes& messages, std::int16_t& StepCount);

// What OK makes of the entry: the lenient reading rounded half to even, or nothing when the rounded
// value lies outside -32768..32767 (a count that cannot be stored must not be wrapped).
std::optional<std::int16_t> ReadStepCountEntry(std::string_view text);

// The refusal shown for an entry out of range.
inline constexpr const char* kStepCountRangeMessage =
    "The Number of Steps must be a whole number from -32768 to 32767.";

// The number-of-steps dialog. It holds no state of its own: it edits the caller's StepCount and is
// created afresh for every showing.
class frmConfigure : public QDialog {
  Q_OBJECT

 public:
  frmConfigure(QWidget* parent, MessageBoxes& messages, std::int16_t& StepCount);

  QPushButton* cmdOK() const { return cmdOK_; }
  QLabel* Label1() const { return Label1_; }
  QLineEdit* txtNumberOfSteps() const { return txtNumberOfSteps_; }

  void Form_Load();
  void cmdOK_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* cmdOK_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLineEdit* txtNumberOfSteps_ = nullptr;
  MessageBoxes& messages_;
  std::int16_t& StepCount_;
};

}  // namespace tavelin
