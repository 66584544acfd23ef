#include "plot/plot_drawing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "recording_surface.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using testing::RecordingMessages;
using testing::RecordingSurface;
using Kind = RecordingSurface::Kind;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kTol = 0.05f;  // twips

const Rgb kBlack{0, 0, 0};
const Rgb kGrey{128, 128, 128};
const Rgb kLightBlue{0, 0, 255};
const Rgb kLightRed{255, 0, 0};

PlotData Data(std::vector<double> frequencies, std::vector<double> values) {
  PlotData data;
  data.PointCount = static_cast<std::int16_t>(values.size());
  data.PlotFrequencies = std::move(frequencies);
  data.PlotValues = std::move(values);
  data.PlotTitle = "Impedance (Ohms)";
  return data;
}

PlotData LogData(std::vector<double> frequencies, std::vector<double> values, std::int16_t decades, float bottom) {
  PlotData data = Data(std::move(frequencies), std::move(values));
  data.LogPlot = true;
  data.LogDecades = decades;
  data.LogMinValue = bottom;
  return data;
}

// A window of the plot's first size, drawn as the window does it: 12-point bold text, solid light
// blue fill, black text.
class PlotDrawing : public ::testing::Test {
 protected:
  PlotDrawing() {
    g = GeometryFor(7875, 7590);
    surface.SetFont(12, true);
    surface.SetFillColor(QBColor(9));
    surface.SetForeColor(kBlack);
    g.MarkerColor = surface.FillColor();
  }
  void Draw(const PlotData& data) { DrawPlot(canvas, data, data.PlotTitle); }

  // Where a point at fractions (xf, yf) of the plot area must stand.
  float X(double xf) const { return static_cast<float>(g.PlotLeft + xf * g.PlotWidth); }
  float Y(double yf) const { return static_cast<float>(g.PlotTop + g.PlotHeight - yf * g.PlotHeight); }

  RecordingSurface surface;
  RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  PlotGeometry g;
  PlotRanges ranges;
  PlotCanvas canvas{surface, g, ranges, reporting};
};

TEST(PlotLayout, GeometryAndFontFromTheOuterSize) {
  const PlotGeometry g = GeometryFor(1000, 2000);
  EXPECT_FLOAT_EQ(g.PlotWidth, 940);
  EXPECT_FLOAT_EQ(g.PlotHeight, 1880);
  EXPECT_FLOAT_EQ(g.PlotLeft, 30);
  EXPECT_FLOAT_EQ(g.PlotTop, 60);
  EXPECT_EQ(PlotFontPoints(6000), 8);
  EXPECT_EQ(PlotFontPoints(6001), 12);
}

TEST(PlotRangesTest, ExtremesInSinglePrecisionWithTheMinus95Ceiling) {
  struct Case {
    const char* what;
    std::vector<double> f, v;
    std::int16_t count;
    float xMin, xMax, yMin, yMax;
  };
  const Case cases[] = {
      {"mixed", {3.5, 10, 29.75}, {1, -2, 7}, 3, 3.5f, 29.75f, -2, 7},
      {"all below -95", {1, 2}, {-100, -120}, 2, 1, 2, -120, -95},
      {"rounded to single", {0.1, 0.3}, {0.1, 0.2}, 2, 0.1f, 0.3f, 0.1f, 0.2f},
      {"count shorter than the arrays", {1, 2, 3}, {5, 6, 700}, 2, 1, 2, 5, 6},
      // Unplottable values leave the value range; their frequency still counts if it is a number.
      {"left out", {1, 2, kInf, 4}, {5, kNaN, 9, 1e39}, 4, 1, 4, 5, 5},
  };
  for (const Case& c : cases) {
    PlotRanges r;
    FindRanges(r, c.f, c.v, c.count);
    EXPECT_EQ(r.XMin, c.xMin) << c.what;
    EXPECT_EQ(r.XMax, c.xMax) << c.what;
    EXPECT_EQ(r.YMin, c.yMin) << c.what;
    EXPECT_EQ(r.YMax, c.yMax) << c.what;
  }
}

