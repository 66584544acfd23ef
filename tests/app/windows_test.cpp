// What the user sees of every window: names, captions, places in twips, tool tips, enabling, tab chains.

#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <map>

#include "app/about_box.hpp"
#include "app/configure_dialog.hpp"
#include "support/temp_dir.hpp"
#include "window_rig.hpp"

inline void PrintTo(const QString& s, std::ostream* out) { *out << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QRect& r, std::ostream* out) {
  *out << r.x() * 15 << ", " << r.y() * 15 << ", " << r.width() * 15 << ", " << r.height() * 15 << " twips";
}

namespace tavelin {
namespace {
struct Control {
  QWidget *widget, *container;
  QString caption, tip;
  int left, top, width, height;  // twips
  QWidget* before = nullptr;      // the text box that a caption on its left ends before
};

QString Caption(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  return qobject_cast<const QLineEdit*>(w)->text();
}

// The tool tip the user gets when resting the mouse on the control: none leaves the one shown before.
QString ToolTipShown(QWidget* w) {
  QToolTip::showText(w->mapToGlobal(QPoint(2, 2)), "(none)", w);
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(w, &help);
  return QToolTip::text() == "(none)" ? QString() : QToolTip::text();
}

void ExpectControls(const std::vector<Control>& controls) {
  for (const Control& c : controls) {
    const std::string name = c.caption.toStdString() + " / " + c.tip.toStdString();
    EXPECT_EQ(std::tuple(c.widget->parentWidget(), Caption(c.widget), c.widget->toolTip()),
              std::tuple(c.container, c.caption, c.tip)) << name;
    EXPECT_EQ(c.widget->isVisible() ? ToolTipShown(c.widget) : c.tip, c.tip) << name;
    // A caption that needs more room than its place may grow about the same centre line, never move.
    const QRect part(c.left / 15, c.top / 15, c.width / 15, c.height / 15), r = c.widget->geometry();
    const bool grown = !qobject_cast<QLineEdit*>(c.widget) && !qobject_cast<QPushButton*>(c.widget) &&
                       r.width() >= part.width() && r.height() >= part.height() &&
                       std::abs(r.center().y() - part.center().y()) <= 1 &&
                       (r.left() == part.left() || r.right() == part.right() ||
                        (c.before && r.right() < c.before->x() && r.right() + 4 >= c.before->x()));
    EXPECT_TRUE(r == part || grown) << name << ": " << ::testing::PrintToString(r);
  }
}

// The widgets that take focus, in the order Tab visits them from the first.
std::vector<QWidget*> TabChain(QWidget* first, const std::vector<QWidget*>& among) {
  std::vector<QWidget*> chain{first};
  for (QWidget* w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain()) {
    if (std::find(among.begin(), among.end(), w) != among.end()) chain.push_back(w);
  }
  return chain;
}

class Windows : public ::testing::Test {
 protected:
  testing::TempDir folder;
  testing::WindowRig rig{folder.Path().string()};
  frmArchiveProcessor& w = rig.window;
};

TEST_F(Windows, MainWindowControlsMenusAndTabChain) {
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(std::pair(w.windowTitle(), w.centralWidget()->size()), std::pair(QString("Tavelin 3.3.1"), QSize(437, 389)));
  QWidget *const client = w.centralWidget(), *const scan = w.frScanFrequencies(), *const plot = w.frPlotSetup(),
                 *const scale = w.frameLogLin();
  ExpectControls({
      {w.lblElementsInNetwork(), client, "", "", 840, 210, 2745, 330},
      {scan, client, "Scan Frequency Setup", "First Open a Data File, Then Set Frequency Bounds and Begin Scan.", 105, 630, 3585, 2430},
      {w.Label28(), scan, "Lower Frequency", "", 315, 315, 1800, 330},
      {w.txtScanFreqLower(), scan, "", "Enter Lower Bounding Frequency in MHz.", 2100, 315, 645, 330},
      {w.txtScanFreqUpper(), scan, "", "Enter the Upper Bounding Frequency in MHz.", 2100, 840, 645, 330},
      {w.Label29(), scan, "Upper Frequency", "", 315, 840, 1800, 225}, {w.Label37(), scan, "MHz", "", 2835, 315, 330, 330},
      {w.Label38(), scan, "MHz", "", 2835, 840, 435, 330},
      {w.cmdBeginScan(), scan, "Begin Scan", "Press to Generate the Values Versus Frequency Flie.", 945, 1890, 1380, 435},
      {plot, client, "Plot Setup",
       "Choose the Variable to be Displayed against Frequency, Set Log or Linear and Press Compute and Plot.", 3840, 120, 2535, 3900},
      {w.Option1(0), plot, "Voltage Magnitude", "", 210, 315, 1695, 225},
      {w.Option1(1), plot, "Current Magnitude", "", 210, 735, 1800, 225},
      {w.Option1(2), plot, "Z Magnitude", "", 210, 1155, 1800, 225},
      {w.Option1(3), plot, "Voltage Phase Angle", "", 210, 1575, 2010, 225},
      {w.Option1(4), plot, "Current Phase Angle", "", 210, 1995, 2115, 225},
      {w.Option1(5), plot, "Z Phase Angle", "", 210, 2415, 1905, 225}, {w.Option1(6), plot, "SWR", "", 210, 2790, 1800, 270},
      {w.cmdCompute(), plot, "Compute and Plot", "Press to Display the Plot", 510, 3270, 1500, 435},
      {scale, client, "Log or Linear Plot", "", 3840, 4200, 2535, 735},
      {w.optLogLin(0), scale, "Logarithmic Plot", "Choose Logarithmic or Linear for Magnitude Plots.", 240, 240, 1815, 195},
      {w.optLogLin(1), scale, "Linear Plot", "Choose Linear for Phase Angle Plots", 240, 480, 2055, 195},
      {w.Label1(), client, "Decades for Log Plot", "", 4320, 5040, 1575, 255, w.txtDecades()},
      {w.txtDecades(), client, "", "For Log Plots, Set the Number of Decades of Range.", 5880, 5040, 495, 285},
      {w.Label2(), client, "Min. Value for Log Plot", "", 3960, 5400, 1695, 255, w.txtMinValue()},
      {w.txtMinValue(), client, "", "For Log Plots, Set the Low Value of the Log Scale.", 5640, 5400, 735, 285},
      {w.Label3(), client, "Normalizer for SWR", "", 570, 4395, 1425, 240, w.txtNormalizer()},
      {w.txtNormalizer(), client, "50", "", 2010, 4365, 810, 300},
  });
  // Tab visits the controls by their tab index; the option buttons in their reversed order.
  const std::vector<QWidget*> order{w.txtScanFreqLower(), w.txtScanFreqUpper(), w.cmdBeginScan(), w.Option1(5),
                                    w.Option1(4),         w.Option1(3),         w.Option1(2),     w.Option1(1),
                                    w.Option1(0),         w.cmdCompute(),       w.optLogLin(1),   w.optLogLin(0),
                                    w.txtDecades(),       w.txtMinValue(),      w.Option1(6),     w.txtNormalizer()};
  EXPECT_EQ(TabChain(w.txtScanFreqLower(), order), order);
  QStringList menus;
  for (QAction* menu : w.menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, QStringList({"&File", "&Configure", "Help"}));
  for (const auto& [item, caption] : {std::pair(w.mnuFileOpen(), "&Open"), {w.mnuFileExit(), "E&xit"},
                                      {w.mnuConfigNumberOfSteps(), "&Number of Steps (Frequencies)"},
                                      {w.mnuHelpHelp(), "&Help"}, {w.mnuHelpAbout(), "&About Tavelin"}}) {
    EXPECT_EQ(item->text(), caption);
    EXPECT_TRUE(item->isEnabled() && item->isVisible() && item->shortcut().isEmpty()) << caption;
  }
  w.resize(120, 90);  // sizable, with no minimum size
  EXPECT_EQ(std::pair(w.minimumSize(), w.size()), std::pair(QSize(0, 0), QSize(120, 90)));
}

// Tab lands on the selected option, Down moves both; Enter presses a focused button.
TEST_F(Windows, KeyboardOnTheDesktop) {
  for (QWidget* c : std::initializer_list<QWidget*>{w.cmdBeginScan(), w.frPlotSetup(), w.frameLogLin(), w.cmdCompute()}) c->setEnabled(true);
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  const std::tuple<int, QWidget*, int> cases[] = {{0, w.Option1(0), 1}, {4, w.Option1(4), 5}, {6, w.cmdCompute(), -1}};
  for (const auto& [selected, landing, afterDown] : cases) {
    w.Option1(selected)->click();
    w.cmdBeginScan()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), landing) << selected;
    if (afterDown < 0) continue;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(std::pair(QApplication::focusWidget(), static_cast<int>(w.PlotVariableIndex())),
              std::pair(static_cast<QWidget*>(w.Option1(afterDown)), afterDown));
  }
  w.cmdCompute()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w.optLogLin(1));  // "Linear Plot", selected from the start
  for (QPushButton* button : {w.cmdBeginScan(), w.cmdCompute()}) {
    QSignalSpy pressed(button, &QPushButton::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter);
    EXPECT_EQ(pressed.count(), 2) << button->text().toStdString();
  }
}

