#include "plot/qt_plot_surface.hpp"

#include <QFontDatabase>
#include <QPen>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tavelin {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr int kDotsPerMeter96Dpi = 3780;  // 96 dots per inch, so that a point is 20 twips

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

double Px(float twips) { return twips / kTwipsPerPixel; }

// Adds a premultiplied stamp pixel over an opaque or premultiplied image pixel.
inline QRgb Over(QRgb src, QRgb dst) {
  const unsigned a = qAlpha(src);
  if (a == 255) return src;
  const unsigned keep = 255 - a;
  const auto mix = [&](unsigned s, unsigned d) { return s + (d * keep + 127) / 255; };
  return qRgba(static_cast<int>(mix(qRed(src), qRed(dst))), static_cast<int>(mix(qGreen(src), qGreen(dst))),
               static_cast<int>(mix(qBlue(src), qBlue(dst))), static_cast<int>(mix(a, qAlpha(dst))));
}

}  // namespace

QFont PlotFont(double points, bool bold) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  const QStringList available = QFontDatabase::families();
  for (const char* family : {"Liberation Sans", "Arimo", "Nimbus Sans", "Arial"}) {
    if (available.contains(QString::fromLatin1(family))) {
      font.setFamily(QString::fromLatin1(family));
      break;
    }
  }
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QtPlotSurface::QtPlotSurface(QImage& picture, Rgb foreColor)
    : picture_(picture), font_(PlotFont(8.0, true)), metrics_(font_), fore_(foreColor), fill_(QBColor(0)) {
  if (picture_.dotsPerMeterX() != kDotsPerMeter96Dpi || picture_.dotsPerMeterY() != kDotsPerMeter96Dpi) {
    picture_.setDotsPerMeterX(kDotsPerMeter96Dpi);
    picture_.setDotsPerMeterY(kDotsPerMeter96Dpi);
  }
  metrics_ = QFontMetricsF(font_, &picture_);
}

QtPlotSurface::~QtPlotSurface() { EndPainting(); }

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
  picture_.fill(background);
}

void QtPlotSurface::SetFont(double points, bool bold) {
  font_ = PlotFont(points, bold);
  metrics_ = QFontMetricsF(font_, &picture_);
  if (painter_.isActive()) painter_.setFont(font_);
}

void QtPlotSurface::SetFillColor(Rgb colour) { fill_ = colour; }
Rgb QtPlotSurface::FillColor() const { return fill_; }
void QtPlotSurface::SetForeColor(Rgb colour) { fore_ = colour; }
Rgb QtPlotSurface::ForeColor() const { return fore_; }

void QtPlotSurface::Line(float x1, float y1, float x2, float y2, Rgb colour) {
  QPainter& p = Painter();
  // Grid lines and ticks are kept to whole pixels so that they stay one crisp pixel wide.
  if (y1 == y2 || x1 == x2) {
    const double left = std::floor(Px(std::min(x1, x2)));
    const double top = std::floor(Px(std::min(y1, y2)));
    const double right = std::floor(Px(std::max(x1, x2)));
    const double bottom = std::floor(Px(std::max(y1, y2)));
    const double width = y1 == y2 ? std::max(right - left, 1.0) : 1.0;
    const double height = y1 == y2 ? 1.0 : std::max(bottom - top, 1.0);
    p.fillRect(QRectF(left, top, width, height), ToQColor(colour));
    return;
  }
  QPen pen(ToQColor(colour));
  pen.setWidthF(1.0);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.drawLine(QPointF(Px(x1), Px(y1)), QPointF(Px(x2), Px(y2)));
}

const QImage& QtPlotSurface::Stamp(int phaseX, int phaseY) {
  std::optional<QImage>& slot = stamps_[static_cast<std::size_t>(phaseY * kPhases + phaseX)];
  if (!slot) {
    const double r = stampRadius_ / kTwipsPerPixel;
    const int origin = static_cast<int>(std::ceil(r)) + 2;
    QImage stamp(2 * origin + 2, 2 * origin + 2, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    QPainter p(&stamp);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(ToQColor(stampOutline_));
    pen.setWidthF(1.0);
    p.setPen(pen);
    p.setBrush(ToQColor(stampFill_));
    p.drawEllipse(QPointF(origin + static_cast<double>(phaseX) / kPhases, origin + static_cast<double>(phaseY) / kPhases),
                  r, r);
    p.end();
    slot = std::move(stamp);
  }
  return *slot;
}

void QtPlotSurface::FilledCircle(float x, float y, float radius, Rgb outline) {
  if (!std::isfinite(x) || !std::isfinite(y) || !(radius > 0.0f)) return;
  if (radius != stampRadius_ || !(outline == stampOutline_) || !(fill_ == stampFill_)) {
    stampRadius_ = radius;
    stampOutline_ = outline;
    stampFill_ = fill_;
    for (auto& s : stamps_) s.reset();
  }
  // Nearest quarter pixel: the whole pixel and the stamp for the remainder.
  const double qx = std::floor(Px(x) * kPhases + 0.5);
  const double qy = std::floor(Px(y) * kPhases + 0.5);
  const double wholeX = std::floor(qx / kPhases);
  const double wholeY = std::floor(qy / kPhases);
  const QImage& stamp = Stamp(static_cast<int>(qx - wholeX * kPhases), static_cast<int>(qy - wholeY * kPhases));
  const int origin = (stamp.width() - 2) / 2;
  const double left = wholeX - origin;
  const double top = wholeY - origin;
  // Far outside the picture (a value high above a log scale): nothing to stamp.
  if (left >= picture_.width() || top >= picture_.height() || left + stamp.width() <= 0 ||
      top + stamp.height() <= 0) {
    return;
  }
  const QImage::Format format = picture_.format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) {
    Painter().drawImage(QPointF(left, top), stamp);
    return;
  }
  EndPainting();
  const int x0 = static_cast<int>(left);
  const int y0 = static_cast<int>(top);
  const int fromX = std::max(0, -x0);
  const int toX = std::min(stamp.width(), picture_.width() - x0);
  const int fromY = std::max(0, -y0);
  const int toY = std::min(stamp.height(), picture_.height() - y0);
  uchar* bits = picture_.bits();
  const qsizetype stride = picture_.bytesPerLine();
  for (int sy = fromY; sy < toY; ++sy) {
    const auto* src = reinterpret_cast<const QRgb*>(stamp.constScanLine(sy));
    auto* dst = reinterpret_cast<QRgb*>(bits + (y0 + sy) * stride) + x0;
    for (int sx = fromX; sx < toX; ++sx) {
      if (qAlpha(src[sx]) != 0) dst[sx] = Over(src[sx], dst[sx]);
    }
  }
}

void QtPlotSurface::PrintText(float x, float y, std::string_view text) {
  QPainter& p = Painter();
  p.setPen(ToQColor(fore_));
  p.drawText(QPointF(Px(x), Px(y) + metrics_.ascent()), ToQString(text));
}

float QtPlotSurface::TextWidth(std::string_view text) {
  return static_cast<float>(metrics_.horizontalAdvance(ToQString(text)) * kTwipsPerPixel);
}

float QtPlotSurface::TextHeight(std::string_view /*text*/) {
  return static_cast<float>(metrics_.height() * kTwipsPerPixel);
}

}  // namespace tavelin
