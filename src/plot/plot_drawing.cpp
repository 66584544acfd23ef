#include "plot/plot_drawing.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "base/checked_arithmetic.hpp"
#include "base/number_text.hpp"
#include "base/vector_state.hpp"
#include "solver/complex_arithmetic.hpp"

namespace tavelin {

namespace {

constexpr const char* kLogPlotMessage = "Log Plots cannot plot negative values! Use the Linear Plot!";
constexpr const char* kLogPlotTitle = "Error in Logarithmic Plotting";

// 10 to a whole power; beyond the double range it is an overflow, as for any other statement.
double Pow10(int exponent) {
  const double r = std::pow(10.0, exponent);
  if (std::isinf(r)) throw RunTimeError(err::kOverflow);
  return r;
}

std::size_t Usable(const std::vector<double>& frequencies, const std::vector<double>& values,
                   std::int16_t count) noexcept {
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  return std::min({n, frequencies.size(), values.size()});
}

// Position of a point across the plot area; a scan at a single frequency stands in the middle.
constexpr float XFraction(const PlotRanges& ranges, double frequency) noexcept {
  const float span = ranges.XMax - ranges.XMin;
  if (span == 0.0f) return 0.5f;
  return (static_cast<float>(frequency) - ranges.XMin) / span;
}

// PlotPoint's arguments for fractions of the plot area.
constexpr float XArgument(const PlotGeometry& g, float xf) noexcept {
  return static_cast<float>(static_cast<double>(xf) * g.PlotWidth / g.WindowWidth + 0.03);
}

// A value that is not positive has its own message; any other error is given by its number.
void ReportLogError(PlotCanvas& canvas, const RunTimeError& e, const char* otherTitle) {
  if (e.Number() == err::kInvalidCall) {
    canvas.reporting.messages.Show(kLogPlotMessage, kLogPlotTitle);
  } else {
    canvas.reporting.messages.Show("Error Code " + std::to_string(e.Number()), otherTitle);
  }
}

void DrawTicks(PlotCanvas& canvas) {
  const PlotGeometry& g = canvas.geometry;
  const float top = g.PlotTop + g.PlotHeight;
  const auto bottom = static_cast<float>(g.PlotTop + 1.02 * g.PlotHeight);
  const std::array<float, 3> xs = {g.PlotLeft, static_cast<float>(g.PlotLeft + 0.5 * g.PlotWidth),
                                   g.PlotLeft + g.PlotWidth};
  for (float x : xs) canvas.surface.Line(x, top, x, bottom, QBColor(9));
}

}  // namespace

Rgb QBColor(int index) noexcept {
  static constexpr std::array<Rgb, 16> kColours = {{{0, 0, 0},
                                                    {0, 0, 128},
                                                    {0, 128, 0},
                                                    {0, 128, 128},
                                                    {128, 0, 0},
                                                    {128, 0, 128},
                                                    {128, 128, 0},
                                                    {192, 192, 192},
                                                    {128, 128, 128},
                                                    {0, 0, 255},
                                                    {0, 255, 0},
                                                    {0, 255, 255},
                                                    {255, 0, 0},
                                                    {255, 0, 255},
                                                    {255, 255, 0},
                                                    {255, 255, 255}}};
  if (index < 0 || index >= static_cast<int>(kColours.size())) return Rgb{};
  return kColours[static_cast<std::size_t>(index)];
}

PlotGeometry GeometryFor(float windowWidth, float windowHeight) noexcept {
  PlotGeometry g;
  g.WindowWidth = windowWidth;
  g.PlotWidth = static_cast<float>(0.94 * windowWidth);
  g.WindowHeight = windowHeight;
  g.PlotHeight = static_cast<float>(0.94 * windowHeight);
  g.PlotTop = static_cast<float>(0.03 * windowHeight);
  g.PlotLeft = static_cast<float>(0.03 * windowWidth);
  return g;
}

double PlotFontPoints(float windowHeight) noexcept { return windowHeight > 6000.0f ? 12.0 : 8.0; }

void DrawPlot(PlotCanvas& canvas, const PlotData& data, const std::string& title) {
  ClearVectorState();
  FindRanges(canvas.ranges, data.PlotFrequencies, data.PlotValues, data.PointCount);
  if (data.LogPlot) {
    DrawLogGrid(canvas, data.LogDecades, data.LogMinValue);
    DrawLogCurve(canvas, data.PlotFrequencies, data.PlotValues, data.LogDecades, data.LogMinValue,
                 data.PointCount);
  } else {
    DrawLinearGrid(canvas);
    DrawLinearCurve(canvas, data.PlotFrequencies, data.PlotValues, data.PointCount);
  }
  DrawTitle(canvas, title);
}

void FindRanges(PlotRanges& ranges, const std::vector<double>& frequencies, const std::vector<double>& values,
                std::int16_t count) noexcept {
  const std::size_t n = Usable(frequencies, values, count);
  ranges.XMax = 1e-6f;
  ranges.XMin = 1e12f;
  for (std::size_t i = 0; i < n; ++i) {
    if (!PlottableNumber(frequencies[i])) continue;
    const auto f = static_cast<float>(frequencies[i]);
    if (f > ranges.XMax) ranges.XMax = f;
    if (f < ranges.XMin) ranges.XMin = f;
  }
  // The top of the scale never comes down below -95.
  ranges.YMax = -95.0f;
  ranges.YMin = 1e12f;
  for (std::size_t i = 0; i < n; ++i) {
    if (!PlottablePoint(frequencies[i], values[i])) continue;
    const auto v = static_cast<float>(values[i]);
    if (v > ranges.YMax) ranges.YMax = v;
    if (v < ranges.YMin) ranges.YMin = v;
  }
}

void DrawLinearGrid(PlotCanvas& canvas) {
  const PlotGeometry& g = canvas.geometry;
  const double offset = 0.6666 * canvas.surface.TextHeight("dummy");
  const float span = canvas.ranges.YMax - canvas.ranges.YMin;
  for (int i = 1; i <= 11; ++i) {
    const double y = g.PlotHeight * (1.0 - (i - 1) / 10.0);
    const auto v = static_cast<float>((i - 1) * static_cast<double>(span) / 10.0 + canvas.ranges.YMin);
    canvas.surface.PrintText(g.PlotLeft, static_cast<float>(g.PlotTop + y - offset),
                             FormatPattern(v, "#0.0#", canvas.reporting.locale));
    const auto lineY = static_cast<float>(g.PlotTop + y);
    canvas.surface.Line(g.PlotLeft, lineY, g.PlotLeft + g.PlotWidth, lineY, v >= 0 ? QBColor(0) : QBColor(12));
  }
}

void DrawLogGrid(PlotCanvas& canvas, std::int16_t decades, float bottom) {
  try {
    for (int d = 1; d <= decades; ++d) {
      for (int k = 1; k <= 10; ++k) {
        const double line = Checked(Num(k) * Pow10(d - 1));
        const float fraction = CSng(Checked(Num(Log10(line)) / decades));
        DrawGridLine(canvas, fraction, QBColor(8));
      }
    }
    DrawLogLabels(canvas, decades, bottom);
  } catch (const RunTimeError& e) {
    ReportLogError(canvas, e, "Error in Drawing Log Horiz Grid");
  }
}

void DrawGridLine(PlotCanvas& canvas, float fraction, Rgb colour) {
  const PlotGeometry& g = canvas.geometry;
  const auto y = static_cast<float>(g.PlotHeight * (1.0 - fraction) + g.PlotTop);
  canvas.surface.Line(g.PlotLeft, y, g.PlotLeft + g.PlotWidth, y, colour);
}

void DrawLogLabels(PlotCanvas& canvas, std::int16_t decades, float bottom) {
  const PlotGeometry& g = canvas.geometry;
  const double half = canvas.surface.TextHeight("dummy") / 2.0;
  for (int k = 0; k <= decades; ++k) {
    const double value = Checked(Num(Pow10(k)) * bottom);
    const double y = g.PlotTop + (1.0 - Checked(Num(k) / decades)) * g.PlotHeight - half;
    canvas.surface.PrintText(static_cast<float>(g.PlotLeft + 0.01 * g.PlotWidth), static_cast<float>(y),
                             FormatPattern(value, "#0.00#", canvas.reporting.locale));
  }
}

void DrawLinearCurve(PlotCanvas& canvas, const std::vector<double>& frequencies,
                     const std::vector<double>& values, std::int16_t count) {
  const PlotGeometry& g = canvas.geometry;
  const PlotRanges& r = canvas.ranges;
  const float ySpan = r.YMax - r.YMin;
  const std::size_t n = Usable(frequencies, values, count);
  for (std::size_t i = 0; i < n; ++i) {
    if (!PlottablePoint(frequencies[i], values[i])) continue;
    const float xf = XFraction(r, frequencies[i]);
    // All values equal: every grid line carries that value, so the middle one is as true as any and
    // keeps the markers inside the plot area.
    const float yf = ySpan != 0.0f ? (static_cast<float>(values[i]) - r.YMin) / ySpan : 0.5f;
    PlotPoint(canvas, XArgument(g, xf),
              static_cast<float>(static_cast<double>(yf) * g.PlotHeight / g.WindowHeight + 0.03));
  }
  DrawTicks(canvas);
  DrawFrequencyLabels(canvas);
}

void DrawLogCurve(PlotCanvas& canvas, const std::vector<double>& frequencies, const std::vector<double>& values,
                  std::int16_t decades, float bottom, std::int16_t count) {
  const PlotGeometry& g = canvas.geometry;
  try {
    const std::size_t n = Usable(frequencies, values, count);
    for (std::size_t i = 0; i < n; ++i) {
      if (!PlottablePoint(frequencies[i], values[i])) continue;
      const float xf = XFraction(canvas.ranges, frequencies[i]);
      const float q = CSng(Checked(Num(static_cast<float>(values[i])) / bottom));
      const double yf = Checked(Num(Log10(q)) / decades);
      const float y = CSng(Checked(Num(g.PlotHeight) * yf / g.WindowHeight));
      PlotPoint(canvas, XArgument(g, xf), static_cast<float>(y + 0.03));
    }
    DrawTicks(canvas);
    DrawFrequencyLabels(canvas);
  } catch (const RunTimeError& e) {
    // Any other error is said too: a value far above the bottom of the scale would otherwise leave a
    // plot without its markers and no word why.
    ReportLogError(canvas, e, "Error in Drawing Log Curve");
  }
}

void PlotPoint(PlotCanvas& canvas, float a, float b) {
  const PlotGeometry& g = canvas.geometry;
  canvas.surface.FilledCircle(static_cast<float>(static_cast<double>(a) * g.WindowWidth),
                              static_cast<float>((1.0 - b) * g.WindowHeight), g.PlotHeight / 300.0f,
                              g.MarkerColor);
  ClearVectorState();  // a surface that drew with the toolkit may have left it dirty for the next point
}

void DrawFrequencyLabels(PlotCanvas& canvas) {
  const PlotGeometry& g = canvas.geometry;
  const PlotRanges& r = canvas.ranges;
  PlotSurface& s = canvas.surface;
  const Rgb kept = s.ForeColor();
  s.SetForeColor(QBColor(9));
  const auto y = static_cast<float>(g.PlotTop + 0.95 * g.PlotHeight);

  // Centred on its tick, unless that would cut the label at the window's edge: then moved inward
  // just far enough to be whole.
  const auto print = [&](float x, float w, const std::string& text) {
    s.PrintText(std::max(0.0f, std::min(x, g.WindowWidth - w)), y, text);
  };
  const std::string middle = FormatPattern((r.XMax + r.XMin) / 2.0f, "#0.0", canvas.reporting.locale);
  const float middleWidth = s.TextWidth(middle);
  print(static_cast<float>(g.PlotLeft + 0.5 * g.PlotWidth - middleWidth / 2.0), middleWidth, middle);
  const std::string lowest = FormatPattern(r.XMin, "#0.0", canvas.reporting.locale);
  const float lowestWidth = s.TextWidth(lowest);
  print(g.PlotLeft - lowestWidth / 2.0f, lowestWidth, lowest);
  const std::string highest = FormatPattern(r.XMax, "#0.0#", canvas.reporting.locale);
  const float highestWidth = s.TextWidth(highest);
  print(g.PlotLeft + g.PlotWidth - highestWidth / 2.0f, highestWidth, highest);

  s.SetForeColor(kept);
}

void DrawTitle(PlotCanvas& canvas, const std::string& title) {
  const PlotGeometry& g = canvas.geometry;
  const float w = canvas.surface.TextWidth(title);
  canvas.surface.PrintText(g.PlotLeft + (g.PlotWidth - w) / 2.0f, g.PlotTop + g.PlotHeight / 3.0f, title);
}

}  // namespace tavelin
