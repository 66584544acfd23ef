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

class ConfigureDialogTest : public ::testing::Test {
 protected:
  // Types the text, presses OK and tells whether the dialog closed.
  bool Enter(frmConfigure& dialog, const QString& text) {
    dialog.txtNumberOfSteps->setText(text);
    dialog.cmdOK->click();
    return dialog.result() == QDialog::Accepted;
  }

  RecordingMessages messages;
  std::int16_t StepCount = 100;
};

TEST_F(ConfigureDialogTest, ShowsTheCountAndKeepsItWhenOkIsPressedUnedited) {
  for (std::int16_t count : {std::int16_t{100}, std::int16_t{-7}, std::int16_t{32767}}) {
    StepCount = count;
    frmConfigure dialog(nullptr, messages, StepCount);
    EXPECT_EQ(dialog.txtNumberOfSteps->text(), QString::number(count));
    dialog.cmdOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(StepCount, count);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigureDialogTest, StoresTheEntryAndShowsItNextTime) {
  {
    frmConfigure dialog(nullptr, messages, StepCount);
    EXPECT_EQ(dialog.txtNumberOfSteps->text(), "100");
    EXPECT_TRUE(Enter(dialog, "250"));
  }
  EXPECT_EQ(StepCount, 250);
  frmConfigure again(nullptr, messages, StepCount);
  EXPECT_EQ(again.txtNumberOfSteps->text(), "250");
}

TEST_F(ConfigureDialogTest, ReadsEntriesLenientlyAndRoundsHalvesToEven) {
  const struct {
    const char* text;
    std::int16_t expected;
  } cases[] = {
      {"49.5", 50}, {"48.5", 48},  {"12.5", 12},   {"13.5", 14},   {"12abc", 12}, {"", 0},
      {"abc", 0},   {"&H1F", 31},  {"&O17", 15},   {" 1 5 0", 150}, {"1.5e2", 150}, {"-3", -3},
      {"0.5", 0},   {"-0.5", 0},   {"-1.5", -2},   {"32767.4", 32767}, {"-32768.5", -32768},
      {"&H7FFF", 32767},
  };
  for (const auto& c : cases) {
    StepCount = 100;
    frmConfigure dialog(nullptr, messages, StepCount);
    EXPECT_TRUE(Enter(dialog, c.text)) << c.text;
    EXPECT_EQ(StepCount, c.expected) << '"' << c.text << '"';
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigureDialogTest, PeriodStaysTheSeparatorInAGermanLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  {
    frmConfigure dialog(nullptr, messages, StepCount);
    EXPECT_TRUE(Enter(dialog, "1.5e2"));
    EXPECT_EQ(StepCount, 150);
  }
  {
    // A comma is no separator here: the reading stops at it.
    frmConfigure dialog(nullptr, messages, StepCount);
    EXPECT_TRUE(Enter(dialog, "2,7"));
    EXPECT_EQ(StepCount, 2);
  }
  QLocale::setDefault(QLocale::c());
}

TEST_F(ConfigureDialogTest, RefusesACountOutsideTheSixteenBitRangeAndStaysOpen) {
  for (const char* text : {"32767.5", "40000", "-32769", "&HFFFF", "&H8000", "1e400", "-1e10"}) {
    messages.shown.clear();
    frmConfigure dialog(nullptr, messages, StepCount);
    dialog.show();
    EXPECT_FALSE(Enter(dialog, text)) << text;
    EXPECT_TRUE(dialog.isVisible()) << text;
    EXPECT_EQ(StepCount, 100) << text;
    ASSERT_EQ(messages.shown.size(), 1u) << text;
    EXPECT_EQ(messages.shown[0], (ShownMessage{kStepCountRangeMessage, "Tavelin"}));
    EXPECT_EQ(dialog.txtNumberOfSteps->selectedText(), QString(text));
    // Corrected, the entry goes through.
    EXPECT_TRUE(Enter(dialog, "300"));
    EXPECT_EQ(StepCount, 300);
    StepCount = 100;
  }
}

TEST_F(ConfigureDialogTest, CloseBoxAndEscKeepTheOldCount) {
  frmConfigure dialog(nullptr, messages, StepCount);
  dialog.show();
  dialog.txtNumberOfSteps->setText("7");
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Escape);
  QTest::keyClick(dialog.cmdOK, Qt::Key_Escape);
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(StepCount, 100);

  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(StepCount, 100);
}

TEST_F(ConfigureDialogTest, EnterPressesOkOnlyWhileOkHasTheFocus) {
  frmConfigure dialog(nullptr, messages, StepCount);
  dialog.show();
  dialog.txtNumberOfSteps->setText("7");
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Return);
  QTest::keyClick(dialog.txtNumberOfSteps, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(StepCount, 100);

  QTest::keyClick(dialog.cmdOK, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(StepCount, 7);
}

TEST_F(ConfigureDialogTest, OpensWithTheFocusOnOkAndNoDefaultButton) {
  frmConfigure dialog(nullptr, messages, StepCount);
  EXPECT_EQ(dialog.windowTitle(), "Configure Number Of Steps");
  EXPECT_EQ(dialog.size(), QSize(3585 / 15, 1710 / 15));
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(QApplication::focusWidget(), dialog.cmdOK);
  EXPECT_FALSE(dialog.cmdOK->isDefault());
  EXPECT_FALSE(dialog.cmdOK->autoDefault());
  // Tab goes from OK to the text box.
  QTest::keyClick(dialog.cmdOK, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), dialog.txtNumberOfSteps);
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
  EXPECT_EQ(label->text(), "Number of Steps in Frequency Scan");
}

TEST_F(ConfigureDialogTest, ShowConfigureDialogReturnsWhenTheModalDialogCloses) {
  // Waits for the dialog to come up inside exec(), then presses OK on it.
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&poll] {
    auto* dialog = qobject_cast<frmConfigure*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll.stop();
    dialog->txtNumberOfSteps->setText("75");
    dialog->cmdOK->click();
  });
  poll.start();
  EXPECT_TRUE(ShowConfigureDialog(nullptr, messages, StepCount));
  EXPECT_EQ(StepCount, 75);
}

}  // namespace
}  // namespace tavelin
