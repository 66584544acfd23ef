#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <string>

#include "app/about_box.hpp"
#include "app/help_launcher.hpp"
#include "app/qt_services.hpp"
#include "base/record_files.hpp"
#include "network/network_state.hpp"
#include "plot/plot_data.hpp"
#include "plotwindow/plot_window.hpp"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWindow;

namespace tavelin {

// What the main window needs from outside; the program passes the real services, tests fakes.
struct MainWindowEnvironment {
  MessageBoxes& messages;
  ProgramEnd& end;
  FileDialog& fileDialog;
  PrinterService& printers;
  KeyValueStore& registry;    // where System Info looks for the system information tool
  ProgramStarter& starter;    // starts that tool
  DocumentShell& shell;       // opens the help file with its associated program
  std::string programFolder;
  NumberLocale locale;
};

// The main window's controls and menu commands, created once with the window.
struct MainControls {
  QLabel* lblElementsInNetwork = nullptr;
  QGroupBox* frScanFrequencies = nullptr;
  QLabel* Label28 = nullptr;
  QLineEdit* txtScanFreqLower = nullptr;
  QLineEdit* txtScanFreqUpper = nullptr;
  QLabel* Label29 = nullptr;
  QLabel* Label37 = nullptr;
  QLabel* Label38 = nullptr;
  QPushButton* cmdBeginScan = nullptr;
  QGroupBox* frPlotSetup = nullptr;
  std::array<QRadioButton*, 7> Option1{};
  QPushButton* cmdCompute = nullptr;
  QGroupBox* frameLogLin = nullptr;
  std::array<QRadioButton*, 2> optLogLin{};
  QLabel* Label1 = nullptr;
  QLineEdit* txtDecades = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtMinValue = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* txtNormalizer = nullptr;

  QAction* mnuFileOpen = nullptr;
  QAction* mnuFileExit = nullptr;
  QAction* mnuConfigNumberOfSteps = nullptr;
  QAction* mnuHelpHelp = nullptr;
  QAction* mnuHelpAbout = nullptr;
};

// The program's main window: scan set-up on the left, plot set-up on the right, three menus.
class frmArchiveProcessor : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmArchiveProcessor(MainWindowEnvironment environment, QWidget* parent = nullptr);
  ~frmArchiveProcessor() override;

  // False when loading failed and the program must end without showing the window.
  bool Loaded() const { return loaded_; }

  NetworkState& State() { return state_; }
  const PlotData& Plot() const { return plot_; }
  frmPlot* PlotWindow() const { return plotWindow_; }
  const Services& ProgramServices() const { return services_; }
  // The controls, for the other windows and the tests to use (but not to replace).
  QLabel* lblElementsInNetwork() const { return controls_.lblElementsInNetwork; }
  QGroupBox* frScanFrequencies() const { return controls_.frScanFrequencies; }
  QLabel* Label28() const { return controls_.Label28; }
  QLineEdit* txtScanFreqLower() const { return controls_.txtScanFreqLower; }
  QLineEdit* txtScanFreqUpper() const { return controls_.txtScanFreqUpper; }
  QLabel* Label29() const { return controls_.Label29; }
  QLabel* Label37() const { return controls_.Label37; }
  QLabel* Label38() const { return controls_.Label38; }
  QPushButton* cmdBeginScan() const { return controls_.cmdBeginScan; }
  QGroupBox* frPlotSetup() const { return controls_.frPlotSetup; }
  QPushButton* cmdCompute() const { return controls_.cmdCompute; }
  QGroupBox* frameLogLin() const { return controls_.frameLogLin; }
  QLabel* Label1() const { return controls_.Label1; }
  QLineEdit* txtDecades() const { return controls_.txtDecades; }
  QLabel* Label2() const { return controls_.Label2; }
  QLineEdit* txtMinValue() const { return controls_.txtMinValue; }
  QLabel* Label3() const { return controls_.Label3; }
  QLineEdit* txtNormalizer() const { return controls_.txtNormalizer; }
  QAction* mnuFileOpen() const { return controls_.mnuFileOpen; }
  QAction* mnuFileExit() const { return controls_.mnuFileExit; }
  QAction* mnuConfigNumberOfSteps() const { return controls_.mnuConfigNumberOfSteps; }
  QAction* mnuHelpHelp() const { return controls_.mnuHelpHelp; }
  QAction* mnuHelpAbout() const { return controls_.mnuHelpAbout; }
  QRadioButton* Option1(int index) const { return controls_.Option1.at(static_cast<std::size_t>(index)); }
  QRadioButton* optLogLin(int index) const { return controls_.optLogLin.at(static_cast<std::size_t>(index)); }

  void mnuFileOpen_Click();
  void mnuFileExit_Click();
  void cmdBeginScan_Click();
  void cmdCompute_Click();
  void mnuConfigNumberOfSteps_Click();
  void mnuHelpHelp_Click();
  void mnuHelpAbout_Click();
  void Option1_Click(int index);

  // The plotted variable: the index of the Option1 button last clicked.
  std::int16_t PlotVariableIndex() const { return PlotVariableIndex_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void SetTabOrder();
  bool Form_Load();
  void Form_Activate();
  void Form_QueryUnload();
  void EnablePlotControls();
  void OnFocusWindowChanged(QWindow* window);

  MainWindowEnvironment environment_;
  MainControls controls_;
  std::int16_t PlotVariableIndex_ = 0;
  RecordFiles files_;
  Services services_;
  NetworkState state_;
  Reporting reporting_;
  PlotData plot_;
  QPointer<frmPlot> plotWindow_;
  QButtonGroup* option1Group_ = nullptr;
  bool loaded_ = false;
  bool activatedOnce_ = false;
  QPointer<QWindow> lastFormWindow_;
};

// Marks a top-level widget as one of the program's own windows: coming back to the main window from
// one of these moves the focus to the lower frequency box, coming back from another program does not.
void MarkAsForm(QWidget* window);

}  // namespace tavelin