TEST_F(PlotDrawing, LinearGridLabelsAndSignedColours) {
  Draw(Data({1, 2}, {-2, 3}));
  const auto texts = surface.Of(Kind::kText);
  const auto lines = surface.Of(Kind::kLine);
  ASSERT_GE(texts.size(), 11u);
  ASSERT_EQ(lines.size(), 11u + 3u);  // grid and ticks
  const char* labels[] = {"-2.0", "-1.5", "-1.0", "-0.5", "0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0"};
  const float offset = 0.6666f * 240;  // two thirds of a 12-point text height
  for (int i = 0; i < 11; ++i) {
    const double fraction = i / 10.0;
    EXPECT_EQ(texts[i].text, labels[i]);
    EXPECT_NEAR(texts[i].x1, g.PlotLeft, kTol);
    EXPECT_NEAR(texts[i].y1, Y(fraction) - offset, kTol) << labels[i];
    EXPECT_NEAR(lines[i].y1, Y(fraction), kTol);
    EXPECT_EQ(lines[i].y1, lines[i].y2);
    EXPECT_NEAR(lines[i].x1, g.PlotLeft, kTol);
    EXPECT_NEAR(lines[i].x2, g.PlotLeft + g.PlotWidth, kTol);
    EXPECT_EQ(lines[i].colour, i < 4 ? kLightRed : kBlack) << labels[i];
  }
}

TEST_F(PlotDrawing, ValuesBelowMinus95StillTopOutAtMinus95) {
  Draw(Data({1, 2}, {-100, -120}));
  const auto texts = surface.Texts();
  EXPECT_EQ(texts[0], "-120.0");
  EXPECT_EQ(texts[1], "-117.5");
  EXPECT_EQ(texts[10], "-95.0");
  for (const auto& line : surface.Of(Kind::kLine)) {
    if (line.y1 == line.y2) {
      EXPECT_EQ(line.colour, kLightRed);
    }
  }
  const auto markers = surface.Of(Kind::kCircle);
  ASSERT_EQ(markers.size(), 2u);
  EXPECT_NEAR(markers[0].y1, Y(20.0 / 25.0), kTol);  // -100 is 20 of the 25 units above -120
  EXPECT_NEAR(markers[1].y1, Y(0), kTol);
}

TEST_F(PlotDrawing, MarkersStandAtTheirFractionsOfThePlotArea) {
  Draw(Data({2, 4, 10}, {0, 5, 10}));
  const auto markers = surface.Of(Kind::kCircle);
  ASSERT_EQ(markers.size(), 3u);
  const double xf[] = {0, 0.25, 1};
  const double yf[] = {0, 0.5, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(markers[i].x1, X(xf[i]), kTol) << i;
    EXPECT_NEAR(markers[i].y1, Y(yf[i]), kTol) << i;
    EXPECT_FLOAT_EQ(markers[i].radius, g.PlotHeight / 300);
    EXPECT_EQ(markers[i].colour, kLightBlue);
    EXPECT_EQ(markers[i].fill, kLightBlue);
  }
  EXPECT_TRUE(messages.shown.empty());
}

// Equal values make every grid label that value; the markers then sit on the middle line instead of
// at a height equal to the value itself (1.5 would be above the window, 50 far beyond it).
TEST_F(PlotDrawing, EqualValuesStandOnTheMiddleLine) {
  const struct {
    double value;
    const char* label;
  } cases[] = {{0, "0.0"}, {1, "1.0"}, {1.5, "1.5"}, {50, "50.0"}, {-3, "-3.0"}};
  for (const auto& c : cases) {
    surface.ops.clear();
    Draw(Data({1, 2, 3}, {c.value, c.value, c.value}));
    const auto texts = surface.Texts();
    for (int i = 0; i < 11; ++i) EXPECT_EQ(texts[i], c.label);
    const auto markers = surface.Of(Kind::kCircle);
    ASSERT_EQ(markers.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(markers[i].x1, X(i / 2.0), kTol);
      EXPECT_NEAR(markers[i].y1, Y(0.5), kTol) << c.value;
    }
  }
}

