#include "plotwindow/plot_window.hpp"

#include <QMetaObject>
#include <QMoveEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <algorithm>

#include "forms/form_font.hpp"
#include "forms/keyboard.hpp"
#include "plotwindow/plot_images.hpp"
#include "plotwindow/painter_plot_surface.hpp"
#include "forms/twips.hpp"

namespace tavelin {

namespace {

QPushButton* MakeButton(const QString& caption, QWidget* parent, const TwipRect& place) {
  auto* button = new QPushButton(caption, parent);
  button->setFont(FormFont(kFormFontPoints));
  button->setGeometry(place.Pixels());
  PressOnEnter(button);
  return button;
}

Rgb ToRgb(const QColor& c) {
  return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
             static_cast<std::uint8_t>(c.blue())};
}

// The drawing's own messages were shown when the window drew; printing does not repeat them.
class SilentMessages : public MessageBoxes {
 public:
  void Show(const std::string&, const std::string&) override {}
};

// A button as a framed panel with its caption, drawn as shapes and text rather than as pixels.
void PrintButton(QPainter& painter, const QPushButton& button, double scale, const QPaintDevice& device) {
  const QPalette& palette = button.palette();
  const QRectF box(button.x() * scale, button.y() * scale, button.width() * scale, button.height() * scale);
  painter.setPen(QPen(palette.color(QPalette::Dark), scale));
  painter.setBrush(palette.color(QPalette::Button));
  painter.drawRoundedRect(box.adjusted(scale / 2, scale / 2, -scale / 2, -scale / 2), 2 * scale, 2 * scale);
  painter.setBrush(Qt::NoBrush);
  QFont font = button.font();
  font.setPointSizeF(DevicePoints(font.pointSizeF(), scale, device));
  painter.setFont(font);
  painter.setPen(palette.color(QPalette::ButtonText));
  painter.drawText(box, Qt::AlignCenter, button.text());
}

}  // namespace

// Replays the window on the printer at the printer's resolution: the plot drawn again with the
// window's layout, then its buttons, all as vector shapes and text. The window's pixels are taken
// at 96 dots per inch and the whole is shrunk only when it does not fit the page.
bool PrintWindow(QPrinter& printer, QSize area, const PlotGeometry& geometry, const PlotData& data,
                 Rgb textColour, const NumberLocale& locale, const std::vector<const QPushButton*>& buttons) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const double full = printer.resolution() / kScreenDpi;
  const double shrink = std::min({1.0, page.width() / (area.width() * full), page.height() / (area.height() * full)});
  const double scale = full * shrink;
  painter.setClipRect(QRectF(0, 0, area.width() * scale, area.height() * scale));
  PainterPlotSurface surface(painter, printer, scale, QPointF(0, 0), textColour);
  SilentMessages silent;
  DrawWindowPlot(surface, geometry.WindowWidth, geometry.WindowHeight, data, Reporting{silent, locale});
  for (const QPushButton* button : buttons) PrintButton(painter, *button, scale, printer);
  return painter.end();
}

bool SystemPrinterService::Prepare(QPrinter& printer, QWidget* parent) {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (!info.isNull()) {
    printer.setPrinterName(info.printerName());
    return true;
  }
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

void frmPlot::QueuedMessages::Show(const std::string& text, const std::string& title) {
  const std::pair<std::string, std::string> message(text, title);
  if (std::find(pending.begin(), pending.end(), message) == pending.end()) pending.push_back(message);
}

frmPlot::frmPlot(PlotData data, const Reporting& reporting, PrinterService& printers, QWidget* parent)
    : QWidget(parent, Qt::Window), shown_(std::move(data)), reporting_(reporting), printers_(printers) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setWindowTitle(QString());
  cmdOK_ = MakeButton(QStringLiteral("OK"), this, {4080, 3480, 495, 315});
  cmdPrint_ = MakeButton(QStringLiteral("Print"), this, {3360, 3480, 495, 315});
  resize(TwipRect{0, 0, 7875, 7590}.Pixels().size());
  setTabOrder(cmdOK_, cmdPrint_);
  cmdOK_->setFocus();
  connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cmdPrint_, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
}

frmPlot::~frmPlot() = default;

void frmPlot::Redraw(PlotData data) {
  shown_ = std::move(data);
  Form_Resize();
}

