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

// The program's main window: scan set-up on the left, plot set-up on the right, three menus.
// Its controls are public, as the handlers of the other windows and the tests read them.
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

  void mnuFileOpen_Click();
  void mnuFileExit_Click();
  void cmdBeginScan_Click();
  void cmdCompute_Click();
  void mnuConfigNumberOfSteps_Click();
  void mnuHelpHelp_Click();
  void mnuHelpAbout_Click();
  void Option1_Click(int index);

  // The plotted variable: the index of the Option1 button last clicked.
  std::int16_t PlotVariableIndex = 0;

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
