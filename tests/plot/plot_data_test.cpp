#include "plot/plot_data.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <filesystem>
#include <limits>

#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingEnd;
using testing::RecordingMessages;
using testing::ShownMessage;
using testing::TempDir;

constexpr const char* kInvalid = "Invalid Input Data";

// A scan output file of the given records, open for reading as after a scan.
class ComputePlotTest : public ::testing::Test {
 protected:
  void WriteOutput(const std::vector<OutputRecord>& records, std::int16_t elementCount) {
    files.CloseAll();
    std::filesystem::remove(dir.File("TavelinOutput.dat"));
    state.OutputReadFile = files.FreeFile();
    files.Open(state.OutputReadFile, dir.File("TavelinOutput.dat"), kOutputRecordLength);
    for (const OutputRecord& r : records) {
      std::array<std::byte, kOutputRecordLength> bytes{};
      EncodeOutputRecord(r, bytes);
      files.WriteNext(state.OutputReadFile, bytes);
    }
    files.Flush(state.OutputReadFile);
    state.OutputRecordCount = static_cast<std::int16_t>(records.size());
    state.ElementCount = elementCount;
  }

  // Record r carries r as its frequency and as its voltage magnitude.
  void WriteNumbered(int count, std::int16_t elementCount) {
    std::vector<OutputRecord> records(static_cast<std::size_t>(count));
    for (int r = 1; r <= count; ++r) {
      records[static_cast<std::size_t>(r - 1)].Frequency = r;
      records[static_cast<std::size_t>(r - 1)].Node.VoltageRe = r;
    }
    WriteOutput(records, elementCount);
  }

  // One point at 10 MHz with the given input-end node.
  void WriteNode(const ElementOutput& node) {
    OutputRecord r;
    r.Frequency = 10;
    r.Node = node;
    WriteOutput({r}, 1);
  }

  bool Compute() { return ComputePlot(services, state, request, data); }

  TempDir dir;
  RecordFiles files;
  RecordingMessages messages;
  RecordingEnd end;
  Services services{messages, end, files, NumberLocale{}, dir.Path().string()};
  NetworkState state;
  PlotRequest request{0, false, "50", "5", "0.1"};
  PlotData data;
};

TEST_F(ComputePlotTest, KeepsTheLastElementOfEachFrequency) {
  struct Case {
    int records;
    std::int16_t elements;
    std::vector<double> expected;  // record numbers used
  };
  const Case cases[] = {
      {12, 4, {4, 8, 12}},
      {100, 100, {100}},
      {250, 100, {100, 200}},            // 2.5 points round to 2; the last 50 records are ignored
      {260, 100, {100, 200, 260}},       // the third point falls back on the file's last record
      {350, 100, {100, 200, 300, 350}},  // 3.5 rounds to 4
  };
  for (const Case& c : cases) {
    WriteNumbered(c.records, c.elements);
    ASSERT_TRUE(Compute()) << c.records;
    EXPECT_EQ(data.PointCount, static_cast<std::int16_t>(c.expected.size())) << c.records;
    EXPECT_EQ(data.PlotValues, c.expected) << c.records;
    EXPECT_EQ(data.PlotFrequencies, c.expected) << c.records;
    EXPECT_EQ(data.PlotTitle, "Voltage (Volts)");
    EXPECT_EQ(state.ElementIndex, static_cast<int>(c.expected.size()) * c.elements + 1) << c.records;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComputePlotTest, AFileOf32767RecordsDoesNotOverflowTheRecordCounter) {
  WriteNumbered(32767, 2);  // 16383.5 points round to 16384
  ASSERT_TRUE(Compute());
  ASSERT_EQ(data.PointCount, 16384);
  EXPECT_EQ(data.PlotValues[16382], 32766);
  EXPECT_EQ(data.PlotValues[16383], 32767);
  EXPECT_EQ(state.ElementIndex, 32767);
}

TEST_F(ComputePlotTest, RefusesWithoutElementsOrRecords) {
  const struct {
    std::int16_t elements;
    int records;
  } cases[] = {{0, 5}, {3, 2}, {2, 0}};
  for (const auto& c : cases) {
    WriteNumbered(c.records, c.elements);
    data = PlotData{};
    data.PointCount = 7;
    data.PlotTitle = "old";
    state.ElementIndex = 42;
    messages.shown.clear();
    EXPECT_FALSE(Compute());
    EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{
                                  {"No Elements in Network or not enough records - Check Input Data!", "Error"}}));
    EXPECT_EQ(data.PointCount, 7);
    EXPECT_EQ(data.PlotTitle, "old");
    EXPECT_EQ(state.ElementIndex, 42);
  }
}

