#include "app/main_window.hpp"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <optional>
#include <vector>

#include "app/configure_dialog.hpp"
#include "app/desktop.hpp"
#include "plotwindow/form_font.hpp"
#include "base/run_time_error.hpp"
#include <tavelin/version.hpp>
#include "base/number_text.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"

namespace tavelin {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidthTwips = 6555;
constexpr int kClientHeightTwips = 5835;
const char* const kFormProperty = "tavelinForm";

int Pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

// Puts a control at its place in twips. A caption that needs more room than the place gives gets
// it: wider to the right, taller about the same centre line, so no caption is ever cut off. A text
// box keeps its place: its one line of text fits the given heights, and taller boxes would crowd
// the two log-scale boxes together.
template <typename W>
W* Place(W* widget, int left, int top, int width, int height) {
  QRect rect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
  const QSize hint = widget->sizeHint();
  const bool captioned = qobject_cast<QLineEdit*>(widget) == nullptr;
  if (captioned && hint.width() > rect.width()) rect.setWidth(hint.width());
  if (captioned && hint.height() > rect.height()) {
    const int centre = rect.center().y();
    rect.setHeight(hint.height());
    rect.moveTop(centre - hint.height() / 2);
  }
  widget->setGeometry(rect);
  return widget;
}

// A caption that stands left of its text box and needs more room than the layout gives grows to the
// left and ends just before the box, instead of running under it.
void KeepBefore(QLabel* label, const QWidget* box) {
  QRect rect = label->geometry();
  const int room = box->x() - 3;
  if (rect.right() < room) return;
  rect.moveRight(room);
  label->setGeometry(rect);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// Tab into an option group lands on its selected option: only that one is a tab stop. The arrow
// keys then move the selection with the focus, which the toolkit does from a selected option.
void TabToSelected(const std::vector<QRadioButton*>& group) {
  const auto follow = [group] {
    for (QRadioButton* option : group) {
      option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
  };
  for (QRadioButton* option : group) QObject::connect(option, &QRadioButton::toggled, option, follow);
  follow();
}

}  // namespace

void MarkAsForm(QWidget* window) { window->setProperty(kFormProperty, true); }

frmArchiveProcessor::frmArchiveProcessor(MainWindowEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      environment_(std::move(environment)),
      services_{environment_.messages, environment_.end, files_, environment_.locale,
                environment_.programFolder},
      reporting_{environment_.messages, environment_.locale} {
  MarkAsForm(this);
  setFont(FormFont(8.25));
  setWindowTitle(QStringLiteral("Tavelin ") + QString::fromLatin1(kVersionText));
  CreateMenus();
  CreateControls();
  SetTabOrder();
  layout()->setSizeConstraint(QLayout::SetNoConstraint);  // not even the menu bar's height
  resize(Pixels(kClientWidthTwips), Pixels(kClientHeightTwips) + menuBar()->sizeHint().height());
  connect(qApp, &QGuiApplication::focusWindowChanged, this,
          &frmArchiveProcessor::OnFocusWindowChanged);
  loaded_ = Form_Load();
}

frmArchiveProcessor::~frmArchiveProcessor() {
  delete plotWindow_;  // it draws from this window's plot data
  try {
    files_.CloseAll();
  } catch (const RunTimeError&) {
    // Nothing is left to tell.
  }
}

void frmArchiveProcessor::CreateMenus() {
  QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFileOpen = mnuFile->addAction(QStringLiteral("&Open"));
  mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
  QMenu* mnuConfigure = menuBar()->addMenu(QStringLiteral("&Configure"));
  mnuConfigNumberOfSteps = mnuConfigure->addAction(QStringLiteral("&Number of Steps (Frequencies)"));
  QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
  mnuHelpHelp = mnuHelp->addAction(QStringLiteral("&Help"));
  mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About Tavelin"));

  connect(mnuFileOpen, &QAction::triggered, this, [this] { mnuFileOpen_Click(); });
  connect(mnuFileExit, &QAction::triggered, this, [this] { mnuFileExit_Click(); });
  connect(mnuConfigNumberOfSteps, &QAction::triggered, this, [this] { mnuConfigNumberOfSteps_Click(); });
  connect(mnuHelpHelp, &QAction::triggered, this, [this] { mnuHelpHelp_Click(); });
  connect(mnuHelpAbout, &QAction::triggered, this, [this] { mnuHelpAbout_Click(); });
}

void frmArchiveProcessor::CreateControls() {
  // No minimum size: the window can be made smaller than its controls, which then lie cut off.
  auto* client = new QWidget(this);
  client->resize(Pixels(kClientWidthTwips), Pixels(kClientHeightTwips));
  setCentralWidget(client);

  lblElementsInNetwork = Place(new QLabel(client), 840, 210, 2745, 330);

  frScanFrequencies = Place(new QGroupBox(QStringLiteral("Scan Frequency Setup"), client), 105, 630, 3585, 2430);
  frScanFrequencies->setToolTip(
      QStringLiteral("First Open a Data File, Then Set Frequency Bounds and Begin Scan."));
  Label28 = Place(new QLabel(QStringLiteral("Lower Frequency"), frScanFrequencies), 315, 315, 1800, 330);
  txtScanFreqLower = Place(new QLineEdit(frScanFrequencies), 2100, 315, 645, 330);
  txtScanFreqLower->setToolTip(QStringLiteral("Enter Lower Bounding Frequency in MHz."));
  txtScanFreqUpper = Place(new QLineEdit(frScanFrequencies), 2100, 840, 645, 330);
  txtScanFreqUpper->setToolTip(QStringLiteral("Enter the Upper Bounding Frequency in MHz."));
  Label29 = Place(new QLabel(QStringLiteral("Upper Frequency"), frScanFrequencies), 315, 840, 1800, 225);
  Label37 = Place(new QLabel(QStringLiteral("MHz"), frScanFrequencies), 2835, 315, 330, 330);
  Label38 = Place(new QLabel(QStringLiteral("MHz"), frScanFrequencies), 2835, 840, 435, 330);
  cmdBeginScan = Place(new QPushButton(QStringLiteral("Begin Scan"), frScanFrequencies), 945, 1890, 1380, 435);
  cmdBeginScan->setToolTip(QStringLiteral("Press to Generate the Values Versus Frequency Flie."));
  connect(cmdBeginScan, &QPushButton::clicked, this, [this] { cmdBeginScan_Click(); });
  PressOnEnter(cmdBeginScan);

  frPlotSetup = Place(new QGroupBox(QStringLiteral("Plot Setup"), client), 3840, 120, 2535, 3900);
  frPlotSetup->setToolTip(QStringLiteral(
      "Choose the Variable to be Displayed against Frequency, Set Log or Linear and Press Compute and Plot."));
  struct OptionPlace {
    const char* caption;
    int top;
    int width;
    int height;
  };
  constexpr OptionPlace kOptions[] = {
      {"Voltage Magnitude", 315, 1695, 225},   {"Current Magnitude", 735, 1800, 225},
      {"Z Magnitude", 1155, 1800, 225},        {"Voltage Phase Angle", 1575, 2010, 225},
      {"Current Phase Angle", 1995, 2115, 225}, {"Z Phase Angle", 2415, 1905, 225},
      {"SWR", 2790, 1800, 270}};
  option1Group_ = new QButtonGroup(this);
  for (int i = 0; i < 7; ++i) {
    const OptionPlace& o = kOptions[i];
    Option1[static_cast<std::size_t>(i)] =
        Place(new QRadioButton(QString::fromLatin1(o.caption), frPlotSetup), 210, o.top, o.width, o.height);
    option1Group_->addButton(Option1[static_cast<std::size_t>(i)], i);
  }
  // Selecting a button from code raises its click handler as a user's click would.
  connect(option1Group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) Option1_Click(id);
  });
  cmdCompute = Place(new QPushButton(QStringLiteral("Compute and Plot"), frPlotSetup), 510, 3270, 1500, 435);
  cmdCompute->setToolTip(QStringLiteral("Press to Display the Plot"));
  connect(cmdCompute, &QPushButton::clicked, this, [this] { cmdCompute_Click(); });
  PressOnEnter(cmdCompute);

  frameLogLin = Place(new QGroupBox(QStringLiteral("Log or Linear Plot"), client), 3840, 4200, 2535, 735);
  optLogLin[0] = Place(new QRadioButton(QStringLiteral("Logarithmic Plot"), frameLogLin), 240, 240, 1815, 195);
  optLogLin[0]->setToolTip(QStringLiteral("Choose Logarithmic or Linear for Magnitude Plots."));
  optLogLin[1] = Place(new QRadioButton(QStringLiteral("Linear Plot"), frameLogLin), 240, 480, 2055, 195);
  optLogLin[1]->setToolTip(QStringLiteral("Choose Linear for Phase Angle Plots"));
  optLogLin[1]->setChecked(true);
  TabToSelected({Option1.begin(), Option1.end()});
  TabToSelected({optLogLin.begin(), optLogLin.end()});

  Label1 = Place(new QLabel(QStringLiteral("Decades for Log Plot"), client), 4320, 5040, 1575, 255);
  txtDecades = Place(new QLineEdit(client), 5880, 5040, 495, 285);
  txtDecades->setToolTip(QStringLiteral("For Log Plots, Set the Number of Decades of Range."));
  Label2 = Place(new QLabel(QStringLiteral("Min. Value for Log Plot"), client), 3960, 5400, 1695, 255);
  txtMinValue = Place(new QLineEdit(client), 5640, 5400, 735, 285);
  txtMinValue->setToolTip(QStringLiteral("For Log Plots, Set the Low Value of the Log Scale."));
  Label3 = Place(new QLabel(QStringLiteral("Normalizer for SWR"), client), 570, 4395, 1425, 240);
  txtNormalizer = Place(new QLineEdit(client), 2010, 4365, 810, 300);
  KeepToolTipsOwn(client);
  KeepBefore(Label1, txtDecades);
  KeepBefore(Label2, txtMinValue);
  KeepBefore(Label3, txtNormalizer);

  // Frames carry their caption on the border line, so the controls' twip positions sit inside them.
  for (QGroupBox* frame : {frScanFrequencies, frPlotSetup, frameLogLin}) {
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
        " padding: 0px 2px; }"));
  }
}