// Stage 1 at start, 2 after File > Open, 3 after a scan; nothing is disabled again.
TEST_F(Windows, ControlsBecomeUsableStageByStage) {
  const auto expectStage = [this](int stage) {
    for (const auto& [widget, from] : {std::pair<QWidget*, int>(w.txtScanFreqLower(), 1), {w.txtScanFreqUpper(), 1},
                                       {w.txtNormalizer(), 1}, {w.cmdBeginScan(), 2}, {w.Option1(0), 3}, {w.Option1(6), 3},
                                       {w.cmdCompute(), 3}, {w.optLogLin(0), 3}, {w.optLogLin(1), 3},
                                       {w.txtMinValue(), 3}, {w.txtDecades(), 3}, {w.frPlotSetup(), 3}}) {
      EXPECT_EQ(widget->isEnabled(), stage >= from) << stage << Caption(widget).toStdString();
    }
  };
  expectStage(1);
  EXPECT_TRUE(w.Option1(0)->isChecked() && w.optLogLin(1)->isChecked() && !w.optLogLin(0)->isChecked());
  EXPECT_EQ(std::tuple(w.PlotVariableIndex(), w.State().StepCount, w.txtMinValue()->text(), w.txtDecades()->text()),
            std::tuple(std::int16_t{0}, std::int16_t{100}, QString(), QString()));
  rig.Open(folder.File("empty.dat"));
  expectStage(2);
  rig.Scan("1", "2");
  expectStage(3);
  EXPECT_EQ(std::pair(w.txtMinValue()->text(), w.txtDecades()->text()), std::pair(QString("0.1"), QString("5")));
  rig.Open(folder.File("empty.dat"));
  rig.Scan("2", "1");
  expectStage(3);
  // Each variable button stores its own index, whatever the tab order; the scale group is apart.
  for (int i : {6, 5, 4, 3, 2, 1, 0, 6}) EXPECT_EQ((w.Option1(i)->click(), w.PlotVariableIndex()), i);
  w.optLogLin(0)->click();
  EXPECT_TRUE(w.Option1(6)->isChecked() && w.optLogLin(0)->isChecked() && !w.optLogLin(1)->isChecked());
}

