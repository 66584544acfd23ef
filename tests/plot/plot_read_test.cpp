// Compute and Plot reads the last record of each step, several steps in one read where the steps are
// short: the points are those records across the edges of the reads, and a file cut short after it
// was counted stops the plot with 62 instead of plotting zeros.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "plot/plot_data.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

TEST(PlotRead, TheLastRecordOfEachStepAcrossReadsAndAFileCutShort) {
  const std::tuple<int, std::int16_t, off_t, int> cases[] = {
      // records, elements, the file's length after it was counted (-1: as written), points
      {2500, 1, -1, 2500},  {3100, 3, -1, 1033},  {2113, 32, -1, 66},     {2000, 33, -1, 61},
      {2500, 1, 102010, 0}, {3100, 3, 68000, 0},  {2113, 32, 143000, 0},  {2000, 40, 3400, 0},
  };
  for (const auto& [count, elements, cutTo, points] : cases) {
    testing::TempDir dir;
    RecordFiles files;
    testing::RecordingMessages messages;
    testing::RecordingEnd end;
    Services services{messages, end, files, NumberLocale{}, dir.Path().string()};
    std::vector<std::byte> bytes(static_cast<std::size_t>(count) * 68);
    for (int r = 1; r <= count; ++r) {  // record r carries r as its frequency and its voltage
      EncodeOutputRecord({1.0 * r, {1.0 * r}}, std::span<std::byte, 68>(&bytes[(r - 1) * 68u], 68));
    }
    testing::WriteBytes(dir.File("out.dat"), bytes);
    NetworkState state;
    files.Open(state.OutputReadFile = 1, dir.File("out.dat"), kOutputRecordLength);
    state.OutputRecordCount = static_cast<std::int16_t>(files.Length(1) / 68);
    state.ElementCount = elements;
    ASSERT_EQ(cutTo < 0 ? 0 : ::truncate(dir.File("out.dat").c_str(), cutTo), 0);
    PlotData data;
    ASSERT_EQ(ComputePlot(services, state, {0, false, "50", "5", "0.1"}, data), points > 0) << count;
    EXPECT_TRUE(points > 0 || messages.shown.at(0).text.rfind("Run-time error 62: ", 0) == 0);
    if (points == 0) continue;
    ASSERT_EQ(data.PointCount, points);
    for (int i = 1; i <= points; ++i) {
      const double record = std::min(i * elements, count);
      ASSERT_EQ(std::tie(data.PlotFrequencies[i - 1], data.PlotValues[i - 1]), std::tie(record, record)) << i;
    }
  }
}

}  // namespace
}  // namespace tavelin
