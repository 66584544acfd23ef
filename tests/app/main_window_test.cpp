#include "app/main_window.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <cmath>
#include <complex>
#include <deque>
#include <filesystem>

#include "network/network_text.hpp"
#include "network/output_file.hpp"
#include "plot/recording_surface.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingEnd;
using testing::RecordingMessages;
using testing::ShownMessage;
using testing::TempDir;

class QueuedFileDialog : public FileDialog {
 public:
  std::string GetOpenFileName(QWidget*) override {
    std::string name = names.front();
    names.pop_front();
    return name;
  }
  std::deque<std::string> names;
};

// Prints to a PDF file in the test's folder instead of a printer.
class PdfPrinters : public PrinterService {
 public:
  bool Prepare(QPrinter& printer, QWidget*) override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    return true;
  }
  std::string path;
};

class CountingStarter : public ProgramStarter {
 public:
  bool Start(const std::string&) override {
    ++calls;
    return true;
  }
  int calls = 0;
};

class RecordingShell : public DocumentShell {
 public:
  bool Perform(const DocumentRequest& request) override {
    files.push_back(request.file);
    return true;
  }
  std::vector<std::string> files;
};

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
  MainWindowTest()
      : window({messages, end, dialog, printers, registry, starter, shell, folder.Path().string(), NumberLocale{}}) {}

  // Writes a network file from its description and opens it through File > Open.
  void Open(const std::string& description, const std::string& name = "net.dat") {
    testing::WriteBytes(folder.File(name), EncodeElementFile(ParseNetworkText(description)));
    OpenPath(folder.File(name));
  }
  void OpenPath(const std::string& path) {
    dialog.names.push_back(path);
    window.mnuFileOpen->trigger();
  }
  void OpenBytes(std::size_t size) {
    testing::WriteBytes(folder.File("raw.dat"), std::vector<std::byte>(size));
    OpenPath(folder.File("raw.dat"));
  }

  TempDir folder;
  RecordingMessages messages;
  RecordingEnd end;
  QueuedFileDialog dialog;
  PdfPrinters printers;
  EmptyKeyValueStore registry;
  CountingStarter starter;
  RecordingShell shell;
  frmArchiveProcessor window;
};

TEST_F(MainWindowTest, StartsWithOnlyTheScanBoundsAndTheNormalizerUsable) {
  ASSERT_TRUE(window.Loaded());
  EXPECT_EQ(window.windowTitle(), "Tavelin 3.3.1");
  EXPECT_EQ(window.centralWidget()->size(), QSize(437, 389));
  EXPECT_EQ(window.txtNormalizer->text(), "50");
  EXPECT_TRUE(window.lblElementsInNetwork->text().isEmpty());
  EXPECT_FALSE(window.cmdBeginScan->isEnabled());
  EXPECT_FALSE(window.frPlotSetup->isEnabled());
  EXPECT_FALSE(window.frameLogLin->isEnabled());
  EXPECT_FALSE(window.cmdCompute->isEnabled());
  EXPECT_FALSE(window.txtMinValue->isEnabled());
  EXPECT_FALSE(window.txtDecades->isEnabled());
  for (QRadioButton* option : window.Option1) EXPECT_FALSE(option->isEnabled());
  EXPECT_TRUE(window.txtScanFreqLower->isEnabled());
  EXPECT_TRUE(window.txtScanFreqUpper->isEnabled());
  EXPECT_TRUE(window.txtNormalizer->isEnabled());
  EXPECT_TRUE(window.Option1[0]->isChecked());
  EXPECT_TRUE(window.optLogLin[1]->isChecked());
  EXPECT_FALSE(window.optLogLin[0]->isChecked());
  EXPECT_EQ(window.PlotVariableIndex, 0);
  EXPECT_EQ(window.State().StepCount, 100);
  EXPECT_EQ(window.State().ElementIndex, 1);
  EXPECT_EQ(window.State().Node.NodeVoltageRe, 1.0);
  EXPECT_EQ(window.State().ElementCount, 0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, MenusCarryTheirAccessKeysAndAreAlwaysUsable) {
  QStringList titles;
  for (QAction* menu : window.menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, QStringList({"&File", "&Configure", "Help"}));
  const std::pair<QAction*, const char*> items[] = {
      {window.mnuFileOpen, "&Open"},
      {window.mnuFileExit, "E&xit"},
      {window.mnuConfigNumberOfSteps, "&Number of Steps (Frequencies)"},
      {window.mnuHelpHelp, "&Help"},
      {window.mnuHelpAbout, "&About Tavelin"}};
  for (const auto& [action, caption] : items) {
    EXPECT_EQ(action->text(), caption);
    EXPECT_TRUE(action->isEnabled());
    EXPECT_TRUE(action->shortcut().isEmpty());
  }
}

TEST_F(MainWindowTest, EveryCaptionFitsItsControl) {
  const QList<QWidget*> widgets = window.findChildren<QWidget*>();
  for (QWidget* widget : widgets) {
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)) {
      EXPECT_GE(widget->width(), widget->sizeHint().width()) << widget->objectName().toStdString()
                                                            << qobject_cast<QLabel*>(widget);
    }
  }
  // The captions that stand left of a text box end before it.
  EXPECT_LE(window.Label3->x() + window.Label3->sizeHint().width(), window.txtNormalizer->x());
  EXPECT_LE(window.Label1->x() + window.Label1->sizeHint().width(), window.txtDecades->x());
  EXPECT_LE(window.Label2->x() + window.Label2->sizeHint().width(), window.txtMinValue->x());
}

