#pragma once

// Vector and image surfaces for the plot: the same drawing as the plot window, replayed on a
// printer, a PDF or SVG file, or a PNG image.

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QSize>
#include <string>

#include "base/messages.hpp"
#include "plot/plot_data.hpp"
#include "plot/plot_drawing.hpp"

class QIODevice;
class QPainter;
class QPaintDevice;

namespace tavelin {

// A plot surface over any painter: lines, circles and text stay lines, circles and text, so a PDF
// or SVG keeps them as vector paths and text. One pixel of the window (15 twips) becomes `scale`
// device units, and origin (device units) is where the window's top-left corner goes.
class PainterPlotSurface : public PlotSurface {
 public:
  PainterPlotSurface(QPainter& painter, QPaintDevice& device, double scale, QPointF origin, Rgb foreColor);

  void SetFont(double points, bool bold) override;
  void SetFillColor(Rgb colour) override;
  Rgb FillColor() const override;
  void SetForeColor(Rgb colour) override;
  Rgb ForeColor() const override;
  void Line(float x1, float y1, float x2, float y2, Rgb colour) override;
  void FilledCircle(float x, float y, float radius, Rgb outline) override;
  void PrintText(float x, float y, std::string_view text) override;
  float TextWidth(std::string_view text) override;
  float TextHeight(std::string_view text) override;

  // A font of the given size in points as it looks on the window, for this device and scale.
  QFont ScaledFont(QFont font) const;

 private:
  QPointF At(float x, float y) const;

  QPainter& painter_;
  QPaintDevice& device_;
  double scale_;
  QPointF origin_;
  QFont font_;
  QFontMetricsF metrics_;
  Rgb fore_;
  Rgb fill_;
};

// The plot window's layout for an outer size in twips (font, fill, marker colour and geometry), then
// DrawPlot on surface. The drawing's messages go to reporting.
void DrawWindowPlot(PlotSurface& surface, float windowWidth, float windowHeight, const PlotData& data,
                    const Reporting& reporting);

enum class ImageFormat { kSvg, kPdf, kPng };

// The plot as the plot window draws it when its drawing area is size pixels (15 twips each) and
// that is also its outer size, on a white ground, written to out. False when writing failed.
bool WritePlotImage(QIODevice& out, ImageFormat format, QSize size, const PlotData& data,
                    const Reporting& reporting);

}  // namespace tavelin