void frmArchiveProcessor::SetTabOrder() {
  QWidget* const order[] = {txtScanFreqLower, txtScanFreqUpper, cmdBeginScan, Option1[5], Option1[4],
                            Option1[3],       Option1[2],       Option1[1],   Option1[0], cmdCompute,
                            optLogLin[1],     optLogLin[0],     txtDecades,   txtMinValue, Option1[6],
                            txtNormalizer};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

bool frmArchiveProcessor::Form_Load() {
  try {
    txtNormalizer->setText(QStringLiteral("50"));
    cmdBeginScan->setEnabled(false);
    state_.StepCount = 100;
    state_.ElementIndex = 1;
    state_.Node.Reset();
    frPlotSetup->setEnabled(false);
    frameLogLin->setEnabled(false);
    cmdCompute->setEnabled(false);
    Option1[0]->setChecked(true);
    Option1_Click(0);  // also when the button was already selected
    txtMinValue->setEnabled(false);
    txtDecades->setEnabled(false);
    cmdCompute->setEnabled(false);
    return true;
  } catch (const RunTimeError& e) {
    if (e.Number() == err::kFileNotFound) {
      environment_.messages.Show("Error code " + std::to_string(e.Number()) + " during Form Load",
                                 "Fatal Error in Form Load");
    }
    return false;
  }
}

void frmArchiveProcessor::OnFocusWindowChanged(QWindow* window) {
  if (window == nullptr) return;  // another program took the focus
  bool isForm = false;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowHandle() == window) isForm = widget->property(kFormProperty).toBool();
  }
  if (!isForm) return;  // message boxes and the file dialog are not forms
  if (window == windowHandle() && (!activatedOnce_ || lastFormWindow_ != window)) {
    activatedOnce_ = true;
    Form_Activate();
  }
  lastFormWindow_ = window;
}

