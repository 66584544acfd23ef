#include "plotwindow/qt_plot_surface.hpp"

#include <QFontDatabase>
#include <QPen>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "plotwindow/form_font.hpp"

namespace tavelin {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr int kDotsPerMeter96Dpi = 3780;  // 96 dots per inch, so that a point is 20 twips

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

double Px(float twips) { return twips / kTwipsPerPixel; }

// Multiplies the four channels of x by a / 255, rounded.
inline QRgb ByteMul(QRgb x, unsigned a) {
  unsigned t = (x & 0xff00ffu) * a;
  t = ((t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
  x = ((x >> 8) & 0xff00ffu) * a;
  x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
  return x | t;
}

// A premultiplied stamp pixel over an opaque or premultiplied image pixel.
inline QRgb Over(QRgb src, QRgb dst) { return src + ByteMul(dst, 255u - qAlpha(src)); }

}  // namespace

QtPlotSurface::QtPlotSurface(QImage& picture, Rgb foreColor, QPoint origin)
    : picture_(picture), origin_(origin), font_(FormFont(8.0, true)), metrics_(font_), fore_(foreColor), fill_(QBColor(0)) {
  // Markers are blended straight into 32-bit premultiplied pixels.
  if (picture_.format() != QImage::Format_RGB32 && picture_.format() != QImage::Format_ARGB32_Premultiplied) {
    picture_.convertTo(QImage::Format_ARGB32_Premultiplied);
  }
  if (picture_.dotsPerMeterX() != kDotsPerMeter96Dpi || picture_.dotsPerMeterY() != kDotsPerMeter96Dpi) {
    picture_.setDotsPerMeterX(kDotsPerMeter96Dpi);
    picture_.setDotsPerMeterY(kDotsPerMeter96Dpi);
  }
  metrics_ = QFontMetricsF(font_, &picture_);
}

QtPlotSurface::~QtPlotSurface() { EndPainting(); }

double QtPlotSurface::PxX(float twips) const { return Px(twips) - origin_.x(); }
double QtPlotSurface::PxY(float twips) const { return Px(twips) - origin_.y(); }

QPainter& QtPlotSurface::Painter() {
  if (!painter_.isActive()) {
    painter_.begin(&picture_);
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    painter_.setFont(font_);
  }
  return painter_;
}

void QtPlotSurface::EndPainting() {
  if (painter_.isActive()) painter_.end();
}

void QtPlotSurface::Clear(const QColor& background) {
  EndPainting();
  lastStamp_ = nullptr;
  picture_.fill(background);
}

void QtPlotSurface::SetFont(double points, bool bold) {
  font_ = FormFont(points, bold);
  metrics_ = QFontMetricsF(font_, &picture_);
  if (painter_.isActive()) painter_.setFont(font_);
}

void QtPlotSurface::SetFillColor(Rgb colour) { fill_ = colour; }
Rgb QtPlotSurface::FillColor() const { return fill_; }
void QtPlotSurface::SetForeColor(Rgb colour) { fore_ = colour; }
Rgb QtPlotSurface::ForeColor() const { return fore_; }

void QtPlotSurface::Line(float x1, float y1, float x2, float y2, Rgb colour) {
  lastStamp_ = nullptr;
  QPainter& p = Painter();
  // Grid lines and ticks are kept to whole pixels so that they stay one crisp pixel wide.
  if (y1 == y2 || x1 == x2) {
    const double left = std::floor(PxX(std::min(x1, x2)));
    const double top = std::floor(PxY(std::min(y1, y2)));
    const double right = std::floor(PxX(std::max(x1, x2)));
    const double bottom = std::floor(PxY(std::max(y1, y2)));
    const double width = y1 == y2 ? std::max(right - left, 1.0) : 1.0;
    const double height = y1 == y2 ? 1.0 : std::max(bottom - top, 1.0);
    p.fillRect(QRectF(left, top, width, height), ToQColor(colour));
    return;
  }
  QPen pen(ToQColor(colour));
  pen.setWidthF(1.0);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.drawLine(QPointF(PxX(x1), PxY(y1)), QPointF(PxX(x2), PxY(y2)));
}

const QtPlotSurface::Stamp& QtPlotSurface::StampFor(int phaseX, int phaseY) {
  std::optional<Stamp>& slot = stamps_[static_cast<std::size_t>(phaseY * kPhases + phaseX)];
  if (slot) return *slot;

  const double r = stampRadius_ / kTwipsPerPixel;
  Stamp stamp;
  stamp.origin = static_cast<int>(std::ceil(r)) + 2;
  stamp.size = 2 * stamp.origin + 2;
  QImage image(stamp.size, stamp.size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(ToQColor(stampOutline_));
  pen.setWidthF(1.0);
  p.setPen(pen);
  p.setBrush(ToQColor(stampFill_));
  p.drawEllipse(QPointF(stamp.origin + static_cast<double>(phaseX) / kPhases,
                        stamp.origin + static_cast<double>(phaseY) / kPhases),
                r, r);
  p.end();

  for (int y = 0; y < stamp.size; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    int x = 0;
    while (x < stamp.size) {
      if (qAlpha(row[x]) == 0) {
        ++x;
        continue;
      }
      Stamp::Run run{y, x, 0, stamp.pixels.size()};
      while (x < stamp.size && qAlpha(row[x]) != 0) stamp.pixels.push_back(row[x++]);
      run.length = static_cast<int>(stamp.pixels.size() - run.first);
      stamp.runs.push_back(run);
    }
  }
  slot = std::move(stamp);
  return *slot;
}

void QtPlotSurface::FilledCircle(float x, float y, float radius, Rgb outline) {
  if (!std::isfinite(x) || !std::isfinite(y) || !(radius > 0.0f)) return;
  if (radius != stampRadius_ || !(outline == stampOutline_) || !(fill_ == stampFill_)) {
    stampRadius_ = radius;
    stampOutline_ = outline;
    stampFill_ = fill_;
    for (auto& s : stamps_) s.reset();
    lastStamp_ = nullptr;
  }
  // Nearest quarter pixel: the whole pixel and the stamp for the remainder.
  const double qx = std::floor(PxX(x) * kPhases + 0.5);
  const double qy = std::floor(PxY(y) * kPhases + 0.5);
  const double wholeX = std::floor(qx / kPhases);
  const double wholeY = std::floor(qy / kPhases);
  const Stamp& stamp = StampFor(static_cast<int>(qx - wholeX * kPhases), static_cast<int>(qy - wholeY * kPhases));
  const double left = wholeX - stamp.origin;
  const double top = wholeY - stamp.origin;
  // Far outside the picture (a value high above a log scale): nothing to stamp.
  if (left >= picture_.width() || top >= picture_.height() || left + stamp.size <= 0 || top + stamp.size <= 0) {
    return;
  }
  const int x0 = static_cast<int>(left);
  const int y0 = static_cast<int>(top);
  // Thousands of points share a pixel column; stamping the same marker again would only thicken its
  // antialiased rim.
  if (&stamp == lastStamp_ && x0 == lastX_ && y0 == lastY_) return;
  lastStamp_ = &stamp;
  lastX_ = x0;
  lastY_ = y0;

  EndPainting();
  uchar* bits = picture_.bits();
  const qsizetype stride = picture_.bytesPerLine();
  const int width = picture_.width();
  const int height = picture_.height();
  for (const Stamp::Run& run : stamp.runs) {
    const int py = y0 + run.dy;
    if (py < 0 || py >= height) continue;
    const int from = std::max(0, -(x0 + run.dx));
    const int to = std::min(run.length, width - (x0 + run.dx));
    auto* dst = reinterpret_cast<QRgb*>(bits + py * stride) + x0 + run.dx;
    const QRgb* src = stamp.pixels.data() + run.first;
    for (int i = from; i < to; ++i) dst[i] = Over(src[i], dst[i]);
  }
}

void QtPlotSurface::PrintText(float x, float y, std::string_view text) {
  lastStamp_ = nullptr;
  QPainter& p = Painter();
  p.setPen(ToQColor(fore_));
  p.drawText(QPointF(PxX(x), PxY(y) + metrics_.ascent()), ToQString(text));
}

float QtPlotSurface::TextWidth(std::string_view text) {
  return static_cast<float>(metrics_.horizontalAdvance(ToQString(text)) * kTwipsPerPixel);
}

float QtPlotSurface::TextHeight(std::string_view /*text*/) {
  return static_cast<float>(metrics_.height() * kTwipsPerPixel);
}

}  // namespace tavelin
