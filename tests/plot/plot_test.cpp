#include <gtest/gtest.h>

#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unistd.h>

#include "plot/plot_data.hpp"
#include "plot/plot_drawing.hpp"
#include "plotwindow/plot_window.hpp"
#include "recording_surface.hpp"
#include "support/scan_rig.hpp"

namespace tavelin {
namespace {
using Messages = std::vector<testing::ShownMessage>;

// A scan output file of the given records, open for reading and counted as after a scan.
struct ComputePlotTest : ::testing::Test, testing::ScanRig {
  void Write(const std::vector<OutputRecord>& records, std::int16_t elementCount = 1) {
    std::vector<std::byte> bytes(records.size() * 68);
    for (std::size_t i = 0; i < records.size(); ++i) {  // frequency at 0, then V, I and Z, re and im
      std::memcpy(&bytes[i * 68], &records[i].Frequency, 8);
      std::memcpy(&bytes[i * 68 + 8], &records[i].Node, 48);
    }
    testing::WriteBytes(folder.File("out.dat"), bytes);
    files.CloseAll();
    files.Open(state.OutputReadFile = 1, folder.File("out.dat"), kOutputRecordLength);
    state.OutputRecordCount = static_cast<std::int16_t>(files.Length(1) / 68);
    state.ElementCount = elementCount;
  }
  void WriteNumbered(int count, std::int16_t elementCount) {  // record r carries r as frequency and voltage
    std::vector<OutputRecord> records;
    for (int r = 1; r <= count; ++r) records.push_back({1.0 * r, {1.0 * r}});
    Write(records, elementCount);
  }
  bool Compute(const PlotRequest& request = {0, false, "50", "5", "0.1"}) {
    messages.shown.clear();
    return ComputePlot(services, state, request, data);
  }
  PlotData data;
};

// Of each step its last record, across the edges of reads; a file cut short after its count stops with 62.
TEST_F(ComputePlotTest, EachPointIsTheLastElementOfItsFrequency) {
  const std::tuple<int, std::int16_t, off_t, int> cases[] = {
      // records, elements, the file's length after it was counted (-1: as written), points
      {250, 100, -1, 2},        // 2.5 points round to 2; the last 50 records are ignored
      {260, 100, -1, 3},        // the third point falls back on the file's last record
      {32767, 16384, -1, 2},    // the record counter stops at the largest file, not overflowing
      {2500, 1, -1, 2500},  {3100, 3, -1, 1033},  {2113, 32, -1, 66},     {2000, 33, -1, 61},
      {2500, 1, 102010, 0}, {3100, 3, 68000, 0},  {2113, 32, 143000, 0},  {2000, 40, 3400, 0}};
  for (const auto& [records, elements, cutTo, points] : cases) {
    WriteNumbered(records, elements);
    ASSERT_EQ(cutTo < 0 ? 0 : ::truncate(folder.File("out.dat").c_str(), cutTo), 0);
    ASSERT_EQ(Compute(), points > 0) << records;
    EXPECT_TRUE(points > 0 || messages.shown.at(0).text.rfind("Run-time error 62: ", 0) == 0) << records;
    if (points == 0) continue;
    std::vector<double> expected;
    for (int i = 1; i <= points; ++i) expected.push_back(std::min(i * elements, records));
    EXPECT_EQ(std::tuple(data.PointCount, data.PlotValues, data.PlotFrequencies, state.ElementIndex),
              std::tuple(points, expected, expected, std::min(points * elements + 1, 32767))) << records;
  }
}

// Phases are in degrees of the program's pi, 3.14159; the SWR is read against the normaliser.
TEST_F(ComputePlotTest, EachVariableOfTheInputEnd) {
  const double degrees = 180 / 3.14159;
  const NodeValues node{3, 4, -1, 1, 50, -50};
  const std::tuple<NodeValues, std::int16_t, const char*, double, double, const char*> cases[] = {
      {node, 0, "", 5, 1e-12, "Voltage (Volts)"},
      {node, 1, "", std::sqrt(2.0), 1e-12, "Current (Amperes)"},
      {node, 2, "", 50 * std::sqrt(2.0), 1e-12, "Impedance (Ohms)"},
      {{1, std::tan(1.0)}, 3, "", 57.295827908797776, 0, "Voltage Phase (Deg)"},          // one radian
      {node, 4, "", (3.14159 - std::atan(1.0)) * degrees, 1e-10, "Current Phase (Deg)"},  // second quadrant
      {node, 5, "", -std::atan(1.0) * degrees, 1e-10, "Impedance Phase Angle (Deg)"},
      {{0, 0, 0, 0, 300, 0}, 6, " 300 ", 1, 0, "SWR"},  // matched
      {{0, 0, 0, 0, 25, 0}, 6, "50", 2, 1e-12, "SWR"},  // |reflection| 1/3
      {{0, 0, 0, 0, -25, 0}, 6, "50", -2, 1e-12, "SWR"},  // negative resistance: |reflection| 3, as it comes
      {{0, 0, 0, 0, 30, 40}, 6, "50", 3, 1e-12, "SWR"},  // |reflection| |-20 + j40| / |80 + j40| = 1/2
  };
  for (const auto& [input, index, normaliser, value, tolerance, title] : cases) {
    Write({{10, input}});
    ASSERT_TRUE(Compute({index, false, normaliser, "5", "0.1"})) << title;
    EXPECT_NEAR(data.PlotValues[0], value, tolerance) << title;
    EXPECT_EQ(data.PlotTitle, title);
    EXPECT_TRUE(messages.shown.empty());
  }
}

// A lossless reactive load has no finite SWR: infinity, named and left out. No read handle, no records.
TEST_F(ComputePlotTest, PointsThatCannotBePlottedAreNamedInOneMessage) {
  Write({{10.2020201981068, {0, 0, 0, 0, 0, 50}}, {3.5, {0, 0, 0, 0, 50, 0}}, {29.75, {0, 0, 0, 0, 0, 75}},
         {16, {0, 0, 0, 0, 25, 0}}});
  EXPECT_TRUE(Compute({6, false, "50", "5", "0.1"}));
  EXPECT_EQ(data.PlotValues[0], std::numeric_limits<double>::infinity());
  EXPECT_EQ(messages.shown, (Messages{{"Left out of the plot, the value being infinite, undefined or too large "
                                       "to plot: the points at 10.2, 29.75 MHz.",
                                       "Points Not Plotted"}}));
  files.CloseAll();
  EXPECT_FALSE(Compute());
  EXPECT_EQ(messages.shown, (Messages{{"No Elements in Network or not enough records - Check Input Data!", "Error"}}));
}

TEST_F(ComputePlotTest, ScaleSettingsAreReadWhicheverScaleInTheUsersLocale) {
  WriteNumbered(3, 1);
  services.locale = {",", ".", "-"};
  EXPECT_TRUE(Compute({0, true, "50", "2,5", "0,5"}));
  EXPECT_EQ(std::tuple(data.LogPlot, data.LogDecades, data.LogMinValue), std::tuple(true, std::int16_t{2}, 0.5f));
  EXPECT_TRUE(Compute({0, false, "50", "-3,5", "0"}));
  EXPECT_EQ(std::tuple(data.LogPlot, data.LogDecades, data.LogMinValue), std::tuple(false, std::int16_t{-4}, 0.0f));
}

using Op = testing::RecordingSurface::Op;

const Rgb kBlack{0, 0, 0}, kGrey{128, 128, 128}, kBlue{0, 0, 255}, kRed{255, 0, 0};
const char* const kTitle = "Impedance (Ohms)";

// Whether an op stands at (x, y) in twips, give or take 0.05, in the given colour (and text, if any).
::testing::AssertionResult At(const Op& op, double x, double y, Rgb colour, const std::string& text = "") {
  const bool at = std::abs(op.x1 - x) < 0.05 && std::abs(op.y1 - y) < 0.05 && op.colour == colour && op.text == text;
  return (at ? ::testing::AssertionSuccess() : ::testing::AssertionFailure()) << op.x1 << "," << op.y1;
}

// A window of the plot's first size with the recording surface's 8-point text.
class PlotDrawing : public ::testing::Test {
 protected:
  void Draw(const PlotData& data) {
    surface.ops.clear();
    messages.shown.clear();
    DrawPlot(canvas, data, data.PlotTitle);
    texts = surface.Of(testing::RecordingSurface::Kind::kText);
    lines = surface.Of(testing::RecordingSurface::Kind::kLine);
    markers = surface.Of(testing::RecordingSurface::Kind::kCircle);
  }
  double X(double xf) const { return g.PlotLeft + xf * g.PlotWidth; }  // fractions of the plot area
  double Y(double yf) const { return g.PlotTop + g.PlotHeight - yf * g.PlotHeight; }

