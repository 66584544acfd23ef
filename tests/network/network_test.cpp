#include <gtest/gtest.h>

#include <complex>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <tuple>
#include <unistd.h>

#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/network_text.hpp"
#include "network/output_file.hpp"
#include "support/output_bytes.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

TEST(NetworkText, FieldsLandAtTheirRecordOffsets) {
  const std::vector<std::byte> bytes = EncodeElementFile(ParseNetworkText(
      "# every field once\n"
      "StubOpen 2.5 rload=50 xload=-25 z0=75 z0x=-0.5 loss=1.5 vf=0.66 ropen=1e9 copen=3.3 "
      "rshort=0.1 lshort=0.02 extra=-7\n"));
  ASSERT_EQ(bytes.size(), 124u);
  const std::pair<std::size_t, double> fields[] = {
      {0, 50},   {8, -25},  {16, 0},  {24, 0},  {32, 0},   {40, 75},   {48, -0.5}, {56, 0},
      {64, 1.5}, {72, 0.66}, {80, 2.5}, {88, 1e9}, {96, 3.3}, {104, 0.1}, {112, 0.02}};
  const auto at = [&](std::size_t offset, auto v) { return std::memcpy(&v, &bytes[offset], sizeof v), v; };
  for (const auto& [offset, value] : fields) EXPECT_EQ(at(offset, 0.0), value) << offset;
  EXPECT_EQ(at(120, std::int16_t{}), 6);
  EXPECT_EQ(at(122, std::int16_t{}), -7);
}

using testing::ShownMessage;
using Messages = std::vector<ShownMessage>;
using cplx = std::complex<double>;
const ShownMessage kFirstScanWarning{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const ShownMessage kSetupError{"Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup"};

class ScanTest : public ::testing::Test {
 protected:
  // Opens a network the way File > Open does, to be scanned in the given number of steps.
  void Open(const std::vector<ElementRecord>& records, std::int16_t steps = 100) {
    testing::WriteBytes(folder.File("net.dat"), EncodeElementFile(records));
    state.ElementFile = files.FreeFile();
    files.Open(state.ElementFile, folder.File("net.dat"), kElementRecordLength);
    state.ElementCount = CountRecords(files.Length(state.ElementFile), kElementRecordLength);
    state.StepCount = steps;
  }
  void Open(std::string_view description, std::int16_t steps = 100) { Open(ParseNetworkText(description), steps); }

  ScanOutcome Scan(std::string_view lower, std::string_view upper) {
    messages.shown.clear();
    return BeginScan(services, state, upper, lower);
  }
  std::uintmax_t OutputSize() const { return std::filesystem::file_size(OutputFilePath(services)); }
  std::vector<testing::OutputBytes> Output() const { return testing::ReadOutput(OutputFilePath(services)); }

  testing::TempDir folder;
  testing::RecordingMessages messages;
  testing::RecordingEnd end;
  RecordFiles files;
  Services services{messages, end, files, NumberLocale{}, folder.Path().string()};
  NetworkState state;
};

using Out = testing::OutputBytes;
cplx V(const Out& r) { return {r.node[0], r.node[1]}; }
cplx I(const Out& r) { return {r.node[2], r.node[3]}; }
cplx Z(const Out& r) { return {r.node[4], r.node[5]}; }

TEST_F(ScanTest, RecordsAreGroupedByStepAndCarryEachElementsValueTypeAndExtraWord) {
  Open("SeriesR 10 rload=50 extra=11\nShuntR 200 extra=12\nSeriesL 0.5 extra=13\nShuntL 2.2 extra=-1\n"
       "SeriesC 470 extra=32767\nShuntC 47 extra=-14\nStubOpen 0.75 z0=75 vf=0.8 ropen=1e9 copen=0.5 extra=-32768\n"
       "StubShorted 0.5 z0=50 vf=0.66 extra=258\nSerTransLine 3 z0=50 loss=1.2 vf=0.66 extra=7\n"
       "9 1.25 extra=-3\n-32768 0 extra=5\n", 3);
  EXPECT_EQ(Scan("1", "30"), ScanOutcome::kReopened);
  EXPECT_EQ(messages.shown,
            (Messages{kFirstScanWarning, {"All records processed over the range of 3 frequencies.", "Status"}}));
  EXPECT_EQ(OutputSize(), 3u * 11u * 68u);
  EXPECT_EQ(state.OutputRecordCount, 33);
  const auto out = Output();
  const std::tuple<std::int16_t, std::int16_t, double> elements[] = {
      {0, 11, 10},  {1, 12, 200},       {2, 13, 0.5}, {3, -1, 2.2}, {4, 32767, 470}, {5, -14, 47},
      {6, -32768, 0.75}, {7, 258, 0.5}, {8, 7, 3},    {9, -3, 1.25}, {-32768, 5, 0}};
  for (std::size_t r = 0; r < 33; ++r) {
    EXPECT_EQ(out[r].frequency, 1.0 + static_cast<double>(r / 11) * 0.2929292917251587) << r;
    EXPECT_EQ(std::tuple(out[r].type, out[r].extra, out[r].value), elements[r % 11]) << r;
  }
  // Ready for plotting: the counter back at 1, 1 V across the load.
  EXPECT_EQ(state.ElementIndex, 1);
  EXPECT_EQ(cplx(state.Node.NodeVoltageRe, state.Node.NodeVoltageIm), 1.0);
}

// Frequencies advance by single-precision steps added to a double; no step at all below one.
TEST_F(ScanTest, FrequenciesAndStepCounts) {
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
    const auto out = Output();
    ASSERT_EQ(out.size(), count) << steps;
    EXPECT_EQ(state.OutputRecordCount, static_cast<std::int16_t>(count));
    EXPECT_EQ(std::pair(count ? out.front().frequency : 0, count ? out.back().frequency : 0), std::pair(first, last));
  }
}