void frmArchiveProcessor::Form_Activate() { txtScanFreqLower->setFocus(Qt::ActiveWindowFocusReason); }

void frmArchiveProcessor::Form_QueryUnload() {
  try {
    files_.Close(state_.OutputReadFile);
  } catch (const RunTimeError&) {
    // The window closes whatever happens.
  }
}

void frmArchiveProcessor::closeEvent(QCloseEvent* event) {
  Form_QueryUnload();
  event->accept();
}

void frmArchiveProcessor::Option1_Click(int index) { PlotVariableIndex = static_cast<std::int16_t>(index); }

void frmArchiveProcessor::mnuFileOpen_Click() {
  const std::optional<std::string> fileName = environment_.fileDialog.GetOpenFileName(this);
  const bool opened = OpenElementFile(services_, state_, fileName, [this](std::int16_t count) {
    lblElementsInNetwork->setText(QStringLiteral("Elements In Network: %1").arg(count));
  });
  if (opened) cmdBeginScan->setEnabled(true);
}

void frmArchiveProcessor::cmdBeginScan_Click() {
  const ScanOutcome outcome =
      BeginScan(services_, state_, ToStdString(txtScanFreqUpper->text()), ToStdString(txtScanFreqLower->text()));
  if (outcome == ScanOutcome::kReopened) EnablePlotControls();
}

