#include "app/configure_dialog.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/recording.hpp"

namespace tavelin {
namespace {

TEST(ReadStepCountEntry, RoundsHalvesToEvenAndRefusesWhatA16BitCountCannotHold) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"49.5", 50}, {"48.5", 48}, {"12abc", 12}, {"", 0}, {"&H1F", 31}, {"-1.5", -2}, {"32767.4", 32767},
      {"-32768.5", -32768}, {"32767.5", std::nullopt}, {"-32769", std::nullopt}, {"&H8000", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadStepCountEntry(text), expected) << text;
}

class ConfigureDialogTest : public ::testing::Test {
 protected:
  testing::RecordingMessages messages;
  std::int16_t StepCount = 100;
  frmConfigure dialog{nullptr, messages, StepCount};
};

TEST_F(ConfigureDialogTest, StoresOnOkKeepsOnTheCloseBoxAndRefusesWhatSixteenBitsCannotHold) {
  frmConfigure closed(nullptr, messages, StepCount);
  closed.txtNumberOfSteps->setText("9");
  closed.close();
  EXPECT_EQ(StepCount, 100);
  dialog.txtNumberOfSteps->setText("32767.5");
  dialog.cmdOK->click();
  EXPECT_EQ(StepCount, 100);
  EXPECT_EQ(messages.shown, (std::vector<testing::ShownMessage>{
                                {"The Number of Steps must be a whole number from -32768 to 32767.", "Tavelin"}}));
  frmConfigure next(nullptr, messages, StepCount);
  next.txtNumberOfSteps->setText("250 steps");
  next.cmdOK->click();
  EXPECT_EQ(StepCount, 250);
  EXPECT_EQ(frmConfigure(nullptr, messages, StepCount).txtNumberOfSteps->text(), "250");
}

TEST_F(ConfigureDialogTest, EscDoesNothingAndEnterPressesOkOnlyWithTheFocusOnIt) {
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.txtNumberOfSteps->setText("7");
  for (QWidget* at : {static_cast<QWidget*>(dialog.cmdOK), static_cast<QWidget*>(dialog.txtNumberOfSteps)}) {
    at->setFocus();
    QTest::keyClick(at, Qt::Key_Escape);
  }
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Return);
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(dialog.isVisible() && StepCount == 100);
  dialog.cmdOK->setFocus();
  QTest::keyClick(dialog.cmdOK, Qt::Key_Return);
  EXPECT_TRUE(!dialog.isVisible() && StepCount == 7);
}

}  // namespace
}  // namespace tavelin
