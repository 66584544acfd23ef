#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPointF>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "plot/plot_drawing.hpp"
#include "forms/twips.hpp"

namespace tavelin {

// A font size of the window in points as device's points: the window is at 96 dots per inch, shown
// scale times larger on device.
inline double DevicePoints(double points, double scale, const QPaintDevice& device) {
  return points * scale * kScreenDpi / device.logicalDpiY();
}

// The plot surface of the window, its images and its printout: twips in, 15 twips to a pixel of the
// window, fonts as at 96 dots per inch.
//
// On the window's picture, markers are stamped from small antialiased images rendered once per
// quarter-pixel offset, which keeps a redraw of tens of thousands of points within a few
// milliseconds, and grid lines and ticks are kept to whole pixels. Over any other painter, lines,
// circles and text stay lines, circles and text, so a PDF or SVG keeps them as vector paths and text.
class PainterPlotSurface : public PlotSurface {
 public:
  // On a picture: the image must outlive the surface and must not be painted on by anyone else
  // meanwhile; one that is not 32-bit RGB is converted to premultiplied ARGB. The image holds the
  // drawing area from origin (pixels) on, so a picture of part of a large area costs only that part.
  PainterPlotSurface(QImage& picture, Rgb foreColor, QPoint origin = QPoint());
  // Over a painter on device: one pixel of the window becomes scale device units, and origin (device
  // units) is where the window's top-left corner goes.
  PainterPlotSurface(QPainter& painter, QPaintDevice& device, double scale, QPointF origin, Rgb foreColor);
  ~PainterPlotSurface() override;
  PainterPlotSurface(const PainterPlotSurface&) = delete;
  PainterPlotSurface& operator=(const PainterPlotSurface&) = delete;

  // Erases the picture to the background colour (a surface over another painter has no picture).
  void Clear(const QColor& background);

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

 private:
  static constexpr int kPhases = 4;  // marker positions to a quarter pixel

  // The pixels of one marker at one offset, as runs of the rows it touches.
  struct Stamp {
    struct Run {
      int dy = 0;
      int dx = 0;
      int length = 0;
      std::size_t first = 0;
    };
    int origin = 0;  // the marker's pixel, counted from the stamp's corner
    int size = 0;
    std::vector<Run> runs;
    std::vector<QRgb> pixels;  // premultiplied
  };

  QFont ScaledFont(QFont font) const;
  QPointF At(float x, float y) const {
    return origin_ + QPointF(Twips(x).Pixels() * scale_, Twips(y).Pixels() * scale_);
  }
  QPainter& Painter();
  void EndPainting();
  void PictureLine(float x1, float y1, float x2, float y2, Rgb colour);
  void VectorCircle(float x, float y, float radius, Rgb outline);
  const Stamp& StampFor(int phaseX, int phaseY);

  QImage* picture_ = nullptr;  // none over another painter
  QPainter ownPainter_;        // the picture's, begun when first needed
  QPainter* painter_;
  QPaintDevice& device_;
  double scale_;
  QPointF origin_;
  QFont font_;
  QFontMetricsF metrics_;
  Rgb fore_;
  Rgb fill_;

  // The stamps in use, for one radius and pair of colours.
  float stampRadius_ = -1.0f;
  Rgb stampOutline_;
  Rgb stampFill_;
  std::array<std::optional<Stamp>, kPhases * kPhases> stamps_;
  // Where the last marker went; the same marker again on the same spot adds nothing to see.
  const Stamp* lastStamp_ = nullptr;
  int lastX_ = 0;
  int lastY_ = 0;
};

}  // namespace tavelin