void frmArchiveProcessor::cmdCompute_Click() {
  PlotRequest request;
  request.PlotVariableIndex = PlotVariableIndex;
  request.logarithmic = optLogLin[0]->isChecked();
  request.normalizerText = ToStdString(txtNormalizer->text());
  request.decadesText = ToStdString(txtDecades->text());
  request.minValueText = ToStdString(txtMinValue->text());
  if (!ComputePlot(services_, state_, request, plot_)) return;
  // An open plot window shows the new data at once rather than at its next resize.
  if (plotWindow_ != nullptr) {
    plotWindow_->Redraw();
  } else {
    plotWindow_ = new frmPlot(plot_, reporting_, environment_.printers);
    MarkAsForm(plotWindow_);
    ShowEmptyCaption(plotWindow_);
  }
  plotWindow_->show();
  plotWindow_->raise();
  plotWindow_->activateWindow();
}

// The last steps of reopening the output file: the plot set-up becomes usable with its defaults.
void frmArchiveProcessor::EnablePlotControls() {
  frPlotSetup->setEnabled(true);
  frameLogLin->setEnabled(true);
  txtMinValue->setText(ToQString(FormatGeneral(0.1, services_.locale)));
  txtDecades->setText(QStringLiteral("5"));
  txtMinValue->setEnabled(true);
  txtDecades->setEnabled(true);
  cmdCompute->setEnabled(true);
}

// The modal dialogs return when closed; the main window is active again, and the focus goes back
// to the lower bound, whether or not OK stored a new count.
void frmArchiveProcessor::mnuConfigNumberOfSteps_Click() {
  static_cast<void>(ShowConfigureDialog(this, environment_.messages, state_.StepCount));
  Form_Activate();
}

void frmArchiveProcessor::mnuHelpAbout_Click() {
  ShowAboutBox(this, environment_.messages, environment_.registry, environment_.starter);
  Form_Activate();
}

void frmArchiveProcessor::mnuHelpHelp_Click() {
  ShowHelpFile(kHelpFileName, HelpEnvironment{environment_.programFolder, environment_.shell, environment_.messages});
}

void frmArchiveProcessor::mnuFileExit_Click() {
  try {
    files_.CloseAll();
  } catch (const RunTimeError&) {
    // Leaving regardless.
  }
  close();
  environment_.end.EndNow();
}

}  // namespace tavelin
