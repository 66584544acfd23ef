#include <gtest/gtest.h>

#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <complex>
#include <filesystem>
#include <functional>

#include "network/network_text.hpp"
#include "network/output_file.hpp"
#include "plot/recording_surface.hpp"
#include "support/temp_dir.hpp"
#include "window_rig.hpp"

namespace tavelin {
namespace {

using Boxes = std::vector<testing::ShownMessage>;

// Runs action once the next modal dialog is up, then lets the caller's exec() return.
void WhenModal(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    }
  });
  timer->start(10);
}

class MainWindowTest : public ::testing::Test {
 protected:
  // Writes a network file from its description and opens it through File > Open.
  void Open(const std::string& description, const std::string& name = "net.dat") {
    testing::WriteBytes(folder.File(name), EncodeElementFile(ParseNetworkText(description)));
    rig.Open(folder.File(name));
  }
  void OpenZeros(std::uintmax_t size) {
    testing::WriteBytes(folder.File("zeros.dat"), {});
    std::filesystem::resize_file(folder.File("zeros.dat"), size);
    rig.Open(folder.File("zeros.dat"));
  }
  // Shows the window, puts the focus on a control and returns the control that had it on activation.
  QWidget* ShowActive(QWidget* focus) {
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget* const first = QApplication::focusWidget();
    focus->setFocus();
    return first;
  }

  testing::TempDir folder;
  testing::WindowRig rig{folder.Path().string()};
  frmArchiveProcessor& window = rig.window;
  Boxes& shown = rig.messages.shown;
  const RecordFiles& files = window.ProgramServices().files;
};

TEST_F(MainWindowTest, StartsWithOnlyTheScanBoundsAndTheNormalizerUsable) {
  ASSERT_TRUE(window.Loaded());
  EXPECT_EQ(window.windowTitle(), "Tavelin 3.3.1");
  EXPECT_EQ(window.centralWidget()->size(), QSize(437, 389));
  EXPECT_EQ(window.txtNormalizer->text(), "50");
  EXPECT_TRUE(window.lblElementsInNetwork->text().isEmpty());
  const std::pair<QWidget*, bool> usable[] = {
      {window.txtScanFreqLower, true}, {window.txtScanFreqUpper, true}, {window.txtNormalizer, true},
      {window.cmdBeginScan, false},    {window.frPlotSetup, false},     {window.frameLogLin, false},
      {window.txtMinValue, false},     {window.txtDecades, false}};
  for (const auto& [w, enabled] : usable) EXPECT_EQ(w->isEnabled(), enabled) << w->metaObject()->className();
  EXPECT_TRUE(window.Option1[0]->isChecked() && window.optLogLin[1]->isChecked());
  EXPECT_EQ(window.State().StepCount, 100);
  EXPECT_TRUE(shown.empty());
}

TEST_F(MainWindowTest, MenusCarryTheirAccessKeysAndAreAlwaysUsable) {
  QStringList titles;
  for (QAction* menu : window.menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, QStringList({"&File", "&Configure", "Help"}));
  const std::pair<QAction*, const char*> items[] = {
      {window.mnuFileOpen, "&Open"}, {window.mnuFileExit, "E&xit"},
      {window.mnuConfigNumberOfSteps, "&Number of Steps (Frequencies)"}, {window.mnuHelpHelp, "&Help"},
      {window.mnuHelpAbout, "&About Tavelin"}};
  for (const auto& [action, caption] : items) {
    EXPECT_EQ(action->text(), caption);
    EXPECT_TRUE(action->isEnabled() && action->shortcut().isEmpty()) << caption;
  }
}

TEST_F(MainWindowTest, EveryCaptionFitsItsControl) {
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)) {
      EXPECT_GE(widget->width(), widget->sizeHint().width()) << widget->objectName().toStdString();
    }
  }
  // The captions left of a text box end before it.
  EXPECT_LE(window.Label3->x() + window.Label3->sizeHint().width(), window.txtNormalizer->x());
  EXPECT_LE(window.Label1->x() + window.Label1->sizeHint().width(), window.txtDecades->x());
  EXPECT_LE(window.Label2->x() + window.Label2->sizeHint().width(), window.txtMinValue->x());
}

