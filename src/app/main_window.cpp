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
#include <type_traits>
#include <vector>

#include "app/configure_dialog.hpp"
#include "app/desktop.hpp"
#include "forms/form_font.hpp"
#include "forms/keyboard.hpp"
#include "forms/twips.hpp"
#include "base/run_time_error.hpp"
#include <tavelin/version.hpp>
#include "base/number_text.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"

namespace tavelin {

namespace {

constexpr TwipRect kClientArea{0, 0, 6555, 5835};
const char* const kFormProperty = "tavelinForm";

// Puts a control at its place in twips. A caption that needs more room than the place gives gets
// it: wider to the right, taller about the same centre line, so no caption is ever cut off. A text
// box keeps its place: its one line of text fits the given heights, and taller boxes would crowd
// the two log-scale boxes together.
void Place(QWidget* widget, const TwipRect& place) {
  QRect rect = place.Pixels();
  const QSize hint = widget->sizeHint();
  const bool captioned = qobject_cast<QLineEdit*>(widget) == nullptr;
  if (captioned && hint.width() > rect.width()) rect.setWidth(hint.width());
  if (captioned && hint.height() > rect.height()) {
    const int centre = rect.center().y();
    rect.setHeight(hint.height());
    rect.moveTop(centre - hint.height() / 2);
  }
  widget->setGeometry(rect);
}

void SetCaption(QWidget* widget, const QString& caption) {
  if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(caption);
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) frame->setTitle(caption);
}

// Creates the control that Member (the Index-th of an array) names, inside Frame or else the
// client area, and stores it there.
template <auto Member, std::size_t Index = 0, auto Frame = nullptr>
QWidget* Make(MainControls& controls, QWidget* client) {
  QWidget* parent = client;
  if constexpr (!std::is_null_pointer_v<decltype(Frame)>) parent = controls.*Frame;
  auto& slot = [&controls]() -> auto& {
    if constexpr (requires { (controls.*Member).size(); }) {
      return (controls.*Member)[Index];
    } else {
      return controls.*Member;
    }
  }();
  slot = new std::remove_pointer_t<std::remove_reference_t<decltype(slot)>>(parent);
  return slot;
}

struct ControlRow {
  QWidget* (*make)(MainControls&, QWidget*);
  const char* caption;
  const char* toolTip;
  TwipRect place;
};

constexpr auto kScan = &MainControls::frScanFrequencies;
constexpr auto kPlot = &MainControls::frPlotSetup;
constexpr auto kLogLin = &MainControls::frameLogLin;
using C = MainControls;

// In creation order, which is also the order they stack in.
constexpr ControlRow kControls[] = {
    {Make<&C::lblElementsInNetwork>, "", "", {840, 210, 2745, 330}},
    {Make<&C::frScanFrequencies>, "Scan Frequency Setup",
     "First Open a Data File, Then Set Frequency Bounds and Begin Scan.", {105, 630, 3585, 2430}},
    {Make<&C::Label28, 0, kScan>, "Lower Frequency", "", {315, 315, 1800, 330}},
    {Make<&C::txtScanFreqLower, 0, kScan>, "", "Enter Lower Bounding Frequency in MHz.", {2100, 315, 645, 330}},
    {Make<&C::txtScanFreqUpper, 0, kScan>, "", "Enter the Upper Bounding Frequency in MHz.", {2100, 840, 645, 330}},
    {Make<&C::Label29, 0, kScan>, "Upper Frequency", "", {315, 840, 1800, 225}},
    {Make<&C::Label37, 0, kScan>, "MHz", "", {2835, 315, 330, 330}},
    {Make<&C::Label38, 0, kScan>, "MHz", "", {2835, 840, 435, 330}},
    {Make<&C::cmdBeginScan, 0, kScan>, "Begin Scan", "Press to Generate the Values Versus Frequency Flie.",
     {945, 1890, 1380, 435}},
    {Make<&C::frPlotSetup>, "Plot Setup",
     "Choose the Variable to be Displayed against Frequency, Set Log or Linear and Press Compute and Plot.",
     {3840, 120, 2535, 3900}},
    {Make<&C::Option1, 0, kPlot>, "Voltage Magnitude", "", {210, 315, 1695, 225}},
    {Make<&C::Option1, 1, kPlot>, "Current Magnitude", "", {210, 735, 1800, 225}},
    {Make<&C::Option1, 2, kPlot>, "Z Magnitude", "", {210, 1155, 1800, 225}},
    {Make<&C::Option1, 3, kPlot>, "Voltage Phase Angle", "", {210, 1575, 2010, 225}},
    {Make<&C::Option1, 4, kPlot>, "Current Phase Angle", "", {210, 1995, 2115, 225}},
    {Make<&C::Option1, 5, kPlot>, "Z Phase Angle", "", {210, 2415, 1905, 225}},
    {Make<&C::Option1, 6, kPlot>, "SWR", "", {210, 2790, 1800, 270}},
    {Make<&C::cmdCompute, 0, kPlot>, "Compute and Plot", "Press to Display the Plot", {510, 3270, 1500, 435}},
    {Make<&C::frameLogLin>, "Log or Linear Plot", "", {3840, 4200, 2535, 735}},
    {Make<&C::optLogLin, 0, kLogLin>, "Logarithmic Plot", "Choose Logarithmic or Linear for Magnitude Plots.",
     {240, 240, 1815, 195}},
    {Make<&C::optLogLin, 1, kLogLin>, "Linear Plot", "Choose Linear for Phase Angle Plots", {240, 480, 2055, 195}},
    {Make<&C::Label1>, "Decades for Log Plot", "", {4320, 5040, 1575, 255}},
    {Make<&C::txtDecades>, "", "For Log Plots, Set the Number of Decades of Range.", {5880, 5040, 495, 285}},
    {Make<&C::Label2>, "Min. Value for Log Plot", "", {3960, 5400, 1695, 255}},
    {Make<&C::txtMinValue>, "", "For Log Plots, Set the Low Value of the Log Scale.", {5640, 5400, 735, 285}},
    {Make<&C::Label3>, "Normalizer for SWR", "", {570, 4395, 1425, 240}},
    {Make<&C::txtNormalizer>, "", "", {2010, 4365, 810, 300}},
};

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
  setFont(FormFont(kFormFontPoints));
  setWindowTitle(QStringLiteral("Tavelin ") + QString::fromLatin1(kVersionText));
  CreateMenus();
  CreateControls();
  SetTabOrder();
  layout()->setSizeConstraint(QLayout::SetNoConstraint);  // not even the menu bar's height
  resize(kClientArea.Pixels().size() + QSize(0, menuBar()->sizeHint().height()));
  connect(qApp, &QGuiApplication::focusWindowChanged, this,
          &frmArchiveProcessor::OnFocusWindowChanged);
  loaded_ = Form_Load();
}