TEST_F(ComputePlotTest, MagnitudesAndPhasesInDegreesOfTheProgramsPi) {
  const double degrees = 180 / 3.14159;
  ElementOutput node;
  node.VoltageRe = 3;
  node.VoltageIm = 4;
  node.CurrentRe = -1;
  node.CurrentIm = 1;
  node.ImpedanceRe = 50;
  node.ImpedanceIm = -50;
  const struct {
    std::int16_t index;
    double value;
    const char* title;
  } cases[] = {
      {0, 5, "Voltage (Volts)"},
      {1, std::sqrt(2.0), "Current (Amperes)"},
      {2, 50 * std::sqrt(2.0), "Impedance (Ohms)"},
      {3, std::atan(4.0 / 3.0) * degrees, "Voltage Phase (Deg)"},
      // Second quadrant: the arctangent plus the program's pi, a hair short of 135 degrees.
      {4, (3.14159 - std::atan(1.0)) * degrees, "Current Phase (Deg)"},
      {5, -std::atan(1.0) * degrees, "Impedance Phase Angle (Deg)"},
  };
  WriteNode(node);
  for (const auto& c : cases) {
    request.PlotVariableIndex = c.index;
    ASSERT_TRUE(Compute());
    EXPECT_NEAR(data.PlotValues[0], c.value, 1e-12 * std::fabs(c.value)) << c.title;
    EXPECT_EQ(data.PlotTitle, c.title);
  }
  EXPECT_LT(data.PlotValues[0], -45.0);  // not -45 exactly: 180/3.14159 per radian
}

TEST_F(ComputePlotTest, OneRadianIsStoredIn314159Degrees) {
  ElementOutput node;
  node.VoltageRe = 1;
  node.VoltageIm = std::tan(1.0);
  ASSERT_EQ(std::atan(node.VoltageIm), 1.0);
  WriteNode(node);
  request.PlotVariableIndex = 3;
  ASSERT_TRUE(Compute());
  EXPECT_EQ(data.PlotValues[0], 57.295827908797776);
  EXPECT_NE(data.PlotValues[0], 180 / M_PI);
}

TEST_F(ComputePlotTest, StandingWaveRatioAgainstTheNormaliser) {
  const auto independent = [](std::complex<double> z, double r0) {
    const double g = std::abs((z - r0) / (z + r0));
    return (1 + g) / (1 - g);
  };
  const struct {
    double re, im;
    const char* normaliser;
    double expected;
  } cases[] = {
      {50, 0, "50", 1},      // matched: exactly 1
      {25, 0, "50", 2},      // |reflection| 1/3
      {-25, 0, "50", -2},    // negative resistance: |reflection| 3, stored as it comes
      {100, 50, "50", independent({100, 50}, 50)},
      {30, -40, "75", independent({30, -40}, 75)},
      {300, 0, " 300 ", 1},  // blanks around the number are fine
  };
  request.PlotVariableIndex = 6;
  for (const auto& c : cases) {
    ElementOutput node;
    node.ImpedanceRe = c.re;
    node.ImpedanceIm = c.im;
    WriteNode(node);
    request.normalizerText = c.normaliser;
    ASSERT_TRUE(Compute());
    EXPECT_NEAR(data.PlotValues[0], c.expected, 1e-12) << c.re << " " << c.im;
    EXPECT_EQ(data.PlotTitle, "SWR");
  }
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(data.PlotValues[0], 1.0);
}

TEST_F(ComputePlotTest, InfiniteStandingWaveRatioIsStoredAndNamedOnce) {
  std::vector<OutputRecord> records(3);
  const double z[3][2] = {{50, 0}, {0, 50}, {75, 0}};  // a lossless reactive load at 2 MHz
  for (int i = 0; i < 3; ++i) {
    records[i].Frequency = i + 1;
    records[i].Node.ImpedanceRe = z[i][0];
    records[i].Node.ImpedanceIm = z[i][1];
  }
  WriteOutput(records, 1);
  request.PlotVariableIndex = 6;
  EXPECT_TRUE(Compute());
  EXPECT_EQ(data.PlotValues[1], std::numeric_limits<double>::infinity());
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{{"Left out of the plot, the value being infinite, undefined or too large "
                                        "to plot: the points at 2 MHz.",
                                        "Points Not Plotted"}}));

  // Nothing left to draw: no window.
  messages.shown.clear();
  WriteOutput({records[1], records[1]}, 1);
  EXPECT_FALSE(Compute());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].title, "Points Not Plotted");
}