// Runs action once the next modal dialog is up.
void WhenModal(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    QWidget* modal = QApplication::activeModalWidget();
    // Focus arrives with activation, which a slow (sanitizer) run may see a turn later.
    if (modal != nullptr && QApplication::activeWindow() == modal) timer->stop(), timer->deleteLater(), action(modal);
  });
  timer->start(10);
}

TEST_F(Windows, TheDialogsLayOutTheirControlsAndGiveTheFocusBackToTheLowerBound) {
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_EQ(QApplication::focusWidget(), w.txtScanFreqLower());
  w.txtScanFreqUpper()->setFocus();
  WhenModal([](QWidget* modal) {
    auto* d = qobject_cast<frmConfigure*>(modal);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(std::pair(d->windowTitle(), d->size()), std::pair(QString("Configure Number Of Steps"), QSize(239, 114)));
    ExpectControls({{d->cmdOK(), d, "OK", "", 1470, 945, 750, 435},
                    {d->findChild<QLabel*>(), d, "Number of Steps in Frequency Scan", "", 105, 420, 2640, 330},
                    {d->txtNumberOfSteps(), d, "100", "", 2835, 420, 540, 330}});
    EXPECT_TRUE(QApplication::focusWidget() == d->cmdOK() && !d->cmdOK()->isDefault() && !d->cmdOK()->autoDefault() &&
                d->testAttribute(Qt::WA_KeyboardFocusChange));  // the focus mark shows at once
    d->txtNumberOfSteps()->setText("7");
    d->cmdOK()->click();
  });
  w.mnuConfigNumberOfSteps()->trigger();
  EXPECT_EQ(std::pair(w.State().StepCount, w.focusWidget()), std::pair(std::int16_t{7}, static_cast<QWidget*>(w.txtScanFreqLower())));
  w.txtNormalizer()->setFocus();
  WhenModal([](QWidget* modal) {
    auto* a = qobject_cast<frmAbout*>(modal);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::pair(a->windowTitle(), a->size()), std::pair(QString("About Tavelin"), QSize(382, 237)));
    ExpectControls({{a->lblVersion(), a, "Version 3.3.1", "", 1920, 1080, 3645, 225},
                    {a->lblDescription(), a, "Tavelin is a program that reads a data file generator by Corvane version "
                                           "1.6.2, or later. It processes that data file into plots of variables versus "
                                           "frequency.", "", 1920, 1440, 3645, 930},
                    {a->cmdOK(), a, "OK", "", 4245, 2625, 1260, 345},
                    {a->cmdSysInfo(), a, "&System Info...", "", 4260, 3075, 1245, 345}});
    EXPECT_EQ(std::pair(a->picIcon()->geometry(), a->lblTitle()->geometry().topLeft()), std::pair(QRect(16, 16, 104, 129), QPoint(126, 16)));
    EXPECT_TRUE(a->lblTitle()->text().contains("Tavelin") && QApplication::focusWidget() == a->cmdOK() && a->cmdOK()->isDefault());
    a->cmdSysInfo()->click();
    QTest::keyClick(a, Qt::Key_Escape);
  });
  w.mnuHelpAbout()->trigger();
  EXPECT_EQ(rig.messages.shown, (std::vector<testing::ShownMessage>{{"System Information Is Unavailable At This Time", "Tavelin"}}));
  EXPECT_EQ(w.focusWidget(), w.txtScanFreqLower());
  w.txtNormalizer()->setFocus();
  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });  // Enter presses the default OK
  w.mnuHelpAbout()->trigger();
  EXPECT_EQ(w.focusWidget(), w.txtScanFreqLower());
}