frmArchiveProcessor::~frmArchiveProcessor() {
  delete plotWindow_;  // a window of its own, which would outlive this one
  try {
    files_.CloseAll();
  } catch (const RunTimeError&) {
    // Nothing is left to tell.
  }
}

void frmArchiveProcessor::CreateMenus() {
  MainControls& c = controls_;
  QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  c.mnuFileOpen = mnuFile->addAction(QStringLiteral("&Open"));
  c.mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
  QMenu* mnuConfigure = menuBar()->addMenu(QStringLiteral("&Configure"));
  c.mnuConfigNumberOfSteps = mnuConfigure->addAction(QStringLiteral("&Number of Steps (Frequencies)"));
  QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
  c.mnuHelpHelp = mnuHelp->addAction(QStringLiteral("&Help"));
  c.mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About Tavelin"));

  connect(c.mnuFileOpen, &QAction::triggered, this, [this] { mnuFileOpen_Click(); });
  connect(c.mnuFileExit, &QAction::triggered, this, [this] { mnuFileExit_Click(); });
  connect(c.mnuConfigNumberOfSteps, &QAction::triggered, this, [this] { mnuConfigNumberOfSteps_Click(); });
  connect(c.mnuHelpHelp, &QAction::triggered, this, [this] { mnuHelpHelp_Click(); });
  connect(c.mnuHelpAbout, &QAction::triggered, this, [this] { mnuHelpAbout_Click(); });
}