TEST_F(MainWindowTest, OptionButtonsStoreTheirOwnIndexWhateverTheTabOrder) {
  window.frPlotSetup->setEnabled(true);
  window.Option1[6]->click();
  EXPECT_EQ(window.PlotVariableIndex, 6);
  window.Option1[2]->click();
  EXPECT_EQ(window.PlotVariableIndex, 2);
  window.Option1[0]->click();
  EXPECT_EQ(window.PlotVariableIndex, 0);
  // The two groups are independent.
  window.frameLogLin->setEnabled(true);
  window.optLogLin[0]->click();
  EXPECT_TRUE(window.Option1[0]->isChecked());
  EXPECT_EQ(window.PlotVariableIndex, 0);
}

TEST_F(MainWindowTest, OpeningANetworkListsEachElementAndEnablesOnlyBeginScan) {
  Open("SeriesL 1.0 rload=50\nShuntC 100\n");
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 2");
  EXPECT_EQ(window.State().ElementCount, 2);
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{
                                {"Element 1 is type SeriesL with value = 1.000", "Tavelin"},
                                {"Element 2 is type ShuntC with value = 100.000", "Tavelin"}}));
  EXPECT_TRUE(window.cmdBeginScan->isEnabled());
  EXPECT_FALSE(window.frPlotSetup->isEnabled());
  EXPECT_FALSE(window.cmdCompute->isEnabled());
  // The last record listed is the one left in memory.
  EXPECT_EQ(window.State().ElementRecord.ElementType, kShuntC);
}

TEST_F(MainWindowTest, ListingShowsUnlistedTypesBlankAndValuesToFourDecimals) {
  Open("SeriesR 50 rload=50\nShuntR 0.12345\nSeriesL 0.25\n9 7.5\n-32768 1\n");
  ASSERT_EQ(messages.shown.size(), 5u);
  EXPECT_EQ(messages.shown[1].text, "Element 2 is type ShuntR with value = 0.1235");
  EXPECT_EQ(messages.shown[2].text, "Element 3 is type SeriesL with value = 0.250");
  EXPECT_EQ(messages.shown[3].text, "Element 4 is type  with value = 0.000");
  EXPECT_EQ(messages.shown[4].text, "Element 5 is type  with value = 0.000");
}

TEST_F(MainWindowTest, RecordCountRoundsPartialRecordsHalvesToEven) {
  const struct {
    std::size_t bytes;
    int count;
  } cases[] = {{3 * 124, 3}, {3 * 124 + 61, 3}, {3 * 124 + 63, 4}, {2 * 124 + 62, 2}, {3 * 124 + 62, 4}, {61, 0}};
  for (const auto& c : cases) {
    messages.shown.clear();
    OpenBytes(c.bytes);
    EXPECT_EQ(window.State().ElementCount, c.count) << c.bytes;
    EXPECT_EQ(window.lblElementsInNetwork->text(), QStringLiteral("Elements In Network: %1").arg(c.count));
    EXPECT_EQ(messages.shown.size(), static_cast<std::size_t>(c.count)) << c.bytes;
  }
  // The counted partial record reads with its missing bytes as zero: a SeriesR of 0.
  EXPECT_EQ(messages.shown.size(), 0u);
  messages.shown.clear();
  OpenBytes(3 * 124 + 62);
  EXPECT_EQ(messages.shown.back().text, "Element 4 is type SeriesR with value = 0.000");
}

TEST_F(MainWindowTest, AnEmptyOrNewFileGivesNoElementsButEnablesBeginScan) {
  OpenPath(folder.File("does-not-exist-yet.dat"));
  EXPECT_TRUE(std::filesystem::exists(folder.File("does-not-exist-yet.dat")));
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 0");
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(window.cmdBeginScan->isEnabled());
}