// Markers from the bottom-left to the top-right corner of the plot area, in marker blue.
TEST_F(Windows, ThePlotWindowDrawsAndClosesAndItsButtonsFollowItsSize) {
  rig.Open(TAVELIN_SOURCE_DIR "/examples/two-element.dat");
  w.State().StepCount = 2;
  rig.Scan("1", "3");
  rig.Compute(2);
  frmPlot* p = w.PlotWindow();
  ASSERT_TRUE(rig.PlotShown());
  EXPECT_EQ(std::tuple(p->windowTitle(), Caption(p->cmdPrint()), Caption(p->cmdOK()), p->cmdPrint()->toolTip(), p->cmdOK()->toolTip()),
            std::tuple(QString(), QString("Print"), QString("OK"), QString(), QString()));
  for (QSize size : {QSize(400, 300), QSize(700, 500)}) {
    p->resize(size);
    QCoreApplication::processEvents();
    // The geometry comes from the drawing area, so that a frame hides nothing of the plot.
    const int top = std::lround(0.5 * p->height());
    EXPECT_EQ(p->cmdPrint()->geometry(), QRect(std::lround(0.4 * p->width()), top, 33, 21));
    EXPECT_EQ(p->cmdOK()->geometry(), QRect(std::lround(0.55 * p->width()), top, 33, 21));
    EXPECT_EQ(p->FontPoints(), p->height() * 15 > 6000 ? 12 : 8);
    const PlotGeometry& g = p->Geometry();
    EXPECT_EQ(std::tuple(g.WindowWidth, g.WindowHeight), std::tuple(p->width() * 15.0f, p->height() * 15.0f));
    for (double f : {0.0, 1.0}) {
      const QColor c = p->Picture().pixelColor((g.PlotLeft + f * g.PlotWidth) / 15, (g.PlotTop + (1 - f) * g.PlotHeight) / 15);
      EXPECT_TRUE(c.blue() > 240 && c.red() < 40 && c.green() < 40) << f;
    }
  }
  // It opens with the focus mark on OK; Enter presses a focused Print or OK.
  EXPECT_TRUE(p->focusWidget() == p->cmdOK() && p->testAttribute(Qt::WA_KeyboardFocusChange));
  rig.pdfPath = folder.File("plot.pdf");
  QTest::keyClick(p->cmdPrint(), Qt::Key_Return);
  EXPECT_TRUE(std::filesystem::exists(rig.pdfPath));
  QTest::keyClick(p->cmdOK(), Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(w.PlotWindow(), nullptr);
  EXPECT_EQ(rig.messages.shown.back().title, "Status");  // nothing since the scan
}

TEST(ReadStepCountEntry, RoundsHalvesToEvenAndRefusesWhatA16BitCountCannotHold) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"49.5", 50}, {"48.5", 48}, {"12abc", 12}, {"", 0}, {"&H1F", 31}, {"-1.5", -2}, {"32767.4", 32767},
      {"-32768.5", -32768}, {"32767.5", std::nullopt}, {"-32769", std::nullopt}, {"&H8000", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReadStepCountEntry(text), expected) << text;
}

