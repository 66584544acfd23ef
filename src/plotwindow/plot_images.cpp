#include "plotwindow/plot_images.hpp"

#include <QColor>
#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSvgGenerator>
#include <cmath>

#include "plotwindow/form_font.hpp"
#include "plotwindow/qt_plot_surface.hpp"

namespace tavelin {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kScreenDpi = 96.0;  // the window's pixels: a point is 20 twips

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// White paper, black text, as a printout of the window on paper would look.
void DrawOnPainter(QPainter& painter, QPaintDevice& device, QSize size, const PlotData& data,
                   const Reporting& reporting) {
  painter.fillRect(QRectF(0, 0, size.width(), size.height()), Qt::white);
  PainterPlotSurface surface(painter, device, 1.0, QPointF(0, 0), QBColor(0));
  DrawWindowPlot(surface, static_cast<float>(size.width() * kTwipsPerPixel),
                 static_cast<float>(size.height() * kTwipsPerPixel), data, reporting);
}

}  // namespace

PainterPlotSurface::PainterPlotSurface(QPainter& painter, QPaintDevice& device, double scale, QPointF origin,
                                       Rgb foreColor)
    : painter_(painter),
      device_(device),
      scale_(scale),
      origin_(origin),
      font_(ScaledFont(FormFont(8.0, true))),
      metrics_(font_, &device),
      fore_(foreColor),
      fill_(QBColor(0)) {
  painter_.setRenderHint(QPainter::Antialiasing);
  painter_.setRenderHint(QPainter::TextAntialiasing);
}

QFont PainterPlotSurface::ScaledFont(QFont font) const {
  // Point sizes are turned into device units at the device's resolution; the window's are at 96 dpi.
  font.setPointSizeF(font.pointSizeF() * scale_ * kScreenDpi / device_.logicalDpiY());
  return font;
}

QPointF PainterPlotSurface::At(float x, float y) const {
  return origin_ + QPointF(x / kTwipsPerPixel * scale_, y / kTwipsPerPixel * scale_);
}

void PainterPlotSurface::SetFont(double points, bool bold) {
  font_ = ScaledFont(FormFont(points, bold));
  metrics_ = QFontMetricsF(font_, &device_);
}

void PainterPlotSurface::SetFillColor(Rgb colour) { fill_ = colour; }
Rgb PainterPlotSurface::FillColor() const { return fill_; }
void PainterPlotSurface::SetForeColor(Rgb colour) { fore_ = colour; }
Rgb PainterPlotSurface::ForeColor() const { return fore_; }

void PainterPlotSurface::Line(float x1, float y1, float x2, float y2, Rgb colour) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
  QPen pen(ToQColor(colour));
  pen.setWidthF(scale_);  // one pixel of the window
  pen.setCapStyle(Qt::FlatCap);
  painter_.setPen(pen);
  painter_.drawLine(At(x1, y1), At(x2, y2));
}

void PainterPlotSurface::FilledCircle(float x, float y, float radius, Rgb outline) {
  if (!std::isfinite(x) || !std::isfinite(y) || !(radius > 0.0f)) return;
  QPen pen(ToQColor(outline));
  pen.setWidthF(scale_);
  painter_.setPen(pen);
  painter_.setBrush(ToQColor(fill_));
  const double r = radius / kTwipsPerPixel * scale_;
  painter_.drawEllipse(At(x, y), r, r);
  painter_.setBrush(Qt::NoBrush);
}

void PainterPlotSurface::PrintText(float x, float y, std::string_view text) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  painter_.setPen(ToQColor(fore_));
  painter_.setFont(font_);
  painter_.drawText(At(x, y) + QPointF(0, metrics_.ascent()), ToQString(text));
}

float PainterPlotSurface::TextWidth(std::string_view text) {
  return static_cast<float>(metrics_.horizontalAdvance(ToQString(text)) / scale_ * kTwipsPerPixel);
}

float PainterPlotSurface::TextHeight(std::string_view /*text*/) {
  return static_cast<float>(metrics_.height() / scale_ * kTwipsPerPixel);
}

void DrawWindowPlot(PlotSurface& surface, float windowWidth, float windowHeight, const PlotData& data,
                    const Reporting& reporting) {
  surface.SetFont(PlotFontPoints(windowHeight), true);
  surface.SetFillColor(QBColor(9));
  PlotGeometry geometry = GeometryFor(windowWidth, windowHeight);
  geometry.MarkerColor = surface.FillColor();
  PlotRanges ranges;
  PlotCanvas canvas{surface, geometry, ranges, reporting};
  DrawPlot(canvas, data, data.PlotTitle);
}

bool WritePlotImage(QIODevice& out, ImageFormat format, QSize size, const PlotData& data,
                    const Reporting& reporting) {
  const QString title = QString::fromStdString(data.PlotTitle);
  switch (format) {
    case ImageFormat::kSvg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&out);
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setResolution(static_cast<int>(kScreenDpi));
      svg.setTitle(title);
      QPainter painter;
      if (!painter.begin(&svg)) return false;
      DrawOnPainter(painter, svg, size, data, reporting);
      return painter.end();
    }
    case ImageFormat::kPdf: {
      QPdfWriter pdf(&out);
      pdf.setResolution(static_cast<int>(kScreenDpi));
      pdf.setPageSize(QPageSize(QSizeF(size.width() * 72.0 / kScreenDpi, size.height() * 72.0 / kScreenDpi),
                                QPageSize::Point, QString(), QPageSize::ExactMatch));
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      pdf.setTitle(title);
      pdf.setCreator(QStringLiteral("Tavelin"));
      QPainter painter;
      if (!painter.begin(&pdf)) return false;
      DrawOnPainter(painter, pdf, size, data, reporting);
      return painter.end();
    }
    case ImageFormat::kPng: {
      QImage image(size, QImage::Format_RGB32);
      {
        QtPlotSurface surface(image, QBColor(0));
        surface.Clear(Qt::white);
        DrawWindowPlot(surface, static_cast<float>(size.width() * kTwipsPerPixel),
                       static_cast<float>(size.height() * kTwipsPerPixel), data, reporting);
      }
      return image.save(&out, "PNG");
    }
  }
  return false;
}

}  // namespace tavelin