TEST_F(MainWindowTest, OptionButtonsStoreTheirOwnIndexWhateverTheTabOrderAndTheScaleGroup) {
  window.frPlotSetup->setEnabled(true);
  window.frameLogLin->setEnabled(true);
  for (int i : {6, 5, 2, 0}) {
    window.Option1[static_cast<std::size_t>(i)]->click();
    EXPECT_EQ(window.PlotVariableIndex, i);
  }
  window.optLogLin[0]->click();
  EXPECT_TRUE(window.Option1[0]->isChecked());
  EXPECT_EQ(window.PlotVariableIndex, 0);
}

TEST_F(MainWindowTest, OpeningListsEachElementAndEnablesOnlyBeginScan) {
  Open("SeriesL 1.0 rload=50\nShuntR 0.12345\nSeriesL 0.25\n9 7.5\n-32768 1\n");
  EXPECT_EQ(shown, (Boxes{{"Element 1 is type SeriesL with value = 1.000", "Tavelin"},
                          {"Element 2 is type ShuntR with value = 0.1235", "Tavelin"},
                          {"Element 3 is type SeriesL with value = 0.250", "Tavelin"},
                          {"Element 4 is type  with value = 0.000", "Tavelin"},
                          {"Element 5 is type  with value = 0.000", "Tavelin"}}));
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 5");
  EXPECT_TRUE(window.cmdBeginScan->isEnabled());
  EXPECT_FALSE(window.frPlotSetup->isEnabled());
  EXPECT_EQ(window.State().ElementRecord.ElementType, -32768);  // the last record listed stays in memory
}

TEST_F(MainWindowTest, RecordCountRoundsAPartialRecordHalvesToEvenAndReadsItsMissingBytesAsZero) {
  rig.Open(folder.File("new.dat"));  // not there yet: created empty
  EXPECT_TRUE(std::filesystem::exists(folder.File("new.dat")));
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 0");
  EXPECT_TRUE(window.cmdBeginScan->isEnabled());
  const std::pair<std::uintmax_t, int> cases[] = {
      {61, 0}, {3 * 124 + 61, 3}, {3 * 124 + 62, 4}, {3 * 124 + 63, 4}, {2 * 124 + 62, 2}, {32767 * 124 + 61, 32767}};
  for (const auto& [size, count] : cases) {
    shown.clear();
    OpenZeros(size);
    EXPECT_EQ(window.lblElementsInNetwork->text(), QStringLiteral("Elements In Network: %1").arg(count));
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(count)) << size;
    EXPECT_TRUE(count == 0 || shown.back().text == "Element " + std::to_string(count) +
                                                       " is type SeriesR with value = 0.000") << shown.back().text;
  }
}

// (What File > Open refuses is in the bad-input table.)
TEST_F(MainWindowTest, OpeningAnotherNetworkClosesThePreviousOne) {
  Open("SeriesL 1.0 rload=50\n", "first.dat");
  const std::int16_t first = window.State().ElementFile;
  Open("SeriesL 1.0 rload=50\nShuntC 100\n");
  EXPECT_FALSE(files.IsOpen(first));
  EXPECT_TRUE(files.IsOpen(window.State().ElementFile));
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 2");
}

TEST_F(MainWindowTest, ComingBackFromAnotherFormMovesTheFocusButNotFromAnotherProgram) {
  EXPECT_EQ(ShowActive(window.txtScanFreqUpper), window.txtScanFreqLower);
  emit qApp->focusWindowChanged(nullptr);  // another program takes the focus and gives it back
  emit qApp->focusWindowChanged(window.windowHandle());
  EXPECT_EQ(QApplication::focusWidget(), window.txtScanFreqUpper);
  QWidget other;
  MarkAsForm(&other);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  other.close();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(QApplication::focusWidget(), window.txtScanFreqLower);
}