  testing::RecordingSurface surface;
  testing::RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  PlotGeometry g = GeometryFor(7875, 7590);
  PlotRanges ranges;
  PlotCanvas canvas{surface, g, ranges, reporting};
  std::vector<Op> texts, lines, markers;
};

TEST_F(PlotDrawing, LinearScaleWithGridMarkersTicksFrequencyLabelsAndTitle) {
  const PlotGeometry o = GeometryFor(1000, 2000);  // the layout and font rules
  EXPECT_EQ(std::tuple(o.PlotWidth, o.PlotHeight, o.PlotLeft, o.PlotTop), std::tuple(940.f, 1880.f, 30.f, 60.f));
  EXPECT_EQ(std::pair(PlotFontPoints(6000), PlotFontPoints(6001)), std::pair(8.0, 12.0));
  g.MarkerColor = QBColor(9);
  // A value that cannot be plotted is left out silently; a fifth point lies beyond PointCount.
  Draw({4, {3.5, 10, 29.75, 20, 100}, {-2, 3, 0.5, std::numeric_limits<double>::quiet_NaN(), 700}, kTitle});
  ASSERT_EQ(std::tuple(texts.size(), lines.size(), markers.size()), std::tuple(11u + 3u + 1u, 11u + 3u, 3u));
  // Eleven lines, black from zero up and red below, each labelled two thirds of a text line above it.
  const char* labels[] = {"-2.0", "-1.5", "-1.0", "-0.5", "0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0"};
  for (int i = 0; i < 11; ++i) {
    EXPECT_TRUE(At(texts[i], g.PlotLeft, Y(i / 10.0) - 0.6666 * 160, kBlack, labels[i]));
    EXPECT_TRUE(At(lines[i], g.PlotLeft, Y(i / 10.0), i < 4 ? kRed : kBlack));
    EXPECT_EQ(std::pair(lines[i].x2, lines[i].y2), std::pair(g.PlotLeft + g.PlotWidth, lines[i].y1));
  }
  // Blue ticks at left, middle and right under frequency labels kept whole in the 7875-twip area.
  const double xf[] = {0, 6.5 / 26.25, 1}, yf[] = {0, 1, 0.5};
  const std::pair<const char*, int> frequencies[] = {{"16.6", 1}, {"3.5", 0}, {"29.75", 2}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(At(markers[i], X(xf[i]), Y(yf[i]), kBlue) && markers[i].radius == g.PlotHeight / 300);
    EXPECT_TRUE(At(lines[11 + i], X(i / 2.0), Y(0), kBlue) && lines[11 + i].x2 == lines[11 + i].x1);
    const auto& [text, at] = frequencies[i];
    const double x = X(at / 2.0) - 50.0 * std::strlen(text), width = 100.0 * std::strlen(text);
    EXPECT_TRUE(At(texts[11 + i], std::clamp(x, 0.0, 7875 - width), Y(0.05), kBlue, text));
  }
  // The title, in the text colour given back after the frequency labels.
  EXPECT_TRUE(At(texts.back(), g.PlotLeft + (g.PlotWidth - 1600) / 2, Y(2 / 3.0), kBlack, kTitle));
}

// Values all below -95 top out at -95; equal values put the markers on the middle line.
TEST_F(PlotDrawing, TheMinus95CeilingAndEqualValues) {
  const std::tuple<std::vector<double>, const char*, const char*, Rgb, std::vector<double>> cases[] = {
      {{-100, -120}, "-120.0", "-95.0", kRed, {0.8, 0}},  // -100 is 20 of the 25 units above -120
      {{50, 50}, "50.0", "50.0", kBlack, {0.5, 0.5}},  // at a height of 50, far beyond the window
      {{-3, -3, -3}, "-3.0", "-3.0", kRed, {0.5, 0.5, 0.5}},
  };
  for (const auto& [values, bottom, top, colour, yf] : cases) {
    Draw({static_cast<std::int16_t>(values.size()), {1, 2, 3}, values, kTitle});
    EXPECT_EQ(std::tuple(texts[0].text, texts[10].text, lines[10].colour), std::tuple(bottom, top, colour));
    ASSERT_EQ(markers.size(), yf.size());
    for (std::size_t i = 0; i < yf.size(); ++i) EXPECT_TRUE(At(markers[i], X(i / (yf.size() - 1.0)), Y(yf[i]), {}));
  }
}

TEST_F(PlotDrawing, LogGridOfThreeDecadesFromOneTenth) {
  Draw({4, {1, 2, 3, 2.5}, {0.05, 1, 200, 1e39}, kTitle, true, 3, 0.1f});  // 1e39 cannot be plotted
  // Grey lines at 1 to 10 times each decade, then the ticks; a label centred on each decade line.
  ASSERT_EQ(lines.size(), 30u + 3u);
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(At(lines[i], g.PlotLeft, Y((i / 10 + std::log10(i % 10 + 1)) / 3), kGrey));
  const char* labels[] = {"0.10", "1.00", "10.00", "100.00"};
  for (int k = 0; k <= 3; ++k) EXPECT_TRUE(At(texts[k], X(0.01), Y(k / 3.0) - 80, kBlack, labels[k]));
  // 0.05 lies below the plot area, 200 above it; neither is clipped.
  ASSERT_EQ(markers.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(markers[i].y1, Y(std::log10(std::vector{0.5, 10.0, 2000.0}[i]) / 3), 0.5);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlotDrawing, LogCurveStopsAtAValueThatIsNotPositive) {
  for (double bad : {0.0, -3.0}) {
    Draw({6, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, bad, 6}, kTitle, true, 2, 1});
    EXPECT_EQ(markers.size(), 4u) << bad;
    EXPECT_EQ(messages.shown, (std::vector<testing::ShownMessage>{
                                  {"Log Plots cannot plot negative values! Use the Linear Plot!",
                                   "Error in Logarithmic Plotting"}}));
    for (const auto& line : lines) EXPECT_EQ(line.colour, kGrey) << "no ticks";
    // The decade labels and the title: no frequency labels.
    EXPECT_EQ(surface.Texts(), (std::vector<std::string>{"1.00", "10.00", "100.00", kTitle}));
  }
}

// After real scans: whole steps of the network scanned, whatever was opened since; an uncounted file is refused.


// Series resistors on a 50-ohm load: 60, 80 and 110 ohms after the first, second and third.
constexpr const char* kThree = "SeriesR 10 rload=50\nSeriesR 20\nSeriesR 30\n";
constexpr const char* kTwo = "SeriesR 10 rload=50\nSeriesR 20\n";

struct ScanGroupingTest : ::testing::Test, testing::ScanRig {
  void Scan() { lastScan = (ScanRig::Scan("1", "2"), messages.shown); }
  Messages lastScan;
};

TEST_F(ScanGroupingTest, PointsAreWholeStepsOfTheScannedNetwork) {
  // Name; what is opened and scanned; the last boxes of the last scan; the |Z| plotted (none: refused).
  const std::tuple<const char*, std::function<void(ScanGroupingTest&)>, Messages, std::vector<double>> rows[] = {
      {"WholeScan", [](auto& t) { t.Open(kThree, 4), t.Scan(); },
       {{"All records processed over the range of 4 frequencies.", "Status"}}, {110, 110, 110, 110}},
      // 11 whole records: three steps and two elements of a fourth, whose 80 ohms is no point.
      {"StoppedInsideAStep",
       [](auto& t) {
         t.Open(kThree, 100), testing::FileSizeLimit(11 * 68 + 10), t.Scan();
         EXPECT_EQ(testing::ReadBytes(t.Output()).size(), 11u * 68u);
       },
       {{"Run-time error 61 (Disk full) while writing the scan output file. The scan was stopped; the 11 records "
         "written before it are kept.", "Error in Scan"}},
       {110, 110, 110}},
      // Nine points of the two-element scan, not two points grouped by nine elements.
      {"OtherNetworkOpenedSince",
       [](auto& t) {
         t.Open(kTwo, 9), t.Scan();
         t.Open("ShuntR 1 rload=5\nShuntR 2\nShuntR 3\nShuntR 4\nShuntR 5\nShuntR 6\nShuntR 7\nShuntR 8\nShuntR 9\n", 1);
       },
       {{"All records processed over the range of 9 frequencies.", "Status"}}, {80, 80, 80, 80, 80, 80, 80, 80, 80}},
      {"FileTooLongToCountAfterAGoodScan", [](auto& t) { t.Open(kTwo, 3), t.Scan(), t.Open(kTwo, 16384), t.Scan(); },
       {{"All records processed over the range of 16384 frequencies.", "Status"},
        {"File open error, 6", "Fatal Error in Opening Network Data File"}},
       {}},
  };
  for (const auto& [name, run, scanMessages, points] : rows) {
    SCOPED_TRACE(name);
    files.CloseAll();
    state = NetworkState{};
    std::filesystem::remove(Output());
    run(*this);
    EXPECT_EQ(Messages(lastScan.end() - static_cast<std::ptrdiff_t>(scanMessages.size()), lastScan.end()), scanMessages);
    messages.shown.clear();
    PlotData data;
    data.PlotValues = {-1};
    EXPECT_EQ(ComputePlot(services, state, {2, false, "50", "5", "0.1"}, data), !points.empty());
    EXPECT_EQ(data.PlotValues, points.empty() ? std::vector<double>{-1} : points);
    const Messages refused{{"No Elements in Network or not enough records - Check Input Data!", "Error"}};
    EXPECT_EQ(messages.shown, points.empty() ? refused : Messages{});
  }
}

struct PlotWindow : testing::RecordingMessages, PrinterService {
  bool Prepare(QPrinter&, QWidget*) override { return false; }
  PlotData data{2, {1, 2}, {1, 2}, "Voltage (Volts)"};
  frmPlot plot{data, Reporting{*this, {}}, *this};
};

// The plot window stays within the desktop; larger all the same, its picture holds only what is shown.
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

// Its buttons at 40 % and 55 % across, 50 % down, in twips, go to the nearest pixel, halves away from zero.
TEST(PlotDesktop, ButtonsGoToTheNearestPixel) {
  PlotWindow p;
  p.plot.show();
  p.plot.resize(401, 301);
  ASSERT_TRUE(QTest::qWaitFor([&] { return p.plot.size() == QSize(401, 301); }));
  EXPECT_EQ(std::pair(p.plot.cmdPrint()->pos(), p.plot.cmdOK()->pos()), std::pair(QPoint(160, 151), QPoint(221, 151)));
}

// An open plot window redraws its own copy after a refused Compute and Plot, new data only at Redraw.
TEST(PlotDesktop, OpenPlotWindowKeepsItsCopyAfterARefusal) {
  PlotWindow p;
  p.plot.show();
  const QImage before = p.plot.Picture().copy();
  p.data = PlotData{3, {5, 6, 7}, {-3, 9, 1}, "Current (Amperes)"};
  p.plot.Form_Resize();
  EXPECT_EQ(p.plot.Picture(), before);
  p.plot.Redraw(p.data);
  EXPECT_NE(p.plot.Picture(), before);
}

}  // namespace
}  // namespace tavelin