TEST_F(PlotDrawing, OneFrequencyPutsTheMarkersOnTheCentreLineOnBothScales) {
  for (bool log : {false, true}) {
    surface.ops.clear();
    PlotData data = Data({7, 7}, {1, 10});
    data.LogPlot = log;
    data.LogDecades = 2;
    data.LogMinValue = 0.1f;
    Draw(data);
    const auto markers = surface.Of(Kind::kCircle);
    ASSERT_EQ(markers.size(), 2u) << log;
    for (const auto& m : markers) EXPECT_NEAR(m.x1, X(0.5), kTol);
    EXPECT_NEAR(markers[log ? 1 : 0].y1, Y(log ? 1.0 : 0.0), kTol);
    EXPECT_TRUE(messages.shown.empty());
  }
}

TEST_F(PlotDrawing, TicksFrequencyLabelsAndTitle) {
  Draw(Data({3.5, 10, 29.75}, {1, 2, 3}));
  std::vector<RecordingSurface::Op> ticks;
  for (const auto& line : surface.Of(Kind::kLine)) {
    if (line.x1 == line.x2) ticks.push_back(line);
  }
  ASSERT_EQ(ticks.size(), 3u);
  const double tickX[] = {0, 0.5, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(ticks[i].x1, X(tickX[i]), kTol);
    EXPECT_NEAR(ticks[i].y1, g.PlotTop + g.PlotHeight, kTol);
    EXPECT_NEAR(ticks[i].y2, g.PlotTop + 1.02 * g.PlotHeight, kTol);
    EXPECT_EQ(ticks[i].colour, kLightBlue);
  }

  const auto texts = surface.Of(Kind::kText);
  ASSERT_EQ(texts.size(), 11u + 3u + 1u);
  struct Expected {
    const char* text;
    double tickFraction;
  } labels[] = {{"16.6", 0.5}, {"3.5", 0}, {"29.75", 1}};
  for (int i = 0; i < 3; ++i) {
    const auto& t = texts[11 + i];
    EXPECT_EQ(t.text, labels[i].text);
    const float halfWidth = 50.0f * static_cast<float>(t.text.size());
    EXPECT_NEAR(t.x1, X(labels[i].tickFraction) - halfWidth, kTol) << t.text;
    EXPECT_NEAR(t.y1, g.PlotTop + 0.95 * g.PlotHeight, kTol);
    EXPECT_EQ(t.colour, kLightBlue);
  }
  const auto& title = texts.back();
  EXPECT_EQ(title.text, "Impedance (Ohms)");
  EXPECT_NEAR(title.x1, g.PlotLeft + (g.PlotWidth - 1600) / 2, kTol);
  EXPECT_NEAR(title.y1, g.PlotTop + g.PlotHeight / 3, kTol);
  EXPECT_EQ(title.colour, kBlack);  // the text colour is given back after the frequency labels
  EXPECT_EQ(surface.ForeColor(), kBlack);
}

