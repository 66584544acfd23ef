#include "plotwindow/painter_plot_surface.hpp"

#include <QPaintDevice>
#include <QPen>
#include <QString>
#include <algorithm>
#include <cmath>

#include "forms/form_font.hpp"
#include "forms/twips.hpp"

namespace tavelin {

namespace {

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

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

PainterPlotSurface::PainterPlotSurface(QImage& picture, Rgb foreColor, QPoint origin)
    : picture_(&picture),
      painter_(&ownPainter_),
      device_(picture),
      scale_(1.0),
      origin_(-QPointF(origin)),
      font_(FormFont(8.0, true)),
      metrics_(font_),
      fore_(foreColor),
      fill_(QBColor(0)) {
  // Markers are blended straight into 32-bit premultiplied pixels.
  if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32_Premultiplied) {
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
  }
  if (picture.dotsPerMeterX() != kScreenDotsPerMeter || picture.dotsPerMeterY() != kScreenDotsPerMeter) {
    picture.setDotsPerMeterX(kScreenDotsPerMeter);
    picture.setDotsPerMeterY(kScreenDotsPerMeter);
  }
  metrics_ = QFontMetricsF(font_, &picture);
}

PainterPlotSurface::PainterPlotSurface(QPainter& painter, QPaintDevice& device, double scale, QPointF origin,
                                       Rgb foreColor)
    : painter_(&painter),
      device_(device),
      scale_(scale),
      origin_(origin),
      font_(ScaledFont(FormFont(8.0, true))),
      metrics_(font_, &device),
      fore_(foreColor),
      fill_(QBColor(0)) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
}

PainterPlotSurface::~PainterPlotSurface() { EndPainting(); }

QFont PainterPlotSurface::ScaledFont(QFont font) const {
  // The picture is at 96 dpi already; other devices turn points into their units at their resolution.
  if (picture_ == nullptr) font.setPointSizeF(DevicePoints(font.pointSizeF(), scale_, device_));
  return font;
}

QPainter& PainterPlotSurface::Painter() {
  if (picture_ != nullptr && !ownPainter_.isActive()) {
    ownPainter_.begin(picture_);
    ownPainter_.setRenderHint(QPainter::Antialiasing);
    ownPainter_.setRenderHint(QPainter::TextAntialiasing);
    ownPainter_.setFont(font_);
  }
  return *painter_;
}

void PainterPlotSurface::EndPainting() {
  if (ownPainter_.isActive()) ownPainter_.end();
}

void PainterPlotSurface::Clear(const QColor& background) {
  if (picture_ == nullptr) return;
  EndPainting();
  lastStamp_ = nullptr;
  picture_->fill(background);
}

void PainterPlotSurface::SetFont(double points, bool bold) {
  font_ = ScaledFont(FormFont(points, bold));
  metrics_ = QFontMetricsF(font_, &device_);
  if (ownPainter_.isActive()) ownPainter_.setFont(font_);
}

void PainterPlotSurface::SetFillColor(Rgb colour) { fill_ = colour; }
Rgb PainterPlotSurface::FillColor() const { return fill_; }
void PainterPlotSurface::SetForeColor(Rgb colour) { fore_ = colour; }
Rgb PainterPlotSurface::ForeColor() const { return fore_; }

void PainterPlotSurface::Line(float x1, float y1, float x2, float y2, Rgb colour) {
  if (!Finite(x1, y1) || !Finite(x2, y2)) return;
  if (picture_ != nullptr) {
    PictureLine(x1, y1, x2, y2, colour);
    return;
  }
  QPen pen(ToQColor(colour));
  pen.setWidthF(scale_);  // one pixel of the window
  pen.setCapStyle(Qt::FlatCap);
  painter_->setPen(pen);
  painter_->drawLine(At(x1, y1), At(x2, y2));
}