TEST_F(MainWindowTest, FailuresToOpenAreReportedAndKeepTheOpenNetworkUsable) {
  Open("SeriesL 1.0 rload=50\nShuntC 100\n");
  const std::int16_t handle = window.State().ElementFile;
  ASSERT_TRUE(window.ProgramServices().files.IsOpen(handle));
  messages.shown.clear();

  OpenPath("");  // the dialog was cancelled
  std::filesystem::resize_file(folder.File("net.dat"), 0);
  testing::WriteBytes(folder.File("huge.dat"), {});
  std::filesystem::resize_file(folder.File("huge.dat"), 32768 * 124);
  OpenPath(folder.File("huge.dat"));
  OpenPath(folder.Path().string());  // a folder chosen instead of a file
  OpenPath(folder.File("no/such/folder/net.dat"));
  const std::string title = "Error in Opening Archive Record File";
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{"User canceled file open!", title},
                                                       {"File open error, 6", title},
                                                       {"File open error, 75", title},
                                                       {"File open error, 76", title}}));
  EXPECT_EQ(window.State().ElementFile, handle);
  EXPECT_TRUE(window.ProgramServices().files.IsOpen(handle));
  EXPECT_EQ(window.State().ElementCount, 2);
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 2");
  EXPECT_TRUE(window.cmdBeginScan->isEnabled());
  // No handle of a failed attempt is left open.
  EXPECT_EQ(window.ProgramServices().files.FreeFile(), handle + 1);
}

TEST_F(MainWindowTest, ExactlyTheLargestCountIsAccepted) {
  testing::WriteBytes(folder.File("max.dat"), {});
  std::filesystem::resize_file(folder.File("max.dat"), 32767 * 124 + 61);
  dialog.names.push_back(folder.File("max.dat"));
  window.mnuFileOpen->trigger();
  EXPECT_EQ(window.State().ElementCount, 32767);
  EXPECT_EQ(messages.shown.size(), 32767u);
  EXPECT_EQ(messages.shown.back().text, "Element 32767 is type SeriesR with value = 0.000");
}

TEST_F(MainWindowTest, OpeningAnotherNetworkClosesThePreviousOne) {
  Open("SeriesL 1.0 rload=50\n", "first.dat");
  const std::int16_t first = window.State().ElementFile;
  Open("SeriesR 10 rload=50\nShuntR 20\nSeriesC 30\n", "second.dat");
  EXPECT_NE(window.State().ElementFile, first);
  EXPECT_FALSE(window.ProgramServices().files.IsOpen(first));
  EXPECT_TRUE(window.ProgramServices().files.IsOpen(window.State().ElementFile));
  EXPECT_EQ(window.lblElementsInNetwork->text(), "Elements In Network: 3");
}

TEST_F(MainWindowTest, ComingBackFromAnotherFormMovesTheFocusButNotFromAnotherProgram) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(QApplication::focusWidget(), window.txtScanFreqLower);

  // Another program takes the focus and gives it back: the user's place stays.
  window.txtScanFreqUpper->setFocus();
  emit qApp->focusWindowChanged(nullptr);
  emit qApp->focusWindowChanged(window.windowHandle());
  EXPECT_EQ(QApplication::focusWidget(), window.txtScanFreqUpper);

  // One of the program's own windows comes and goes: the focus returns to the lower bound.
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

TEST_F(MainWindowTest, ExitClosesEveryFileAndEndsTheProgram) {
  Open("SeriesL 1.0 rload=50\n");
  window.show();
  window.mnuFileExit->trigger();
  EXPECT_EQ(end.calls, 1);
  EXPECT_FALSE(window.ProgramServices().files.IsOpen(window.State().ElementFile));
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowBeforeAnyScanClosesNothingAndRaisesNothing) {
  Open("SeriesL 1.0 rload=50\n");
  messages.shown.clear();
  window.show();
  window.close();
  EXPECT_EQ(end.calls, 0);
  EXPECT_TRUE(messages.shown.empty());
  // The element file stays open until the program ends.
  EXPECT_TRUE(window.ProgramServices().files.IsOpen(window.State().ElementFile));
}