TEST_F(PlotDrawing, LogGridOfThreeDecadesFromOneTenth) {
  Draw(LogData({1, 2, 3}, {0.05, 1, 200}, 3, 0.1f));
  std::multiset<double> expected;
  for (int d = 1; d <= 3; ++d) {
    for (int k = 1; k <= 10; ++k) expected.insert((d - 1 + std::log10(k)) / 3.0);
  }
  std::vector<RecordingSurface::Op> grid;
  for (const auto& line : surface.Of(Kind::kLine)) {
    if (line.y1 == line.y2) grid.push_back(line);
  }
  ASSERT_EQ(grid.size(), 30u);
  auto wanted = expected.begin();
  std::multiset<double> drawn;
  for (const auto& line : grid) {
    EXPECT_EQ(line.colour, kGrey);
    drawn.insert((g.PlotTop + g.PlotHeight - line.y1) / g.PlotHeight);
  }
  for (double f : drawn) EXPECT_NEAR(f, *wanted++, 1e-5);

  const auto texts = surface.Of(Kind::kText);
  const char* labels[] = {"0.10", "1.00", "10.00", "100.00"};
  for (int k = 0; k <= 3; ++k) {
    EXPECT_EQ(texts[k].text, labels[k]);
    EXPECT_NEAR(texts[k].x1, g.PlotLeft + 0.01 * g.PlotWidth, kTol);
    EXPECT_NEAR(texts[k].y1, Y(k / 3.0) - 120, kTol);  // centred on its decade line
  }

  // 0.05 lies below the plot area, 200 above it; neither is clipped.
  const auto markers = surface.Of(Kind::kCircle);
  ASSERT_EQ(markers.size(), 3u);
  EXPECT_NEAR(markers[0].y1, Y(std::log10(0.5) / 3), 0.5);
  EXPECT_GT(markers[0].y1, g.PlotTop + g.PlotHeight);
  EXPECT_NEAR(markers[1].y1, Y(1.0 / 3), 0.5);
  EXPECT_NEAR(markers[2].y1, Y(std::log10(2000.0) / 3), 0.5);
  EXPECT_LT(markers[2].y1, g.PlotTop);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PlotDrawing, LogCurveStopsAtAValueThatIsNotPositive) {
  for (double bad : {0.0, -3.0}) {
    surface.ops.clear();
    messages.shown.clear();
    Draw(LogData({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, bad, 6}, 2, 1));
    EXPECT_EQ(surface.Of(Kind::kCircle).size(), 4u) << bad;
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Log Plots cannot plot negative values! Use the Linear Plot!");
    EXPECT_EQ(messages.shown[0].title, "Error in Logarithmic Plotting");
    for (const auto& line : surface.Of(Kind::kLine)) EXPECT_EQ(line.colour, kGrey) << "no ticks";
    // Three decade labels and the title: no frequency labels.
    EXPECT_EQ(surface.Texts(), (std::vector<std::string>{"1.00", "10.00", "100.00", "Impedance (Ohms)"}));
  }
}

TEST_F(PlotDrawing, LogScaleErrorsAreTrappedAndTheTitleStillDrawn) {
  // No decades: the labels divide 0 by 0 and so does the curve; each says so.
  Draw(LogData({1, 2}, {1, 2}, 0, 1));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].text, "Error Code 6");
  EXPECT_EQ(messages.shown[0].title, "Error in Drawing Log Horiz Grid");
  EXPECT_EQ(messages.shown[1].text, "Error Code 6");
  EXPECT_EQ(messages.shown[1].title, "Error in Drawing Log Curve");
  EXPECT_TRUE(surface.Of(Kind::kCircle).empty());
  EXPECT_EQ(surface.Texts(), std::vector<std::string>{"Impedance (Ohms)"});
}

TEST_F(PlotDrawing, UnplottablePointsAreLeftOutSilently) {
  const std::vector<double> f = {1, 2, 3, 4, 5};
  const std::vector<double> v = {1, kInf, kNaN, 3, 1e39};
  for (bool log : {false, true}) {
    surface.ops.clear();
    PlotData data = log ? LogData(f, v, 1, 1) : Data(f, v);
    Draw(data);
    const auto markers = surface.Of(Kind::kCircle);
    ASSERT_EQ(markers.size(), 2u) << log;
    EXPECT_NEAR(markers[0].x1, X(0), kTol);
    EXPECT_NEAR(markers[1].x1, X(0.75), kTol);
    if (!log) {
      EXPECT_NEAR(markers[0].y1, Y(0), kTol);
      EXPECT_NEAR(markers[1].y1, Y(1), kTol);
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tavelin