TEST_F(MainWindowTest, TheCloseBoxRaisesNothingAndExitClosesEveryFileAndEnds) {
  Open("SeriesL 1.0 rload=50\n");
  shown.clear();
  window.show();
  window.close();
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(rig.end.calls, 0);
  EXPECT_TRUE(files.IsOpen(window.State().ElementFile));  // until the program ends
  window.show();
  window.mnuFileExit->trigger();
  EXPECT_EQ(rig.end.calls, 1);
  EXPECT_FALSE(files.IsOpen(window.State().ElementFile));
  EXPECT_FALSE(window.isVisible());
}

// The road of one scan and plot: two elements, three frequencies, the impedance magnitude.
TEST_F(MainWindowTest, OneScanAndPlotFromOpeningTheNetworkToThePrintedPicture) {
  rig.Open(std::string(TAVELIN_SOURCE_DIR) + "/examples/two-element.dat");
  window.State().StepCount = 3;
  shown.clear();
  rig.Scan("1", "3");
  EXPECT_EQ(shown.back(), (testing::ShownMessage{"All records processed over the range of 3 frequencies.", "Status"}));
  for (QWidget* w : std::initializer_list<QWidget*>{window.frPlotSetup, window.frameLogLin, window.txtMinValue,
                                                    window.txtDecades, window.cmdCompute}) {
    EXPECT_TRUE(w->isEnabled()) << w->metaObject()->className();
  }
  EXPECT_EQ(window.txtMinValue->text(), "0.1");
  EXPECT_EQ(window.txtDecades->text(), "5");
  // Records 2, 4 and 6 hold the input end: 1 uH in series with the 50-ohm load, 100 pF across it, at
  // steps of a 99th of the band in single precision.
  const std::vector<std::byte> bytes = testing::ReadBytes(OutputFilePath(window.ProgramServices()));
  ASSERT_EQ(bytes.size(), 6u * 68u);
  std::vector<double> magnitudes;
  for (int k = 0; k < 3; ++k) {
    OutputRecord r;
    DecodeOutputRecord(std::span<const std::byte, 68>(bytes.data() + (2 * k + 1) * 68, 68), r);
    const double f = 1.0 + k * static_cast<double>(static_cast<float>(2.0 / 99.0)), w = 2 * 3.14159 * f;
    const std::complex<double> voltage(1.0, w / 50.0), z = voltage / (voltage / std::complex<double>(50.0, w) +
                                                                      voltage * std::complex<double>(0, w * 100e-6));
    EXPECT_EQ(r.Frequency, f);
    EXPECT_NEAR(std::abs(std::complex<double>(r.Node.VoltageRe, r.Node.VoltageIm) - voltage), 0.0, 1e-12);
    EXPECT_NEAR(std::abs(std::complex<double>(r.Node.ImpedanceRe, r.Node.ImpedanceIm) - z), 0.0, 1e-9);
    EXPECT_NEAR(std::abs(std::complex<double>(r.Node.CurrentRe, r.Node.CurrentIm)), std::abs(voltage / z), 1e-12);
    magnitudes.push_back(std::abs(z));
  }

  window.show();
  shown.clear();
  rig.Compute(2);
  EXPECT_TRUE(shown.empty());
  frmPlot* const plotWindow = window.PlotWindow();
  ASSERT_TRUE(rig.PlotShown());
  const PlotData& plot = window.Plot();
  EXPECT_EQ(plot.PlotTitle, "Impedance (Ohms)");
  ASSERT_EQ(plot.PointCount, 3);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(plot.PlotValues[i], magnitudes[i], 1e-9);
  // With the window's geometry: three markers over eleven grid lines and three ticks, the title last.
  testing::RecordingSurface surface;
  PlotRanges ranges;
  PlotGeometry geometry = plotWindow->Geometry();
  const Reporting reporting{rig.messages, NumberLocale{}};
  PlotCanvas canvas{surface, geometry, ranges, reporting};
  DrawPlot(canvas, plot, plot.PlotTitle);
  EXPECT_EQ(surface.Of(testing::RecordingSurface::Kind::kCircle).size(), 3u);
  EXPECT_EQ(surface.Of(testing::RecordingSurface::Kind::kLine).size(), 11u + 3u);
  EXPECT_EQ(surface.Texts().back(), "Impedance (Ohms)");
  // The window's own picture has the marker blue in it.
  const QImage picture = plotWindow->Picture().convertToFormat(QImage::Format_RGB32);
  int blue = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) blue += picture.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
  }
  EXPECT_GT(blue, 20);
  // Another variable while the window is open: the same window, redrawn at once.
  rig.Compute(6);
  EXPECT_EQ(window.PlotWindow(), plotWindow);
  EXPECT_EQ(window.Plot().PlotTitle, "SWR");
  EXPECT_NE(plotWindow->Picture().convertToFormat(QImage::Format_RGB32), picture);
  rig.pdfPath = folder.File("plot.pdf");
  plotWindow->cmdPrint->click();
  EXPECT_GT(std::filesystem::file_size(rig.pdfPath), 1000u);
  plotWindow->cmdOK->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window.PlotWindow(), nullptr);
}