void frmPlot::Form_Resize() {
  // A message box of an earlier drawing may be open; its event loop can bring a resize meanwhile.
  if (drawing_) {
    resizeAgain_ = true;
    return;
  }
  drawing_ = true;
  do {
    resizeAgain_ = false;
    // The drawing area, not the outer size: under a frame the outer size would put the bottom of the
    // plot below the window's edge. Without a frame both are the same.
    const auto windowWidth = static_cast<float>(Twips::FromPixels(width()).Value());
    const auto windowHeight = static_cast<float>(Twips::FromPixels(height()).Value());
    pictureArea_ = PictureArea();
    if (picture_.size() != pictureArea_.size()) picture_ = QImage(pictureArea_.size(), QImage::Format_RGB32);

    PainterPlotSurface surface(picture_, ToRgb(palette().color(QPalette::WindowText)), pictureArea_.topLeft());
    surface.Clear(palette().color(QPalette::Window));
    cmdPrint_->move(Twips(0.4 * windowWidth).WholePixels(), Twips(0.5 * windowHeight).WholePixels());
    cmdOK_->move(Twips(0.55 * windowWidth).WholePixels(), Twips(0.5 * windowHeight).WholePixels());
    fontPoints_ = PlotFontPoints(windowHeight);
    geometry_ = DrawWindowPlot(surface, windowWidth, windowHeight, shown_, Reporting{queued_, reporting_.locale});
  } while (resizeAgain_);
  drawing_ = false;
  update();

  if (!queued_.pending.empty() && !flushScheduled_) {
    flushScheduled_ = true;
    QMetaObject::invokeMethod(this, &frmPlot::ShowQueuedMessages, Qt::QueuedConnection);
  }
}

QRect frmPlot::PictureArea() const {
  const QRect all = rect();
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return all;
  const QRect desktop = shownOn->virtualGeometry();
  // Only a window larger than the desktop is held in part: the part of the desktop's size that
  // covers what the desktop shows of it.
  const QPoint shown = mapFromGlobal(desktop.topLeft());
  const auto origin = [](int shownFrom, int whole, int limit) {
    return whole <= limit ? 0 : std::clamp(shownFrom, 0, whole - limit);
  };
  return QRect(origin(shown.x(), all.width(), desktop.width()), origin(shown.y(), all.height(), desktop.height()),
               std::min(all.width(), desktop.width()), std::min(all.height(), desktop.height()));
}

void frmPlot::ShowQueuedMessages() {
  flushScheduled_ = false;
  const QPointer<frmPlot> self(this);
  const auto messages = std::move(queued_.pending);
  queued_.pending.clear();
  for (const auto& message : messages) {
    // A resize while the same box is open would only stack another copy of it.
    if (message == showing_) continue;
    showing_ = message;
    reporting_.messages.Show(message.first, message.second);
    if (self.isNull()) return;
    showing_ = {};
  }
}

void frmPlot::cmdPrint_Click() {
  const QPointer<frmPlot> self(this);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Tavelin plot"));
  if (!printers_.Prepare(printer, this) || self.isNull()) return;
  if (!PrintWindow(printer, size(), geometry_, shown_, ToRgb(palette().color(QPalette::WindowText)),
                   reporting_.locale, {cmdPrint_, cmdOK_})) {
    reporting_.messages.Show("The plot could not be printed.", "Print");
  }
}

void frmPlot::cmdOK_Click() { close(); }

void frmPlot::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

// No larger than the desktop, frame included: the toolkit's own buffer of the window grows with the
// window, whatever the picture holds, and a window beyond the desktop shows nothing more.
void frmPlot::KeepWithinDesktop() {
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return;
  const QSize frame = frameGeometry().size() - size();
  setMaximumSize((shownOn->availableVirtualSize() - frame).expandedTo(QSize(1, 1)));
}

void frmPlot::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  KeepWithinDesktop();  // the frame is known once the window manager has framed the window
  // A window larger than the desktop that moves shows another part of itself: that part is drawn,
  // without the messages of a resize.
  if (drawing_ || pictureArea_.isNull() || PictureArea() == pictureArea_) return;
  Form_Resize();
  queued_.pending.clear();
}

void frmPlot::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect held = event->rect() & pictureArea_;
  if (held != event->rect()) painter.fillRect(event->rect(), palette().color(QPalette::Window));
  if (!held.isEmpty()) painter.drawImage(held.topLeft(), picture_, held.translated(-pictureArea_.topLeft()));
}

void frmPlot::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  KeepWithinDesktop();
  ShowFocusMarkAtOnce(*this);
}

}  // namespace tavelin