// (The refusals and their messages, through the window, are in the app tests.)
TEST_F(ScanTest, BoundsThatAreNoPositiveRisingSinglePrecisionPairAreRefusedWithAnEmptyFile) {
  Open("SeriesR 1 rload=50\n");
  const char* const bad[][2] = {{"-1", "30"}, {"30", "1"}, {"", "30"}, {"1", ""}, {"abc", "30"}, {"1", "3O"},
                                {"1,5", "30"}, {"1", "1.00000001"}, {"1e-46", "1"}};
  for (const auto& [lower, upper] : bad) {
    Scan("1", "30");
    EXPECT_EQ(Scan(lower, upper), ScanOutcome::kReopened) << lower << ' ' << upper;
    EXPECT_EQ(std::tuple(messages.shown, OutputSize(), state.OutputRecordCount),
              std::tuple(Messages{kSetupError}, 0u, std::int16_t{0})) << lower << ' ' << upper;
  }
}

// Loads in later records are ignored, and an unlisted type passes the node through.
TEST_F(ScanTest, OnlyTheFirstRecordSuppliesTheLoadAndAnUnlistedTypeChangesNothing) {
  Open("SeriesR 25 rload=50\nSeriesR 25 rload=999 xload=-999\n9 123 rload=1e6\nShuntR 75\n", 3);
  Scan("1", "2");
  const auto out = Output();
  ASSERT_EQ(out.size(), 12u);
  for (std::size_t step = 0; step < 12; step += 4) {
    EXPECT_DOUBLE_EQ(V(out[step + 1]).real(), 2.0);  // two series 25s on 50 ohms
    EXPECT_DOUBLE_EQ(Z(out[step + 1]).real(), 100.0);
    EXPECT_EQ(out[step + 2].type, 9);
    EXPECT_TRUE(V(out[step + 2]) == V(out[step + 1]) && I(out[step + 2]) == I(out[step + 1]) &&
                Z(out[step + 2]) == Z(out[step + 1]));
    EXPECT_DOUBLE_EQ(Z(out[step + 3]).real(), 100.0 * 75.0 / 175.0);
  }
  // As the first element nothing has been written before it: all zero.
  files.CloseAll();
  state = NetworkState{};
  Open("32767 1 rload=50\n", 1);
  Scan("1", "2");
  ASSERT_EQ(Output().size(), 1u);
  EXPECT_TRUE(Output()[0].type == 32767 && V(Output()[0]) == 0.0 && Z(Output()[0]) == 0.0);
}

TEST_F(ScanTest, TheLargestFileIsCountedAndOneRecordMoreIsRefused) {
  Open("SeriesR 1 rload=50\n", 32767);
  EXPECT_EQ(Scan("1", "2"), ScanOutcome::kReopened);
  EXPECT_EQ(state.OutputRecordCount, 32767);
  Open("SeriesR 1 rload=50\nShuntR 1e6\n", 16384);
  EXPECT_EQ(Scan("1", "2"), ScanOutcome::kReopenFailed);
  EXPECT_EQ(messages.shown.back(), (ShownMessage{"File open error, 6", "Fatal Error in Opening Network Data File"}));
  EXPECT_EQ(OutputSize(), 32768u * 68u);
  EXPECT_EQ(state.OutputRecordCount, 32767);  // kept from the scan before
  EXPECT_TRUE(files.IsOpen(state.OutputReadFile));
}

// Made impossible to delete, even for root, by the immutable attribute where the file system has it.
bool Protect(const std::string& file, bool on) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  int flags = 0;
  const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  return ::close(fd), done;
}

TEST_F(ScanTest, AnOutputFileThatMayNotBeDeletedEndsTheProgram) {
  Open("SeriesR 10 rload=50\n");
  Scan("1", "30");
  files.Close(state.OutputReadFile);
  if (!Protect(OutputFilePath(services), true)) GTEST_SKIP() << "no immutable attribute here";
  const ScanOutcome outcome = Scan("1", "30");
  Protect(OutputFilePath(services), false);
  EXPECT_EQ(outcome, ScanOutcome::kEnded);
  EXPECT_EQ(messages.shown,
            (Messages{{"Permission to delete output file denied - Aborting!", "Program Shutting Down"}}));
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(OutputSize(), 6800u);  // the old results stay
}

}  // namespace
}  // namespace tavelin
