#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>
#include <cmath>

#include "plot/plot_drawing.hpp"
#include "plot/qt_plot_surface.hpp"

namespace tavelin {
namespace {

class DiscardMessages : public MessageBoxes {
 public:
  void Show(const std::string&, const std::string&) override {}
};

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

// What the plot window does at each resize, at its first size: clear the picture and draw it all.
void RedrawPicture(benchmark::State& state, bool log) {
  const PlotData data = BigScan(log);
  DiscardMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  QImage picture(525, 506, QImage::Format_RGB32);
  PlotGeometry geometry = GeometryFor(7875, 7590);
  PlotRanges ranges;
  for (auto _ : state) {
    QtPlotSurface surface(picture, Rgb{});
    surface.Clear(QColor(239, 239, 239));
    surface.SetFont(PlotFontPoints(geometry.WindowHeight), true);
    surface.SetFillColor(QBColor(9));
    geometry.MarkerColor = surface.FillColor();
    PlotCanvas canvas{surface, geometry, ranges, reporting};
    DrawPlot(canvas, data, data.PlotTitle);
  }
  benchmark::DoNotOptimize(picture.constBits());
}

void BM_PlotRedrawLinear(benchmark::State& state) { RedrawPicture(state, false); }
void BM_PlotRedrawLog(benchmark::State& state) { RedrawPicture(state, true); }

BENCHMARK(BM_PlotRedrawLinear)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlotRedrawLog)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavelin
