#include <gtest/gtest.h>

#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <fstream>

#include "plot/plot_data.hpp"
#include "plotwindow/plot_window.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using Messages = std::vector<testing::ShownMessage>;

// Compute and Plot on a scan output file of one-element steps (MHz, impedance), its bytes typed here.
struct Plotting : testing::RecordingMessages {
  explicit Plotting(const std::vector<std::array<double, 3>>& steps) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& [mhz, zRe, zIm] : steps) {
      const double fields[8] = {mhz, 1, 0, 0, 0, zRe, zIm, 0};
      char record[68] = {};
      std::memcpy(record, fields, sizeof fields);
      out.write(record, sizeof record);
    }
    out.close();
    files.Open(state.OutputReadFile = 1, path, 68);
    state.OutputRecordCount = static_cast<std::int16_t>(steps.size());
    state.ElementCount = 1;
  }
  bool Compute(std::int16_t variable) { return ComputePlot(services, state, {variable, false, "50", "5", "0.1"}, data); }
  QTemporaryDir folder;
  std::string path = folder.filePath("out.dat").toStdString();
  RecordFiles files;
  testing::RecordingEnd end;
  Services services{*this, end, files, NumberLocale{}, folder.path().toStdString()};
  NetworkState state;
  PlotData data;
};

// Frequencies left out are written as the frequency labels under the plot are. With the read handle
// closed there are no records to plot, whatever the count says.
TEST(PlotDesktop, PointsNotPlottedAndTheReadHandle) {
  Plotting p({{10.2020201981068, 0, 50}, {3.5, 50, 0}, {29.75, 0, 75}, {16.0, 25, 0}});
  EXPECT_TRUE(p.Compute(6));
  EXPECT_EQ(p.shown, (Messages{{"Left out of the plot, the value being infinite, undefined or too large to plot: "
                                "the points at 10.2, 29.75 MHz.", "Points Not Plotted"}}));
  p.files.CloseAll();
  p.shown.clear();
  EXPECT_FALSE(p.Compute(2));
  EXPECT_EQ(p.shown, (Messages{{"No Elements in Network or not enough records - Check Input Data!", "Error"}}));
  EXPECT_EQ(p.data.PlotTitle, "SWR");
}

// A surface that keeps where text was printed; every text is 600 twips wide.
struct TextPlaces : PlotSurface {
  void SetFont(double, bool) override {}
  void SetFillColor(Rgb) override {}
  void SetForeColor(Rgb) override {}
  Rgb FillColor() const override { return {}; }
  Rgb ForeColor() const override { return {}; }
  void Line(float, float, float, float, Rgb) override {}
  void FilledCircle(float, float, float, Rgb) override {}
  void PrintText(float x, float, std::string_view text) override { placed.emplace_back(std::string(text), x); }
  float TextWidth(std::string_view) override { return 600; }
  float TextHeight(std::string_view) override { return 200; }
  std::vector<std::pair<std::string, float>> placed;
};

// Labels centred on their ticks, moved inward only as far as keeps them whole in the window.
TEST(PlotDesktop, FrequencyLabelsStayWholeInsideTheWindow) {
  const std::pair<float, std::vector<std::pair<std::string, float>>> cases[] = {
      {7875, {{"16.6", 3637.5f}, {"3.5", 0}, {"29.75", 7275}}},    // both ends would stick out
      {30000, {{"16.6", 14700}, {"3.5", 600}, {"29.75", 28800}}}};  // room enough: on the ticks
  for (const auto& [width, expected] : cases) {
    TextPlaces surface;
    PlotRanges ranges{3.5f, 29.75f, 0, 1};
    testing::RecordingMessages messages;
    const Reporting reporting{messages, {}};
    const PlotGeometry geometry = GeometryFor(width, 7590);
    PlotCanvas canvas{surface, geometry, ranges, reporting};
    DrawFrequencyLabels(canvas);
    EXPECT_EQ(surface.placed, expected) << width;
  }
}

struct PlotWindow : testing::RecordingMessages, PrinterService {
  bool Prepare(QPrinter&, QWidget*) override { return false; }
  PlotData data{2, {1, 2}, {1, 2}, "Voltage (Volts)"};
  frmPlot plot{data, Reporting{*this, {}}, *this};
};

// The plot window stays within the desktop; were it larger all the same, its picture holds only the
// desktop's size of it, around what is shown, drawn as the whole window would be.
TEST(PlotDesktop, PictureMemoryBoundedByTheDesktop) {
  PlotWindow p;
  frmPlot& plot = p.plot;
  plot.show();
  const QSize desktop = plot.screen()->virtualSize();
  plot.resize(32767, 32767);
  EXPECT_TRUE(plot.width() <= desktop.width() && plot.height() <= desktop.height());
  plot.move(-1000, -1000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return plot.pos() == QPoint(-1000, -1000); }));
  plot.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  plot.resize(3000, 2000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return plot.size() == QSize(3000, 2000); }));
  // What the desktop shows: the window from its client corner's distance to the desktop's corner.
  const QPoint shown = plot.screen()->virtualGeometry().topLeft() - plot.mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(plot.PictureOrigin(), shown);
  ASSERT_EQ(plot.Picture().size(), desktop);
  // Grid lines at 3% + 94% (1 - k/10) of 2000 pixels: 1000 and 1188; 1094 lies between them.
  const auto at = [&](int x, int y) { return plot.Picture().pixelColor(x - shown.x(), y - shown.y()); };
  EXPECT_TRUE(at(1010, 1000) == Qt::black && at(1010, 1188) == Qt::black && at(1010, 1094) != Qt::black);
}

// A refused Compute and Plot may leave new arrays behind; an open plot window goes on drawing its own
// copy at a resize, and takes the new data only when a Compute and Plot succeeds (Redraw).
TEST(PlotDesktop, OpenPlotWindowKeepsItsCopyAfterARefusal) {
  PlotWindow p;
  p.plot.show();
  const QImage before = p.plot.Picture().copy();
  p.data = PlotData{3, {5, 6, 7}, {-3, 9, 1}, "Current (Amperes)"};
  p.plot.Form_Resize();
  EXPECT_EQ(p.plot.Picture(), before);
  p.plot.Redraw();
  EXPECT_NE(p.plot.Picture(), before);
}

}  // namespace
}  // namespace tavelin
