#include "plot/plot_data.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using Messages = std::vector<testing::ShownMessage>;

// A scan output file of the given records, open for reading as after a scan.
class ComputePlotTest : public ::testing::Test {
 protected:
  void Write(const std::vector<OutputRecord>& records, std::int16_t elementCount = 1) {
    std::vector<std::byte> bytes(records.size() * 68);
    for (std::size_t i = 0; i < records.size(); ++i) {
      EncodeOutputRecord(records[i], std::span<std::byte, 68>(&bytes[i * 68], 68));
    }
    testing::WriteBytes(dir.File("out.dat"), bytes);
    files.CloseAll();
    files.Open(state.OutputReadFile = 1, dir.File("out.dat"), kOutputRecordLength);
    state.OutputRecordCount = static_cast<std::int16_t>(records.size());
    state.ElementCount = elementCount;
  }
  // Record r carries r as its frequency and as its voltage.
  void WriteNumbered(int count, std::int16_t elementCount) {
    std::vector<OutputRecord> records;
    for (int r = 1; r <= count; ++r) records.push_back({1.0 * r, {1.0 * r}});
    Write(records, elementCount);
  }
  bool Compute(const PlotRequest& request = {0, false, "50", "5", "0.1"}) {
    messages.shown.clear();
    return ComputePlot(services, state, request, data);
  }

  testing::TempDir dir;
  RecordFiles files;
  testing::RecordingMessages messages;
  testing::RecordingEnd end;
  Services services{messages, end, files, NumberLocale{}, dir.Path().string()};
  NetworkState state;
  PlotData data;
};

TEST_F(ComputePlotTest, EachPointIsTheLastElementOfItsFrequency) {
  const std::tuple<int, std::int16_t, std::vector<double>> cases[] = {
      {250, 100, {100, 200}},            // 2.5 points round to 2; the last 50 records are ignored
      {260, 100, {100, 200, 260}},       // the third point falls back on the file's last record
      {32767, 16384, {16384, 32767}},    // the record counter stops at the largest file, not overflowing
  };
  for (const auto& [records, elements, expected] : cases) {
    WriteNumbered(records, elements);
    ASSERT_TRUE(Compute()) << records;
    const auto points = static_cast<std::int16_t>(expected.size());
    EXPECT_EQ(std::tuple(data.PointCount, data.PlotValues, data.PlotFrequencies, state.ElementIndex),
              std::tuple(points, expected, expected, std::min(points * elements + 1, 32767)));
  }
}

// Phases are in degrees of the program's pi, 3.14159; the SWR is read against the normaliser.
TEST_F(ComputePlotTest, EachVariableOfTheInputEnd) {
  const double degrees = 180 / 3.14159;
  const ElementOutput node{3, 4, -1, 1, 50, -50};
  const std::tuple<ElementOutput, std::int16_t, const char*, double, double, const char*> cases[] = {
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

// A lossless reactive load has no finite SWR: stored as infinity, named and left out.
TEST_F(ComputePlotTest, PointsThatCannotBePlottedAreNamedInOneMessage) {
  Write({{1, {0, 0, 0, 0, 50, 0}}, {2, {0, 0, 0, 0, 0, 50}}, {3, {0, 0, 0, 0, 75, 0}}});
  EXPECT_TRUE(Compute({6, false, "50", "5", "0.1"}));
  EXPECT_EQ(data.PlotValues[1], std::numeric_limits<double>::infinity());
  EXPECT_EQ(messages.shown, (Messages{{"Left out of the plot, the value being infinite, undefined or too large "
                                       "to plot: the points at 2 MHz.",
                                       "Points Not Plotted"}}));
}

// (Refusals through the window are in the app tests.)
TEST_F(ComputePlotTest, ScaleSettingsAreReadWhicheverScaleInTheUsersLocale) {
  WriteNumbered(3, 1);
  services.locale = {",", ".", "-"};
  EXPECT_TRUE(Compute({0, true, "50", "2,5", "0,5"}));
  EXPECT_EQ(std::tuple(data.LogPlot, data.LogDecades, data.LogMinValue), std::tuple(true, std::int16_t{2}, 0.5f));
  EXPECT_TRUE(Compute({0, false, "50", "-3,5", "0"}));
  EXPECT_EQ(std::tuple(data.LogPlot, data.LogDecades, data.LogMinValue), std::tuple(false, std::int16_t{-4}, 0.0f));
}

}  // namespace
}  // namespace tavelin
