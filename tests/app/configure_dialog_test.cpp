#include "app/configure_dialog.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/recording.hpp"

namespace tavelin {
namespace {

using testing::RecordingMessages;
using testing::ShownMessage;

TEST(ReadStepCountEntry, RoundsHalvesToEvenAndRefusesWhatA16BitCountCannotHold) {
  const struct {
    const char* text;
    std::optional<std::int16_t> expected;
  } cases[] = {
      {"49.5", 50},  {"48.5", 48},  {"12.5", 12},    {"13.5", 14},     {"12abc", 12},
      {"", 0},       {"&H1F", 31},  {"&O17", 15},    {" 1 5 0", 150},  {"1.5e2", 150},
      {"-0.5", 0},   {"-1.5", -2},  {"32767.4", 32767}, {"-32768.5", -32768},
      {"32767.5", std::nullopt},    {"-32769", std::nullopt},  {"&H8000", std::nullopt},
      {"&HFFFF", std::nullopt},     {"1e400", std::nullopt},   {"-1e400", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadStepCountEntry(c.text), c.expected) << c.text;
}

class ConfigureDialogTest : public ::testing::Test {
 protected:
  RecordingMessages messages;
  std::int16_t StepCount = 100;
};

TEST_F(ConfigureDialogTest, ShowsTheCountStoresTheEntryAndShowsItNextTime) {
  {
    frmConfigure dialog(nullptr, messages, StepCount);
    EXPECT_EQ(dialog.windowTitle(), "Configure Number Of Steps");
    EXPECT_EQ(dialog.txtNumberOfSteps->text(), "100");
    dialog.cmdOK->click();  // unedited
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(StepCount, 100);
  }
  {
    frmConfigure dialog(nullptr, messages, StepCount);
    dialog.txtNumberOfSteps->setText("250 steps");
    dialog.cmdOK->click();
  }
  EXPECT_EQ(StepCount, 250);
  EXPECT_EQ(frmConfigure(nullptr, messages, StepCount).txtNumberOfSteps->text(), "250");
  StepCount = -7;
  EXPECT_EQ(frmConfigure(nullptr, messages, StepCount).txtNumberOfSteps->text(), "-7");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigureDialogTest, PeriodStaysTheSeparatorInAGermanLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  frmConfigure dialog(nullptr, messages, StepCount);
  dialog.txtNumberOfSteps->setText("2.5e1");
  dialog.cmdOK->click();
  EXPECT_EQ(StepCount, 25);
  QLocale::setDefault(QLocale::c());
}

TEST_F(ConfigureDialogTest, AnOutOfRangeEntryIsRefusedAndTheDialogStaysOpenWithItSelected) {
  frmConfigure dialog(nullptr, messages, StepCount);
  dialog.show();
  dialog.txtNumberOfSteps->setText("40000");
  dialog.cmdOK->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(StepCount, 100);
  const ShownMessage refusal{kStepCountRangeMessage, "Tavelin"};
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{refusal});
  EXPECT_EQ(dialog.txtNumberOfSteps->selectedText(), "40000");
  dialog.txtNumberOfSteps->setText("300");
  dialog.cmdOK->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(StepCount, 300);
}

TEST_F(ConfigureDialogTest, EscDoesNothingAndTheCloseBoxDiscardsTheEdit) {
  frmConfigure dialog(nullptr, messages, StepCount);
  dialog.show();
  dialog.txtNumberOfSteps->setText("7");
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Escape);
  QTest::keyClick(dialog.cmdOK, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
  dialog.close();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(StepCount, 100);
}

TEST_F(ConfigureDialogTest, OpensWithFocusOnOkAndEnterPressesItOnlyThere) {
  frmConfigure dialog(nullptr, messages, StepCount);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(QApplication::focusWidget(), dialog.cmdOK);
  dialog.txtNumberOfSteps->setText("7");
  QTest::keyClick(dialog.cmdOK, Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), dialog.txtNumberOfSteps);
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Return);
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(StepCount, 100);
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Backtab);
  ASSERT_EQ(QApplication::focusWidget(), dialog.cmdOK);
  QTest::keyClick(dialog.cmdOK, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(StepCount, 7);
}

TEST_F(ConfigureDialogTest, TheCaptionIsWholeAndClearOfTheTextBox) {
  frmConfigure dialog(nullptr, messages, StepCount);
  const QLabel* label = dialog.Label1;
  const QRect needed = label->fontMetrics().boundingRect(
      QRect(0, 0, label->width(), 1000), label->wordWrap() ? Qt::TextWordWrap : 0, label->text());
  EXPECT_LE(needed.width(), label->width());
  EXPECT_LE(needed.height(), label->height());
  EXPECT_FALSE(label->geometry().intersects(dialog.txtNumberOfSteps->geometry()));
  EXPECT_FALSE(label->geometry().intersects(dialog.cmdOK->geometry()));
}

TEST_F(ConfigureDialogTest, ShowConfigureDialogReturnsWhenTheModalDialogCloses) {
  // Waits for the dialog to come up inside exec(), then presses OK on it.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&poll] {
    if (auto* dialog = qobject_cast<frmConfigure*>(QApplication::activeModalWidget())) {
      poll.stop();
      dialog->txtNumberOfSteps->setText("75");
      dialog->cmdOK->click();
    }
  });
  poll.start(10);
  EXPECT_TRUE(ShowConfigureDialog(nullptr, messages, StepCount));
  EXPECT_EQ(StepCount, 75);
}

}  // namespace
}  // namespace tavelin