void PainterPlotSurface::PictureLine(float x1, float y1, float x2, float y2, Rgb colour) {
  lastStamp_ = nullptr;
  QPainter& p = Painter();
  // Grid lines and ticks are kept to whole pixels so that they stay one crisp pixel wide.
  if (y1 == y2 || x1 == x2) {
    const QPointF topLeft = At(std::min(x1, x2), std::min(y1, y2));
    const QPointF bottomRight = At(std::max(x1, x2), std::max(y1, y2));
    const double left = std::floor(topLeft.x());
    const double top = std::floor(topLeft.y());
    const double right = std::floor(bottomRight.x());
    const double bottom = std::floor(bottomRight.y());
    const double width = y1 == y2 ? std::max(right - left, 1.0) : 1.0;
    const double height = y1 == y2 ? 1.0 : std::max(bottom - top, 1.0);
    p.fillRect(QRectF(left, top, width, height), ToQColor(colour));
    return;
  }
  QPen pen(ToQColor(colour));
  pen.setWidthF(1.0);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.drawLine(At(x1, y1), At(x2, y2));
}

const PainterPlotSurface::Stamp& PainterPlotSurface::StampFor(int phaseX, int phaseY) {
  std::optional<Stamp>& slot = stamps_[static_cast<std::size_t>(phaseY * kPhases + phaseX)];
  if (slot) return *slot;

  const double r = Twips(stampRadius_).Pixels();
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

// Over another painter the marker stays a circle.
void PainterPlotSurface::VectorCircle(float x, float y, float radius, Rgb outline) {
  QPen pen(ToQColor(outline));
  pen.setWidthF(scale_);
  painter_->setPen(pen);
  painter_->setBrush(ToQColor(fill_));
  const double r = Twips(radius).Pixels() * scale_;
  painter_->drawEllipse(At(x, y), r, r);
  painter_->setBrush(Qt::NoBrush);
}

void PainterPlotSurface::FilledCircle(float x, float y, float radius, Rgb outline) {
  if (!Finite(x, y) || !(radius > 0.0f)) return;
  if (picture_ == nullptr) {
    VectorCircle(x, y, radius, outline);
    return;
  }
  if (radius != stampRadius_ || !(outline == stampOutline_) || !(fill_ == stampFill_)) {
    stampRadius_ = radius;
    stampOutline_ = outline;
    stampFill_ = fill_;
    for (auto& s : stamps_) s.reset();
    lastStamp_ = nullptr;
  }
  // Nearest quarter pixel: the whole pixel and the stamp for the remainder.
  const QPointF at = At(x, y);
  const double qx = std::floor(at.x() * kPhases + 0.5);
  const double qy = std::floor(at.y() * kPhases + 0.5);
  const double wholeX = std::floor(qx / kPhases);
  const double wholeY = std::floor(qy / kPhases);
  const Stamp& stamp = StampFor(static_cast<int>(qx - wholeX * kPhases), static_cast<int>(qy - wholeY * kPhases));
  const double left = wholeX - stamp.origin;
  const double top = wholeY - stamp.origin;
  // Far outside the picture (a value high above a log scale): nothing to stamp.
  if (left >= picture_->width() || top >= picture_->height() || left + stamp.size <= 0 || top + stamp.size <= 0) {
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
  uchar* bits = picture_->bits();
  const qsizetype stride = picture_->bytesPerLine();
  const int width = picture_->width();
  const int height = picture_->height();
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

void PainterPlotSurface::PrintText(float x, float y, std::string_view text) {
  if (!Finite(x, y)) return;
  lastStamp_ = nullptr;
  QPainter& p = Painter();
  p.setPen(ToQColor(fore_));
  // The picture's own painter has the font already; another painter may have changed it.
  if (picture_ == nullptr) p.setFont(font_);
  p.drawText(At(x, y) + QPointF(0, metrics_.ascent()), ToQString(text));
}

float PainterPlotSurface::TextWidth(std::string_view text) {
  return static_cast<float>(Twips::FromPixels(metrics_.horizontalAdvance(ToQString(text)) / scale_).Value());
}

float PainterPlotSurface::TextHeight(std::string_view /*text*/) {
  return static_cast<float>(Twips::FromPixels(metrics_.height() / scale_).Value());
}

}  // namespace tavelin
