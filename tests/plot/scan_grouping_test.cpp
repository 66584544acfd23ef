// Compute and Plot after real scans: each point is the input end of the network that was scanned, at
// a whole step, whatever network was opened since; a file that could not be counted is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "plot/plot_data.hpp"
#include "support/scan_rig.hpp"

namespace tavelin {
namespace {

using Boxes = std::vector<testing::ShownMessage>;

// Series resistors on a 50-ohm load: 60, 80 and 110 ohms after the first, second and third.
constexpr const char* kThree = "SeriesR 10 rload=50\nSeriesR 20\nSeriesR 30\n";
constexpr const char* kTwo = "SeriesR 10 rload=50\nSeriesR 20\n";

struct ScanGroupingTest : ::testing::Test, testing::ScanRig {
  void Scan() { lastScan = (ScanRig::Scan("1", "2"), messages.shown); }
  Boxes lastScan;
};

TEST_F(ScanGroupingTest, PointsAreWholeStepsOfTheScannedNetwork) {
  // Name; what is opened and scanned before Compute and Plot; the last boxes of the last scan; the
  // impedance magnitudes plotted, none when Compute and Plot refuses.
  const std::tuple<const char*, std::function<void(ScanGroupingTest&)>, Boxes, std::vector<double>> rows[] = {
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
  for (const auto& [name, run, scanBoxes, points] : rows) {
    SCOPED_TRACE(name);
    files.CloseAll();
    state = NetworkState{};
    std::filesystem::remove(Output());
    run(*this);
    EXPECT_EQ(Boxes(lastScan.end() - static_cast<std::ptrdiff_t>(scanBoxes.size()), lastScan.end()), scanBoxes);
    messages.shown.clear();
    PlotData data;
    data.PlotValues = {-1};
    EXPECT_EQ(ComputePlot(services, state, {2, false, "50", "5", "0.1"}, data), !points.empty());
    EXPECT_EQ(data.PlotValues, points.empty() ? std::vector<double>{-1} : points);
    const Boxes refused{{"No Elements in Network or not enough records - Check Input Data!", "Error"}};
    EXPECT_EQ(messages.shown, points.empty() ? refused : Boxes{});
  }
}

}  // namespace
}  // namespace tavelin