TEST_F(MainWindowTest, BeginScanWritesTheInputEndOfTheExampleAndEnablesPlotting) {
  OpenPath(std::string(TAVELIN_SOURCE_DIR) + "/examples/two-element.dat");
  window.State().StepCount = 3;
  window.txtScanFreqLower->setText("1");
  window.txtScanFreqUpper->setText("3");
  messages.shown.clear();
  QTest::mouseClick(window.cmdBeginScan, Qt::LeftButton);
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{{"Unable to find the file to be deleted! - Continuing!", "Warning"},
                                       {"All records processed over the range of 3 frequencies.", "Status"}}));
  EXPECT_EQ(window.State().OutputRecordCount, 6);
  for (QWidget* w : std::initializer_list<QWidget*>{window.frPlotSetup, window.frameLogLin, window.txtMinValue,
                                                    window.txtDecades, window.cmdCompute, window.Option1[6]}) {
    EXPECT_TRUE(w->isEnabled());
  }
  EXPECT_EQ(window.txtMinValue->text(), "0.1");
  EXPECT_EQ(window.txtDecades->text(), "5");

  // Records 2, 4 and 6 hold the input end: 1 uH in series with the 50-ohm load, 100 pF across it.
  const std::vector<std::byte> bytes = testing::ReadBytes(OutputFilePath(window.ProgramServices()));
  ASSERT_EQ(bytes.size(), 6u * 68u);
  for (int k = 0; k < 3; ++k) {
    OutputRecord r;
    DecodeOutputRecord(std::span<const std::byte, 68>(bytes.data() + (2 * k + 1) * 68, 68), r);
    const double f = 1.0 + k * static_cast<double>(static_cast<float>(2.0 / 99.0));
    EXPECT_EQ(r.Frequency, f);
    const double w = 2 * 3.14159 * f;
    const std::complex<double> series(50.0, w * 1.0);
    const std::complex<double> voltage = series / 50.0;
    const std::complex<double> z = voltage / (voltage / series + voltage * std::complex<double>(0, w * 100e-6));
    EXPECT_NEAR(r.Node.VoltageRe, voltage.real(), 1e-12);
    EXPECT_NEAR(r.Node.VoltageIm, voltage.imag(), 1e-12);
    EXPECT_NEAR(r.Node.ImpedanceRe, z.real(), 1e-9);
    EXPECT_NEAR(r.Node.ImpedanceIm, z.imag(), 1e-9);
    EXPECT_NEAR(std::abs(std::complex<double>(r.Node.CurrentRe, r.Node.CurrentIm)), std::abs(voltage / z), 1e-12);
  }
}

TEST_F(MainWindowTest, ARefusedScanStillEmptiesTheFileAndResetsThePlotDefaults) {
  Open("SeriesR 50 rload=50\n");
  window.txtScanFreqLower->setText("30");
  window.txtScanFreqUpper->setText("1");
  window.cmdBeginScan->click();
  EXPECT_EQ(messages.shown.back().title, "Error in Setup");
  EXPECT_TRUE(window.cmdCompute->isEnabled());
  EXPECT_EQ(window.State().OutputRecordCount, 0);
  window.txtMinValue->setText("7");
  window.txtDecades->setText("2");
  window.txtScanFreqLower->setText("1");
  window.txtScanFreqUpper->setText("30");
  window.cmdBeginScan->click();
  EXPECT_EQ(window.State().OutputRecordCount, 100);
  EXPECT_EQ(window.txtMinValue->text(), "0.1");
  EXPECT_EQ(window.txtDecades->text(), "5");
  EXPECT_TRUE(window.cmdBeginScan->isEnabled());
}

