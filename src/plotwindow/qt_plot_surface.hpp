#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "plot/plot_drawing.hpp"

namespace tavelin {

// A plot surface on an image: twips in, 15 twips to a pixel, 96 dots per inch for the fonts.
// Markers are stamped from small antialiased images rendered once per quarter-pixel offset, which
// keeps a redraw of tens of thousands of points within a few milliseconds.
class QtPlotSurface : public PlotSurface {
 public:
  // The image must outlive the surface and must not be painted on by anyone else meanwhile; one that
  // is not 32-bit RGB is converted to premultiplied ARGB. The image holds the drawing area from
  // origin (pixels) on, so a picture of part of a large area costs only that part's memory.
  QtPlotSurface(QImage& picture, Rgb foreColor, QPoint origin = QPoint());
  ~QtPlotSurface() override;
  QtPlotSurface(const QtPlotSurface&) = delete;
  QtPlotSurface& operator=(const QtPlotSurface&) = delete;

  // Erases everything to the background colour.
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

  QPainter& Painter();
  void EndPainting();
  const Stamp& StampFor(int phaseX, int phaseY);

  double PxX(float twips) const;
  double PxY(float twips) const;

  QImage& picture_;
  QPoint origin_;
  QPainter painter_;
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
