// The redraw of a full 16-bit scan, linear and logarithmic: on the window's image, which needs the
// toolkit for its text, and through the same drawing routine on a surface that draws nothing, which
// runs in both process states.
#include <QColor>
#include <QImage>
#include <cmath>

#include "bench_support.hpp"
#include "plot/plot_drawing.hpp"
#include "plotwindow/painter_plot_surface.hpp"

namespace tavelin::bench {
namespace {

// A full 16-bit scan: an SWR-like curve with a resonance, all values positive.
PlotData BigScan(bool log) {
  PlotData data;
  data.PointCount = 32767;
  data.PlotTitle = "SWR";
  data.LogPlot = log;
  data.LogDecades = 3;
  data.LogMinValue = 1.0f;
  for (int i = 0; i < data.PointCount; ++i) {
    const double f = 1.0 + 29.0 * i / (data.PointCount - 1);
    data.PlotFrequencies.push_back(f);
    data.PlotValues.push_back(1.0 + 40.0 / (1.0 + std::pow((f - 14.2) * 3.0, 2)));
  }
  return data;
}

// Text as wide and high as the window's font makes it, give or take.
class NoPixels : public PlotSurface {
 public:
  void SetFont(double, bool) override {}
  void SetFillColor(Rgb colour) override { fill_ = colour; }
  Rgb FillColor() const override { return fill_; }
  void SetForeColor(Rgb colour) override { fore_ = colour; }
  Rgb ForeColor() const override { return fore_; }
  void Line(float, float, float, float, Rgb) override { ++drawn; }
  void FilledCircle(float, float, float, Rgb) override { ++drawn; }
  void PrintText(float, float, std::string_view) override { ++drawn; }
  float TextWidth(std::string_view text) override { return 90.0f * static_cast<float>(text.size()); }
  float TextHeight(std::string_view) override { return 195.0f; }
  int drawn = 0;

 private:
  Rgb fill_;
  Rgb fore_;
};

// What the plot window does at each resize, at its first size: clear the picture and draw it all.
void RedrawPicture(benchmark::State& bench, const std::string& state, bool log) {
  const PlotData data = BigScan(log);
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  QImage picture(525, 506, QImage::Format_RGB32);
  PlotGeometry geometry = GeometryFor(7875, 7590);
  PlotRanges ranges;
  AsTheToolkitLeavesIt(state);
  for (auto _ : bench) {
    EachIterationAsTheToolkitLeavesIt(bench, state);
    PainterPlotSurface surface(picture, Rgb{});
    surface.Clear(QColor(239, 239, 239));
    surface.SetFont(PlotFontPoints(geometry.WindowHeight), true);
    surface.SetFillColor(QBColor(9));
    geometry.MarkerColor = surface.FillColor();
    PlotCanvas canvas{surface, geometry, ranges, reporting};
    DrawPlot(canvas, data, data.PlotTitle);
  }
  benchmark::DoNotOptimize(picture.constBits());
  if (messages.shown != 0) bench.SkipWithError("a message box was shown");
}

void DrawNoPixels(benchmark::State& bench, const std::string& state, bool log) {
  const PlotData data = BigScan(log);
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  PlotGeometry geometry = GeometryFor(7875, 7590);
  PlotRanges ranges;
  NoPixels surface;
  AsTheToolkitLeavesIt(state);
  for (auto _ : bench) {
    EachIterationAsTheToolkitLeavesIt(bench, state);
    PlotCanvas canvas{surface, geometry, ranges, reporting};
    DrawPlot(canvas, data, data.PlotTitle);
  }
  benchmark::DoNotOptimize(surface.drawn);
  if (messages.shown != 0) bench.SkipWithError("a message box was shown");
}

}  // namespace

void RegisterPlotBenchmarks(const std::string& state) {
  for (const bool log : {false, true}) {
    const std::string scale = log ? "Log/" : "Linear/";
    if (AfterToolkit(state)) {
      benchmark::RegisterBenchmark(("BM_PlotRedraw" + scale + state).c_str(), RedrawPicture, state, log)
          ->Unit(benchmark::kMillisecond)
          ->Repetitions(5)
          ->ReportAggregatesOnly(true);
    }
    benchmark::RegisterBenchmark(("BM_DrawPlotNoPixels" + scale + state).c_str(), DrawNoPixels, state, log)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
  }
}

}  // namespace tavelin::bench