// The road of one scan and plot: two elements, three frequencies, the impedance magnitude.
TEST_F(MainWindowTest, OneScanAndPlotFromOpeningTheNetworkToThePrintedPicture) {
  OpenPath(std::string(TAVELIN_SOURCE_DIR) + "/examples/two-element.dat");
  EXPECT_EQ(window.State().ElementCount, 2);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].text, "Element 1 is type SeriesL with value = 1.000");
  EXPECT_EQ(messages.shown[1].text, "Element 2 is type ShuntC with value = 100.000");
  window.State().StepCount = 3;
  window.txtScanFreqLower->setText("1");
  window.txtScanFreqUpper->setText("3");
  window.cmdBeginScan->click();
  EXPECT_EQ(messages.shown.back().text, "All records processed over the range of 3 frequencies.");
  EXPECT_EQ(window.State().OutputRecordCount, 6);

  window.Option1[2]->click();
  messages.shown.clear();
  window.show();
  window.cmdCompute->click();
  EXPECT_TRUE(messages.shown.empty());
  ASSERT_NE(window.PlotWindow(), nullptr);
  EXPECT_TRUE(window.PlotWindow()->isVisible());

  // The points are the impedance magnitudes of records 2, 4 and 6.
  const std::vector<std::byte> bytes = testing::ReadBytes(OutputFilePath(window.ProgramServices()));
  const PlotData& plot = window.Plot();
  ASSERT_EQ(plot.PointCount, 3);
  EXPECT_EQ(plot.PlotTitle, "Impedance (Ohms)");
  for (int i = 0; i < 3; ++i) {
    OutputRecord r;
    DecodeOutputRecord(std::span<const std::byte, 68>(bytes.data() + (2 * i + 1) * 68, 68), r);
    EXPECT_EQ(plot.PlotFrequencies[static_cast<std::size_t>(i)], r.Frequency);
    EXPECT_DOUBLE_EQ(plot.PlotValues[static_cast<std::size_t>(i)], std::hypot(r.Node.ImpedanceRe, r.Node.ImpedanceIm));
  }
  // Drawn on a recording surface with the window's geometry: three markers over eleven grid lines and
  // three ticks, the title over the plot.
  testing::RecordingSurface surface;
  PlotRanges ranges;
  PlotGeometry geometry = window.PlotWindow()->Geometry();
  const Reporting reporting{messages, NumberLocale{}};
  PlotCanvas canvas{surface, geometry, ranges, reporting};
  DrawPlot(canvas, plot, plot.PlotTitle);
  EXPECT_EQ(surface.Of(testing::RecordingSurface::Kind::kCircle).size(), 3u);
  EXPECT_EQ(surface.Of(testing::RecordingSurface::Kind::kLine).size(), 11u + 3u);
  EXPECT_EQ(surface.Texts().back(), "Impedance (Ohms)");

  // The window's own picture is not blank: the marker blue is in it.
  const QImage picture = window.PlotWindow()->Picture().convertToFormat(QImage::Format_RGB32);
  int blue = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) blue += picture.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
  }
  EXPECT_GT(blue, 20);

  // A new variable while the window is open: the same window, redrawn at once.
  frmPlot* const shown = window.PlotWindow();
  const QImage before = shown->Picture();
  window.Option1[6]->click();
  window.cmdCompute->click();
  EXPECT_EQ(window.PlotWindow(), shown);
  EXPECT_EQ(window.Plot().PlotTitle, "SWR");
  EXPECT_NE(shown->Picture(), before);

  printers.path = folder.File("plot.pdf");
  shown->cmdPrint->click();
  EXPECT_GT(std::filesystem::file_size(printers.path), 1000u);

  shown->cmdOK->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window.PlotWindow(), nullptr);
}

TEST_F(MainWindowTest, TheStepsDialogChangesTheNextScanAndGivesTheFocusBack) {
  Open("SeriesR 50 rload=50\n");
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.txtScanFreqUpper->setFocus();
  WhenModal([](QWidget* modal) {
    auto* entry = modal->findChild<QLineEdit*>();
    EXPECT_EQ(entry->text(), "100");
    entry->setText("7");
    for (QPushButton* button : modal->findChildren<QPushButton*>()) {
      if (button->text() == "OK") button->click();
    }
  });
  window.mnuConfigNumberOfSteps->trigger();
  EXPECT_EQ(window.State().StepCount, 7);
  EXPECT_EQ(window.focusWidget(), window.txtScanFreqLower);
  window.txtScanFreqLower->setText("1");
  window.txtScanFreqUpper->setText("2");
  window.cmdBeginScan->click();
  EXPECT_EQ(window.State().OutputRecordCount, 7);
}

TEST_F(MainWindowTest, TheAboutBoxReportsNoSystemInformationAndGivesTheFocusBack) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.txtNormalizer->setFocus();
  QString caption;
  WhenModal([&caption](QWidget* modal) {
    caption = modal->windowTitle();
    for (QPushButton* button : modal->findChildren<QPushButton*>()) {
      if (button->text() == "&System Info...") button->click();
    }
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  window.mnuHelpAbout->trigger();
  EXPECT_EQ(caption, "About Tavelin");
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{"System Information Is Unavailable At This Time", "Tavelin"}}));
  EXPECT_EQ(starter.calls, 0);
  EXPECT_EQ(window.focusWidget(), window.txtScanFreqLower);
}

TEST_F(MainWindowTest, HelpOpensTheFileBesideTheProgramOrSaysWhereItLooked) {
  const std::string path = folder.File("Rizezuz.chm");
  window.mnuHelpHelp->trigger();
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{"HTML Help File Not Found \r\n" + path, "Tavelin"}}));
  EXPECT_TRUE(shell.files.empty());
  testing::WriteBytes(path, {std::byte{1}});
  messages.shown.clear();
  window.mnuHelpHelp->trigger();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(shell.files, std::vector<std::string>{path});
}

}  // namespace
}  // namespace tavelin