TEST_F(MainWindowTest, ARefusedScanStillEmptiesTheFileAndTheNextScanResetsThePlotDefaults) {
  Open("SeriesR 50 rload=50\n");
  rig.Scan("30", "1");
  EXPECT_EQ(shown.back().title, "Error in Setup");
  EXPECT_TRUE(window.cmdCompute->isEnabled());
  EXPECT_EQ(window.State().OutputRecordCount, 0);
  window.txtMinValue->setText("7");
  window.txtDecades->setText("2");
  rig.Scan("1", "30");
  EXPECT_EQ(window.State().OutputRecordCount, 100);
  EXPECT_EQ(window.txtMinValue->text(), "0.1");
  EXPECT_EQ(window.txtDecades->text(), "5");
}

TEST_F(MainWindowTest, TheStepsDialogAndTheAboutBoxGiveTheFocusBackToTheLowerBound) {
  Open("SeriesR 50 rload=50\n");
  ShowActive(window.txtScanFreqUpper);
  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->findChild<QLineEdit*>()->text(), "100");
    modal->findChild<QLineEdit*>()->setText("7");
    modal->findChild<QPushButton*>()->click();  // its only button, OK
  });
  window.mnuConfigNumberOfSteps->trigger();
  EXPECT_EQ(window.focusWidget(), window.txtScanFreqLower);
  rig.Scan("1", "2");
  EXPECT_EQ(window.State().OutputRecordCount, 7);

  ShowActive(window.txtNormalizer);
  QString caption;
  WhenModal([&caption](QWidget* modal) {
    caption = modal->windowTitle() + " / " + qobject_cast<frmAbout*>(modal)->lblVersion->text();
    for (QPushButton* button : modal->findChildren<QPushButton*>()) {
      if (button->text() == "&System Info...") button->click();
    }
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  shown.clear();
  window.mnuHelpAbout->trigger();
  EXPECT_EQ(caption, "About Tavelin / Version 3.3.1");
  EXPECT_EQ(shown, (Boxes{{"System Information Is Unavailable At This Time", "Tavelin"}}));
  EXPECT_TRUE(rig.started.empty());
  EXPECT_EQ(window.focusWidget(), window.txtScanFreqLower);
}

// From another current folder, which holds a help file of its own that must not be taken for the program's.
TEST_F(MainWindowTest, HelpOpensTheFileBesideTheProgramOrSaysWhereItLooked) {
  testing::TempDir elsewhere;
  testing::WriteBytes(elsewhere.File("Rizezuz.chm"), {});
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());
  const std::string path = folder.File("Rizezuz.chm");
  window.mnuHelpHelp->trigger();
  testing::WriteBytes(path, {});
  window.mnuHelpHelp->trigger();
  rig.shellError = 57;
  window.mnuHelpHelp->trigger();
  std::filesystem::current_path(saved);
  EXPECT_EQ(shown, (Boxes{{"HTML Help File Not Found \r\n" + path, "Tavelin"},
                          {"Error in Invoking Help!\r\nError Code = 57", "Tavelin"}}));
  ASSERT_EQ(rig.requests.size(), 1u);
  EXPECT_EQ(rig.requests[0].operation, "Open");
  EXPECT_EQ(rig.requests[0].file, path);
  EXPECT_FALSE(rig.requests[0].parameters || rig.requests[0].directory);
  EXPECT_EQ(rig.requests[0].showCommand, 1);
}

}  // namespace
}  // namespace tavelin