void frmArchiveProcessor::CreateControls() {
  // No minimum size: the window can be made smaller than its controls, which then lie cut off.
  auto* client = new QWidget(this);
  client->resize(kClientArea.Pixels().size());
  setCentralWidget(client);
  for (const ControlRow& row : kControls) {
    QWidget* control = row.make(controls_, client);
    SetCaption(control, QString::fromLatin1(row.caption));
    if (*row.toolTip != '\0') control->setToolTip(QString::fromLatin1(row.toolTip));
    Place(control, row.place);
  }

  MainControls& c = controls_;
  option1Group_ = new QButtonGroup(this);
  for (std::size_t i = 0; i < c.Option1.size(); ++i) option1Group_->addButton(c.Option1[i], static_cast<int>(i));
  // Selecting a button from code raises its click handler as a user's click would.
  connect(option1Group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) Option1_Click(id);
  });
  connect(c.cmdBeginScan, &QPushButton::clicked, this, [this] { cmdBeginScan_Click(); });
  connect(c.cmdCompute, &QPushButton::clicked, this, [this] { cmdCompute_Click(); });
  PressOnEnter(c.cmdBeginScan);
  PressOnEnter(c.cmdCompute);
  c.optLogLin[1]->setChecked(true);
  TabToSelected({c.Option1.begin(), c.Option1.end()});
  TabToSelected({c.optLogLin.begin(), c.optLogLin.end()});
  KeepToolTipsOwn(client);
  KeepBefore(c.Label1, c.txtDecades);
  KeepBefore(c.Label2, c.txtMinValue);
  KeepBefore(c.Label3, c.txtNormalizer);

  // Frames carry their caption on the border line, so the controls' twip positions sit inside them.
  for (QGroupBox* frame : {c.frScanFrequencies, c.frPlotSetup, c.frameLogLin}) {
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
        " padding: 0px 2px; }"));
  }
}

void frmArchiveProcessor::SetTabOrder() {
  const MainControls& c = controls_;
  QWidget* const order[] = {c.txtScanFreqLower, c.txtScanFreqUpper, c.cmdBeginScan, c.Option1[5], c.Option1[4],
                            c.Option1[3],       c.Option1[2],       c.Option1[1],   c.Option1[0], c.cmdCompute,
                            c.optLogLin[1],     c.optLogLin[0],     c.txtDecades,   c.txtMinValue, c.Option1[6],
                            c.txtNormalizer};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

bool frmArchiveProcessor::Form_Load() {
  try {
    controls_.txtNormalizer->setText(QStringLiteral("50"));
    controls_.cmdBeginScan->setEnabled(false);
    state_.StepCount = 100;
    state_.ElementIndex = 1;
    state_.Node.Reset();
    controls_.frPlotSetup->setEnabled(false);
    controls_.frameLogLin->setEnabled(false);
    controls_.cmdCompute->setEnabled(false);
    controls_.Option1[0]->setChecked(true);
    Option1_Click(0);  // also when the button was already selected
    controls_.txtMinValue->setEnabled(false);
    controls_.txtDecades->setEnabled(false);
    controls_.cmdCompute->setEnabled(false);
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

void frmArchiveProcessor::Form_Activate() { controls_.txtScanFreqLower->setFocus(Qt::ActiveWindowFocusReason); }

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

void frmArchiveProcessor::Option1_Click(int index) { PlotVariableIndex_ = static_cast<std::int16_t>(index); }

void frmArchiveProcessor::mnuFileOpen_Click() {
  const std::optional<std::string> fileName = environment_.fileDialog.GetOpenFileName(this);
  const bool opened = OpenElementFile(services_, state_, fileName, [this](std::int16_t count) {
    controls_.lblElementsInNetwork->setText(QStringLiteral("Elements In Network: %1").arg(count));
  });
  if (opened) controls_.cmdBeginScan->setEnabled(true);
}

void frmArchiveProcessor::cmdBeginScan_Click() {
  const ScanOutcome outcome =
      BeginScan(services_, state_, ToStdString(controls_.txtScanFreqUpper->text()), ToStdString(controls_.txtScanFreqLower->text()));
  if (outcome == ScanOutcome::kReopened) EnablePlotControls();
}

void frmArchiveProcessor::cmdCompute_Click() {
  PlotRequest request;
  request.PlotVariableIndex = PlotVariableIndex_;
  request.logarithmic = controls_.optLogLin[0]->isChecked();
  request.normalizerText = ToStdString(controls_.txtNormalizer->text());
  request.decadesText = ToStdString(controls_.txtDecades->text());
  request.minValueText = ToStdString(controls_.txtMinValue->text());
  if (!ComputePlot(services_, state_, request, plot_)) return;
  // An open plot window shows the new data at once rather than at its next resize.
  if (plotWindow_ != nullptr) {
    plotWindow_->Redraw(plot_);
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
  controls_.frPlotSetup->setEnabled(true);
  controls_.frameLogLin->setEnabled(true);
  controls_.txtMinValue->setText(ToQString(FormatGeneral(0.1, services_.locale)));
  controls_.txtDecades->setText(QStringLiteral("5"));
  controls_.txtMinValue->setEnabled(true);
  controls_.txtDecades->setEnabled(true);
  controls_.cmdCompute->setEnabled(true);
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
