#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "app/configure_dialog.hpp"
#include "app/main_window.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

// The main window with the real services; none of those that reach outside is used here.
struct Desk {
  QTemporaryDir folder;
  testing::RecordingMessages messages;
  testing::RecordingEnd end;
  QtFileDialog files;
  SystemPrinterService printers;
  EmptyKeyValueStore registry;
  DetachedProgramStarter starter;
  DesktopDocumentShell shell;
  frmArchiveProcessor w{{messages, end, files, printers, registry, starter, shell, folder.path().toStdString(), {}}};
};

// The text boxes keep their heights (15 twips to a pixel); the window has no minimum size; only the
// controls given a tip show one, the others none (not their frame's).
TEST(Desktop, HeightsNoMinimumSizeAndToolTipsOnlyWhereGiven) {
  Desk d;
  frmArchiveProcessor& w = d.w;
  const std::pair<QLineEdit*, int> boxes[] = {
      {w.txtScanFreqLower, 22}, {w.txtScanFreqUpper, 22}, {w.txtDecades, 19}, {w.txtMinValue, 19}, {w.txtNormalizer, 20}};
  for (const auto& [box, pixels] : boxes) EXPECT_EQ(box->height(), pixels) << box->toolTip().toStdString();
  w.show();
  EXPECT_EQ(w.minimumSize(), QSize(0, 0));
  const std::pair<QWidget*, const char*> controls[] = {
      {w.Label28, ""}, {w.Label29, ""}, {w.Label37, ""}, {w.Label38, ""}, {w.Option1[0], ""}, {w.Option1[3], ""},
      {w.Option1[6], ""}, {w.Label1, ""}, {w.Label3, ""}, {w.txtScanFreqLower, "Enter Lower Bounding Frequency in MHz."},
      {w.cmdCompute, "Press to Display the Plot"}, {w.optLogLin[1], "Choose Linear for Phase Angle Plots"},
      {w.frScanFrequencies, "First Open a Data File, Then Set Frequency Bounds and Begin Scan."}};
  for (const auto& [control, tip] : controls) {
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(control, &help);
    EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text().toStdString() : "", tip) << tip;
  }
  w.resize(120, 90);
  EXPECT_EQ(w.size(), QSize(120, 90));
}

// Tab from Begin Scan enters Plot Setup at its selected option; Down moves focus and selection.
TEST(Desktop, KeyboardOnTheDesktop) {
  Desk d;
  frmArchiveProcessor& w = d.w;
  for (QWidget* c : std::initializer_list<QWidget*>{w.cmdBeginScan, w.frPlotSetup, w.frameLogLin, w.cmdCompute}) c->setEnabled(true);
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  const std::tuple<int, QWidget*, int> cases[] = {{0, w.Option1[0], 1}, {4, w.Option1[4], 5}, {6, w.cmdCompute, -1}};
  for (const auto& [selected, landing, afterDown] : cases) {
    w.Option1[static_cast<std::size_t>(selected)]->click();
    w.cmdBeginScan->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), landing) << selected;
    if (afterDown < 0) continue;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), w.Option1[static_cast<std::size_t>(afterDown)]) << selected;
    EXPECT_EQ(w.PlotVariableIndex, afterDown);
  }
  w.cmdCompute->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w.optLogLin[1]);  // "Linear Plot", selected from the start

  // Enter presses a focused command button; the windows that open on a button show its focus mark.
  for (QPushButton* button : {w.cmdBeginScan, w.cmdCompute}) {
    QSignalSpy pressed(button, &QPushButton::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter);
    EXPECT_EQ(pressed.count(), 2) << button->text().toStdString();
  }
  std::int16_t steps = 100;
  frmConfigure dialog(nullptr, d.messages, steps);
  dialog.show();
  EXPECT_TRUE(dialog.focusWidget() == dialog.cmdOK && dialog.testAttribute(Qt::WA_KeyboardFocusChange));
  struct : PrinterService {
    bool Prepare(QPrinter&, QWidget*) override { return ++asked, false; }
    int asked = 0;
  } printers;
  const PlotData data{2, {1, 2}, {1, 2}, "SWR"};
  QPointer<frmPlot> plot = new frmPlot(data, Reporting{d.messages, {}}, printers);
  plot->show();
  EXPECT_TRUE(plot->focusWidget() == plot->cmdOK && plot->testAttribute(Qt::WA_KeyboardFocusChange));
  QTest::keyClick(plot->cmdPrint, Qt::Key_Return);
  EXPECT_EQ(printers.asked, 1);
  QTest::keyClick(plot->cmdOK, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&] { return plot.isNull(); }));
}

}  // namespace
}  // namespace tavelin
