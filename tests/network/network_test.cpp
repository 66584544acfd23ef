#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <complex>
#include <fstream>

#include "support/scan_rig.hpp"

namespace tavelin {
namespace {

TEST(NetworkText, FieldsLandAtTheirRecordOffsets) {
  const std::vector<std::byte> bytes = EncodeElementFile(ParseNetworkText(
      "# every field once\nStubOpen 2.5 rload=50 xload=-25 z0=75 z0x=-0.5 loss=1.5 vf=0.66 ropen=1e9 copen=3.3 "
      "rshort=0.1 lshort=0.02 extra=-7\n"));
  ASSERT_EQ(bytes.size(), 124u);
  const std::pair<std::size_t, double> fields[] = {
      {0, 50},   {8, -25},  {16, 0},  {24, 0},  {32, 0},   {40, 75},   {48, -0.5}, {56, 0},
      {64, 1.5}, {72, 0.66}, {80, 2.5}, {88, 1e9}, {96, 3.3}, {104, 0.1}, {112, 0.02}};
  const auto at = [&](std::size_t offset, auto v) { return std::memcpy(&v, &bytes[offset], sizeof v), v; };
  for (const auto& [offset, value] : fields) EXPECT_EQ(at(offset, 0.0), value) << offset;
  EXPECT_EQ(std::pair(at(120, std::int16_t{}), at(122, std::int16_t{})), std::pair(std::int16_t{6}, std::int16_t{-7}));
}

using testing::ShownMessage;
using Messages = std::vector<ShownMessage>;
using cplx = std::complex<double>;
const ShownMessage kFirstScanWarning{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const ShownMessage kSetupError{"Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup"};

struct ScanTest : ::testing::Test, testing::ScanRig {};

using Out = testing::OutputBytes;
cplx V(const Out& r) { return {r.node[0], r.node[1]}; }
cplx Z(const Out& r) { return {r.node[4], r.node[5]}; }

TEST_F(ScanTest, RecordsAreGroupedByStepAndCarryEachElementsValueTypeAndExtraWord) {
  Open("SeriesR 10 rload=50 extra=11\nShuntR 200 extra=12\nSeriesL 0.5 extra=13\nShuntL 2.2 extra=-1\n"
       "SeriesC 470 extra=32767\nShuntC 47 extra=-14\nStubOpen 0.75 z0=75 vf=0.8 ropen=1e9 copen=0.5 extra=-32768\n"
       "StubShorted 0.5 z0=50 vf=0.66 extra=258\nSerTransLine 3 z0=50 loss=1.2 vf=0.66 extra=7\n"
       "9 1.25 extra=-3\n-32768 0 extra=5\n", 3);
  EXPECT_EQ(Scan("1", "30"), ScanOutcome::kReopened);
  EXPECT_EQ(messages.shown,
            (Messages{kFirstScanWarning, {"All records processed over the range of 3 frequencies.", "Status"}}));
  EXPECT_EQ(testing::ReadBytes(Output()).size(), 3u * 11u * 68u);
  EXPECT_EQ(state.OutputRecordCount, 33);
  const auto out = Records();
  const std::tuple<std::int16_t, std::int16_t, double> elements[] = {
      {0, 11, 10},  {1, 12, 200},       {2, 13, 0.5}, {3, -1, 2.2}, {4, 32767, 470}, {5, -14, 47},
      {6, -32768, 0.75}, {7, 258, 0.5}, {8, 7, 3},    {9, -3, 1.25}, {-32768, 5, 0}};
  for (std::size_t r = 0; r < 33; ++r) {
    EXPECT_EQ(out[r].frequency, 1.0 + static_cast<double>(r / 11) * 0.2929292917251587) << r;
    EXPECT_EQ(std::tuple(out[r].type, out[r].extra, out[r].value), elements[r % 11]) << r;
  }
  // Ready for plotting: the counter back at 1, 1 V across the load.
  EXPECT_EQ(std::pair(state.ElementIndex, cplx(state.Node.Values().VoltageRe, state.Node.Values().VoltageIm)), std::pair(std::int16_t{1}, cplx(1)));
}

// Single-precision steps added to a double, none below one; bounds that are no rising pair are refused.
TEST_F(ScanTest, FrequenciesStepCountsAndRefusedBounds) {
  const std::tuple<const char*, const char*, std::int16_t, std::size_t, double, double> scans[] = {
      {"1", "30", 100, 100, 1.0, 29.99999988079071}, {"14.2", "15", 1, 1, 14.199999809265137, 14.199999809265137},
      {"1", "100", 200, 200, 1.0, 200.0},           {"1", "100", 50, 50, 1.0, 50.0},
      {"  7.5 ", "9", 1, 1, 7.5, 7.5},               {"1", "30", 0, 0, 0, 0},
      {"1", "30", -5, 0, 0, 0},                      {"1", "30", -32768, 0, 0, 0}};
  for (const auto& [lower, upper, steps, count, first, last] : scans) {
    Open("SeriesR 1 rload=50\n", steps);
    EXPECT_EQ(Scan(lower, upper), ScanOutcome::kReopened);
    EXPECT_EQ(messages.shown.back().text,
              "All records processed over the range of " + std::to_string(steps) + " frequencies.");
    const auto out = Records();
    ASSERT_EQ(out.size(), count) << steps;
    EXPECT_EQ(state.OutputRecordCount, static_cast<std::int16_t>(count));
    EXPECT_EQ(std::pair(count ? out.front().frequency : 0, count ? out.back().frequency : 0), std::pair(first, last));
  }
  const char* const bad[][2] = {{"-1", "30"}, {"30", "1"}, {"", "30"}, {"1", ""}, {"abc", "30"}, {"1", "3O"},
                                {"1,5", "30"}, {"1", "1.00000001"}, {"1e-46", "1"}};
  for (const auto& [lower, upper] : bad) {
    Scan("1", "30");
    EXPECT_EQ(Scan(lower, upper), ScanOutcome::kReopened) << lower << ' ' << upper;
    EXPECT_EQ(std::tuple(messages.shown, testing::ReadBytes(Output()).size(), state.OutputRecordCount),
              std::tuple(Messages{kSetupError}, 0u, std::int16_t{0})) << lower << ' ' << upper;
  }
}

// Loads in later records are ignored, and an unlisted type passes the node through.
TEST_F(ScanTest, OnlyTheFirstRecordSuppliesTheLoadAndAnUnlistedTypeChangesNothing) {
  Open("SeriesR 25 rload=50\nSeriesR 25 rload=999 xload=-999\n9 123 rload=1e6\nShuntR 75\n", 3);
  Scan();
  const auto out = Records();
  ASSERT_EQ(out.size(), 12u);
  for (std::size_t step = 0; step < 12; step += 4) {
    EXPECT_EQ(std::pair(V(out[step + 1]), Z(out[step + 1])), std::pair(cplx(2), cplx(100)));  // two series 25s on 50
    EXPECT_EQ(out[step + 2].type, 9);
    EXPECT_EQ(out[step + 2].node, out[step + 1].node);
    EXPECT_DOUBLE_EQ(Z(out[step + 3]).real(), 100.0 * 75.0 / 175.0);
  }
}

// A stopped scan leaves the node mid-step; as |load|^2 overflows, CQuotient would add the stale current on.
TEST_F(ScanTest, AScanAfterAStoppedOneBeginsAsEveryStepDoes) {
  Open("ShuntR 50 rload=1e200\nShuntC 0\n", 1);
  for (int scan = 1; scan <= 2; ++scan) { Scan(); EXPECT_EQ(Records().at(0).node[2], 0.02) << scan; }
}

TEST_F(ScanTest, TheLargestFileIsCountedAndOneRecordMoreIsRefused) {
  Open("SeriesR 1 rload=50\n", 32767);
  EXPECT_EQ(Scan(), ScanOutcome::kReopened);
  EXPECT_EQ(state.OutputRecordCount, 32767);
  Open("SeriesR 1 rload=50\nShuntR 1e6\n", 16384);
  EXPECT_EQ(Scan(), ScanOutcome::kReopenFailed);
  EXPECT_EQ(messages.shown.back(), (ShownMessage{"File open error, 6", "Fatal Error in Opening Network Data File"}));
  EXPECT_EQ(testing::ReadBytes(Output()).size(), 32768u * 68u);
  EXPECT_EQ(state.OutputRecordCount, 32767);  // kept from the scan before
  EXPECT_TRUE(files.IsOpen(state.OutputReadFile));
}

#ifdef _WIN32
// Windows refuses to delete a read-only file.
bool Protect(const std::string& file, bool on) {
  std::error_code error;
  std::filesystem::permissions(file, on ? std::filesystem::perms::owner_read : std::filesystem::perms::owner_all, error);
  return !error;
}
#else
// Made impossible to delete, even for root, by the immutable attribute where the file system has it.
bool Protect(const std::string& file, bool on) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  int flags = 0;
  const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  return ::close(fd), done;
}
#endif

TEST_F(ScanTest, AnOutputFileThatMayNotBeDeletedEndsTheProgram) {
  Open("SeriesR 10 rload=50\n");
  Scan();
  files.Close(state.OutputReadFile);
  if (!Protect(Output(), true)) GTEST_SKIP() << "no immutable attribute here";
  const ScanOutcome outcome = Scan();
  Protect(Output(), false);
  EXPECT_EQ(outcome, ScanOutcome::kEnded);
  EXPECT_EQ(messages.shown, (Messages{{"Permission to delete output file denied - Aborting!", "Program Shutting Down"}}));
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(testing::ReadBytes(Output()).size(), 6800u);  // the old results stay
}

// Records are read anew at every step and after every box: a change made meanwhile is seen, a cut stops with 62.
TEST_F(ScanTest, AnElementFileChangedDuringTheScanIsSeenAtTheNextRead) {
  // Element with a box at every step; box that changes the file; element set to 77 or minus the new length;
  // bytes written; where the stop message says it stopped, or the output record with the 77.
  const std::tuple<int, int, int, std::size_t, const char*, std::size_t> cases[] = {
      {2, 4, -372, 884, ") at element 4 of 5,", 0},  // cut in step 3, after element 2
      {5, 3, -258, 816, ") at element 3 of 5,", 0},  // cut between steps 2 and 3, inside record 3
      {5, 2, 1, 1700, nullptr, 6},                   // changed between steps 1 and 2
      {2, 2, 4, 1700, nullptr, 4},                   // changed in step 1, after element 2
  };
  for (const auto& [lossyAt, atMessage, change, size, stop, seenIn] : cases) {
    std::string text = "SeriesR 1 rload=50\n";
    const char* const kOthers[] = {"ShuntC 47", "SeriesL 0.33", "ShuntR 5000", "SeriesC 1000"};
    for (int n = 2, other = 0; n <= 5; ++n) {
      text += n == lossyAt ? "SerTransLine 900 z0=50 loss=9e4 vf=0.7\n" : std::string(kOthers[other++]) + "\n";
    }
    std::filesystem::remove(Output());
    Open(text, 5);
    messages.onShow = [&, atMessage = atMessage, change = change](const ShownMessage&) {
      if (static_cast<int>(messages.shown.size()) != atMessage) return;
      const std::string net = folder.File("net.dat");
      const double value = 77.0;
      if (change < 0) return std::filesystem::resize_file(net, -change);  // throws when it fails
      std::fstream file(net, std::ios::in | std::ios::out | std::ios::binary);
      EXPECT_TRUE(file.seekp(change * 124 - 44).write(reinterpret_cast<const char*>(&value), 8).flush());
    };
    Scan("1", "30");
    messages.onShow = nullptr;
    const auto out = Records();
    ASSERT_EQ(out.size() * 68, size) << lossyAt;
    EXPECT_EQ(stop == nullptr ? out[seenIn - 1].value : 77.0, 77.0) << seenIn;
    const std::string& last = messages.shown.back().text;
    EXPECT_TRUE(stop == nullptr || (last.rfind("Run-time error 62 (", 0) == 0 && last.find(stop) != std::string::npos)) << last;
  }
}

}  // namespace
}  // namespace tavelin