// The close box and Esc keep the count; OK stores it or refuses beyond 16 bits; Enter only on OK.
TEST(ConfigureDialog, StoresOnOkOnlyAndRefusesWhatSixteenBitsCannotHold) {
  testing::RecordingMessages messages;
  std::int16_t StepCount = 100;
  frmConfigure closed(nullptr, messages, StepCount), refused(nullptr, messages, StepCount), dialog(nullptr, messages, StepCount);
  closed.txtNumberOfSteps()->setText("9");
  closed.close();
  refused.txtNumberOfSteps()->setText("32767.5");
  refused.cmdOK()->click();
  EXPECT_EQ(std::pair(StepCount, messages.shown), std::pair(std::int16_t{100}, std::vector<testing::ShownMessage>{
                                {"The Number of Steps must be a whole number from -32768 to 32767.", "Tavelin"}}));
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.txtNumberOfSteps()->setText("250 steps");
  for (QWidget* at : {static_cast<QWidget*>(dialog.cmdOK()), static_cast<QWidget*>(dialog.txtNumberOfSteps())}) {
    at->setFocus();
    QTest::keyClick(at, Qt::Key_Escape);
  }
  QTest::keyClick(dialog.txtNumberOfSteps(), Qt::Key_Return);
  QTest::keyClick(dialog.txtNumberOfSteps(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(dialog.isVisible() && StepCount == 100);
  dialog.cmdOK()->setFocus();
  QTest::keyClick(dialog.cmdOK(), Qt::Key_Return);
  EXPECT_TRUE(!dialog.isVisible() && StepCount == 250);
  EXPECT_EQ(frmConfigure(nullptr, messages, StepCount).txtNumberOfSteps()->text(), "250");
}

}  // namespace
}  // namespace tavelin
