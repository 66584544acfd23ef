#pragma once

// The plot drawing: grids, labels, markers, ticks and title, on an abstract surface in twips (origin at
// the top-left corner of the drawing area, y downwards).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.hpp"
#include "plot/plot_data.hpp"

namespace tavelin {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// The sixteen classic console colours by index 0..15; any other index is black.
Rgb QBColor(int index) noexcept;

// What the drawing needs of a surface. Text is placed by its top-left corner.
class PlotSurface {
 public:
  virtual ~PlotSurface() = default;
  virtual void SetFont(double points, bool bold) = 0;
  virtual void SetFillColor(Rgb colour) = 0;  // circles are filled solid in it
  virtual Rgb FillColor() const = 0;
  virtual void SetForeColor(Rgb colour) = 0;  // the colour of text
  virtual Rgb ForeColor() const = 0;
  virtual void Line(float x1, float y1, float x2, float y2, Rgb colour) = 0;
  virtual void FilledCircle(float x, float y, float radius, Rgb outline) = 0;
  virtual void PrintText(float x, float y, std::string_view text) = 0;
  virtual float TextWidth(std::string_view text) = 0;
  virtual float TextHeight(std::string_view text) = 0;
};

// Set by the plot window from the size of its drawing area at every resize; single precision twips.
struct PlotGeometry {
  float WindowWidth = 0.0f;
  float WindowHeight = 0.0f;
  float PlotWidth = 0.0f;
  float PlotHeight = 0.0f;
  float PlotLeft = 0.0f;
  float PlotTop = 0.0f;
  Rgb MarkerColor;
};

// The layout rules of a drawing area of the given size; MarkerColor is left to the caller.
PlotGeometry GeometryFor(float windowWidth, float windowHeight) noexcept;

// The font size of the plot text for a drawing area of the given height.
double PlotFontPoints(float windowHeight) noexcept;

// Set by FindRanges at the start of every drawing.
struct PlotRanges {
  float XMin = 0.0f;
  float XMax = 0.0f;
  float YMin = 0.0f;
  float YMax = 0.0f;
};

// Everything one drawing works on.
struct PlotCanvas {
  PlotSurface& surface;
  const PlotGeometry& geometry;
  PlotRanges& ranges;
  const Reporting& reporting;
};

// Draws the whole plot of data with the given title. Points that PlottablePoint refuses are left out
// without a word (Compute and Plot has named them); a logarithmic curve that cannot be drawn on is
// reported like its grid. A frequency span of zero puts the markers on the vertical centre line and
// a value span of zero on the horizontal one.
void DrawPlot(PlotCanvas& canvas, const PlotData& data, const std::string& title);

void FindRanges(PlotRanges& ranges, const std::vector<double>& frequencies, const std::vector<double>& values,
                std::int16_t count) noexcept;
void DrawLinearGrid(PlotCanvas& canvas);
void DrawLogGrid(PlotCanvas& canvas, std::int16_t decades, float bottom);
void DrawGridLine(PlotCanvas& canvas, float fraction, Rgb colour);
void DrawLogLabels(PlotCanvas& canvas, std::int16_t decades, float bottom);
void DrawLinearCurve(PlotCanvas& canvas, const std::vector<double>& frequencies,
                     const std::vector<double>& values, std::int16_t count);
void DrawLogCurve(PlotCanvas& canvas, const std::vector<double>& frequencies, const std::vector<double>& values,
                  std::int16_t decades, float bottom, std::int16_t count);
void PlotPoint(PlotCanvas& canvas, float a, float b);
void DrawFrequencyLabels(PlotCanvas& canvas);
void DrawTitle(PlotCanvas& canvas, const std::string& title);

}  // namespace tavelin