TEST_F(ComputePlotTest, LogarithmicScaleSettings) {
  const struct {
    bool log;
    const char* decades;
    const char* minValue;
    bool shown;
    std::int16_t decadesRead;
    float minRead;
  } cases[] = {
      {true, "5", "0", false, 5, 0},
      {true, "0.4", "0.1", false, 0, 0.1f},
      {true, "2.5", "0.1", true, 2, 0.1f},  // halves to even
      {false, "5", "0", true, 5, 0},  // the linear scale takes any numbers
  };
  WriteNumbered(3, 1);
  for (const auto& c : cases) {
    messages.shown.clear();
    request.logarithmic = c.log;
    request.decadesText = c.decades;
    request.minValueText = c.minValue;
    EXPECT_EQ(Compute(), c.shown) << c.decades << " " << c.minValue;
    EXPECT_EQ(data.LogPlot, c.log);
    EXPECT_EQ(data.LogDecades, c.decadesRead);
    EXPECT_EQ(data.LogMinValue, c.minRead);
    EXPECT_EQ(data.PointCount, 3);  // computed either way
    if (c.shown) {
      EXPECT_TRUE(messages.shown.empty());
    } else {
      EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{
                                    {"Invalid # of Decades or Invalid Minimum Value for Log Plot", kInvalid}}));
    }
  }
}

TEST_F(ComputePlotTest, TextThatIsNoUsableNumberNamesItsBox) {
  const struct {
    std::int16_t index;
    const char *normaliser, *decades, *minValue, *message;
  } cases[] = {
      {6, "", "5", "0.1", "The Normalizer for SWR box must hold a number."},
      {6, "fifty", "5", "0.1", "The Normalizer for SWR box must hold a number."},
      {6, "1e400", "5", "0.1", "The Normalizer for SWR box holds a number too large to use."},
      {0, "50", "", "0.1", "The Decades for Log Plot box must hold a number."},
      {0, "50", "40000", "0.1", "The Decades for Log Plot box must hold a number from -32768 to 32767."},
      {0, "50", "1e400", "0.1", "The Decades for Log Plot box holds a number too large to use."},
      {0, "50", "5", "0,1", "The Min. Value for Log Plot box must hold a number."},
      {0, "50", "5", "1e39", "The Min. Value for Log Plot box holds a number too large to use."},
  };
  WriteNumbered(3, 1);
  for (const auto& c : cases) {
    data = PlotData{};
    data.PlotTitle = "old";
    state.ElementIndex = 42;
    messages.shown.clear();
    request = PlotRequest{c.index, false, c.normaliser, c.decades, c.minValue};
    EXPECT_FALSE(Compute()) << c.message;
    EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{c.message, kInvalid}}));
    EXPECT_EQ(data.PlotTitle, "old");
    EXPECT_EQ(state.ElementIndex, 42);
  }
  // The normaliser is read for the SWR only.
  messages.shown.clear();
  request = PlotRequest{2, false, "", "5", "0.1"};
  EXPECT_TRUE(Compute());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComputePlotTest, TextsAreReadInTheUsersLocale) {
  services.locale = NumberLocale{",", ".", "-"};
  ElementOutput node;
  node.ImpedanceRe = 25;
  WriteNode(node);
  request = PlotRequest{6, true, "12,5", "2,5", "0,5"};
  ASSERT_TRUE(Compute());
  EXPECT_DOUBLE_EQ(data.PlotValues[0], 2.0);  // 25 against 12.5
  EXPECT_EQ(data.LogDecades, 2);
  EXPECT_EQ(data.LogMinValue, 0.5f);
}

TEST_F(ComputePlotTest, AFileThatCannotBeReadIsReportedNotThrown) {
  state.ElementCount = 1;
  state.OutputRecordCount = 3;
  state.OutputReadFile = 9;  // never opened: the count is of a file no longer there
  EXPECT_FALSE(Compute());
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{
                                {"No Elements in Network or not enough records - Check Input Data!", "Error"}}));
}

}  // namespace
}  // namespace tavelin
