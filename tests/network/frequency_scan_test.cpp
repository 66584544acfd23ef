#include "network/frequency_scan.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <complex>
#include <csignal>
#include <filesystem>

#include "base/checked_arithmetic.hpp"
#include "network/element_file.hpp"
#include "network/network_text.hpp"
#include "network/output_file.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using testing::RecordingEnd;
using testing::RecordingMessages;
using testing::ShownMessage;
using testing::TempDir;

const ShownMessage kFirstScanWarning{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const ShownMessage kSetupError{"Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup"};
const ShownMessage kNoRecords{"There are no records - make sure the file is opened!", "Error - No Records"};

ShownMessage Status(int steps) {
  return {"All records processed over the range of " + std::to_string(steps) + " frequencies.", "Status"};
}

class ScanTest : public ::testing::Test {
 protected:
  // Opens a network the way File > Open does.
  void Open(const std::vector<ElementRecord>& records) {
    testing::WriteBytes(folder.File("net.dat"), EncodeElementFile(records));
    state.ElementFile = files.FreeFile();
    files.Open(state.ElementFile, folder.File("net.dat"), kElementRecordLength);
    state.ElementCount = CountRecords(files.Length(state.ElementFile), kElementRecordLength);
  }
  void Open(std::string_view description) { Open(ParseNetworkText(description)); }

  ScanOutcome Scan(std::string_view lower, std::string_view upper) {
    messages.shown.clear();
    return BeginScan(services, state, upper, lower);
  }

  std::vector<OutputRecord> Output() {
    const std::vector<std::byte> bytes = testing::ReadBytes(OutputFilePath(services));
    std::vector<OutputRecord> records(bytes.size() / kOutputRecordLength);
    for (std::size_t i = 0; i < records.size(); ++i) {
      DecodeOutputRecord(std::span<const std::byte, kOutputRecordLength>(bytes.data() + i * kOutputRecordLength,
                                                                          kOutputRecordLength),
                         records[i]);
    }
    return records;
  }

  TempDir folder;
  RecordingMessages messages;
  RecordingEnd end;
  RecordFiles files;
  Services services{messages, end, files, NumberLocale{}, folder.Path().string()};
  NetworkState state;
};

TEST_F(ScanTest, RecordsAreGroupedByStepWithTheInputEndLast) {
  Open("SeriesR 10 rload=50 extra=11\nShuntR 200 extra=12\nSeriesL 0.5 extra=13\nShuntC 47 extra=-14\n");
  state.StepCount = 3;
  EXPECT_EQ(Scan("1", "30"), ScanOutcome::kReopened);
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{kFirstScanWarning, Status(3)}));
  EXPECT_EQ(std::filesystem::file_size(OutputFilePath(services)), 816u);
  EXPECT_EQ(state.OutputRecordCount, 12);
  const auto out = Output();
  const double step = static_cast<double>(static_cast<float>(29.0 / 99.0));
  for (int k = 1; k <= 3; ++k) {
    for (int i = 1; i <= 4; ++i) {
      const OutputRecord& r = out[static_cast<std::size_t>((k - 1) * 4 + i - 1)];
      EXPECT_EQ(r.Frequency, 1.0 + (k - 1) * step);
      EXPECT_EQ(r.ElementType, (std::array<int, 4>{kSeriesR, kShuntR, kSeriesL, kShuntC}[static_cast<std::size_t>(i - 1)]));
      EXPECT_EQ(r.ExtraWord, i == 4 ? -14 : 10 + i);
      EXPECT_EQ(r.ElementValue, (std::array<double, 4>{10, 200, 0.5, 47}[static_cast<std::size_t>(i - 1)]));
    }
  }
  // The state is ready for plotting: counter back at 1, 1 V across the load.
  EXPECT_EQ(state.ElementIndex, 1);
  EXPECT_EQ(state.Node.NodeVoltageRe, 1.0);
  EXPECT_EQ(state.Node.NodeVoltageIm, 0.0);
  EXPECT_TRUE(files.IsOpen(state.OutputReadFile));
}

// The voltage, current and impedance at the input end, computed here with std::complex.
TEST_F(ScanTest, InputEndAgreesWithAnIndependentCircuitCalculation) {
  Open("SeriesL 1.0 rload=50 xload=-20\nShuntC 100\nSeriesR 12\nShuntL 3.3\nSeriesC 220\n");
  state.StepCount = 100;
  ASSERT_EQ(Scan("1", "30"), ScanOutcome::kReopened);
  const auto out = Output();
  ASSERT_EQ(out.size(), 500u);
  for (int k = 0; k < 100; ++k) {
    const double f = out[static_cast<std::size_t>(k * 5)].Frequency;
    const double w = 2 * 3.14159 * f;
    using C = std::complex<double>;
    C z(50, -20), v(1, 0), i = v / z;
    const auto series = [&](C x) { i = v / z; v += i * x; z = v / i; };
    const auto shunt = [&](C x) { i = v / z + v / x; z = v / i; };
    series(C(0, w * 1.0));
    shunt(C(0, -1e6 / (w * 100)));
    series(C(12, 0));
    shunt(C(0, w * 3.3));
    series(C(0, -1e6 / (w * 220)));
    const OutputRecord& r = out[static_cast<std::size_t>(k * 5 + 4)];
    EXPECT_NEAR(r.Node.VoltageRe, v.real(), 1e-9 * std::abs(v));
    EXPECT_NEAR(r.Node.VoltageIm, v.imag(), 1e-9 * std::abs(v));
    EXPECT_NEAR(r.Node.CurrentRe, i.real(), 1e-9 * std::abs(i));
    EXPECT_NEAR(r.Node.CurrentIm, i.imag(), 1e-9 * std::abs(i));
    EXPECT_NEAR(r.Node.ImpedanceRe, z.real(), 1e-9 * std::abs(z));
    EXPECT_NEAR(r.Node.ImpedanceIm, z.imag(), 1e-9 * std::abs(z));
  }
}

TEST_F(ScanTest, FrequenciesAdvanceBySingleStepsAddedToADouble) {
  Open("SeriesR 1 rload=50\n");
  ASSERT_EQ(Scan("1", "30"), ScanOutcome::kReopened);
  auto out = Output();
  ASSERT_EQ(out.size(), 100u);
  EXPECT_EQ(out[1].Frequency - out[0].Frequency, 0.2929292917251587);
  EXPECT_EQ(out[0].Frequency, 1.0);
  EXPECT_EQ(out[99].Frequency, 29.99999988079071);

  Scan("14.2", "15");
  EXPECT_EQ(Output().front().Frequency, 14.199999809265137);

  state.StepCount = 200;
  Scan("1", "100");
  EXPECT_EQ(Output().back().Frequency, 200.0);
  state.StepCount = 50;
  Scan("1", "100");
  EXPECT_EQ(Output().back().Frequency, 50.0);
  state.StepCount = 1;
  Scan("  7.5 ", "9");
  out = Output();
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].Frequency, 7.5);
}

TEST_F(ScanTest, BadBoundsAreRefusedBeforeTheElementCountAndLeaveAnEmptyFile) {
  Open("SeriesR 1 rload=50\n");
  Scan("1", "30");
  ASSERT_EQ(state.OutputRecordCount, 100);
  const char* const bad[][2] = {{"0", "30"}, {"-1", "30"}, {"5", "5"}, {"30", "1"}, {"", "30"},
                                {"1", ""},  {"abc", "30"}, {"1", "3O"}, {"1", "1e39"}, {"1,5", "30"},
                                {"1", "1.00000001"}};
  for (const auto& bounds : bad) {
    EXPECT_EQ(Scan(bounds[0], bounds[1]), ScanOutcome::kReopened) << bounds[0] << ' ' << bounds[1];
    EXPECT_EQ(messages.shown, std::vector<ShownMessage>{kSetupError}) << bounds[0] << ' ' << bounds[1];
    EXPECT_EQ(std::filesystem::file_size(OutputFilePath(services)), 0u);
    EXPECT_EQ(state.OutputRecordCount, 0);
  }
  // An empty network with bad bounds: only the bounds are reported.
  Open(std::vector<ElementRecord>{});
  EXPECT_EQ(Scan("0", "0"), ScanOutcome::kReopened);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{kSetupError});
  EXPECT_EQ(Scan("1", "2"), ScanOutcome::kReopened);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>{kNoRecords});
  EXPECT_EQ(state.OutputRecordCount, 0);
}

TEST_F(ScanTest, OnlyTheFirstRecordSuppliesTheLoadAtEveryStep) {
  std::vector<ElementRecord> records = ParseNetworkText("SeriesR 25 rload=50\nSeriesR 25\nShuntR 75\n");
  state.StepCount = 4;
  Open(records);
  Scan("1", "2");
  const auto reference = Output();
  records[1].LoadResistance = 999;
  records[1].LoadReactance = -999;
  records[2].LoadResistance = 1e6;
  Open(records);
  Scan("1", "2");
  const auto out = Output();
  ASSERT_EQ(out.size(), reference.size());
  for (std::size_t r = 0; r < out.size(); ++r) {
    EXPECT_EQ(out[r].Node.ImpedanceRe, reference[r].Node.ImpedanceRe);
    EXPECT_EQ(out[r].Node.VoltageRe, reference[r].Node.VoltageRe);
  }
  // Two series resistors of 25 on 50 ohms, then a shunt 75: 100 || 75, at every step alike.
  EXPECT_DOUBLE_EQ(out[1].Node.VoltageRe, 2.0);
  EXPECT_DOUBLE_EQ(out[11].Node.ImpedanceRe, 100.0 * 75.0 / 175.0);
}

TEST_F(ScanTest, AnUnlistedTypePassesTheNodeStateThrough) {
  Open("SeriesR 50 rload=50\n9 123\nShuntR 50\n");
  state.StepCount = 2;
  Scan("1", "2");
  const auto out = Output();
  ASSERT_EQ(out.size(), 6u);
  for (std::size_t step : {0u, 3u}) {
    EXPECT_EQ(out[step + 1].Node.VoltageRe, out[step].Node.VoltageRe);
    EXPECT_EQ(out[step + 1].Node.CurrentRe, out[step].Node.CurrentRe);
    EXPECT_EQ(out[step + 1].Node.ImpedanceRe, out[step].Node.ImpedanceRe);
    EXPECT_EQ(out[step + 1].ElementType, 9);
    EXPECT_DOUBLE_EQ(out[step + 2].Node.ImpedanceRe, 100.0 * 50.0 / 150.0);
  }
  // At the very start nothing has been written before it: all zero.
  NetworkState fresh;
  state = fresh;
  Open("32767 1 rload=50\n");
  state.StepCount = 1;
  Scan("1", "2");
  const OutputRecord first = Output().at(0);
  EXPECT_EQ(first.Node.VoltageRe, 0.0);
  EXPECT_EQ(first.Node.ImpedanceRe, 0.0);
  EXPECT_EQ(first.ElementType, 32767);
}

TEST_F(ScanTest, StepCountsOfZeroAndBelowRunNoStep) {
  Open("SeriesR 1 rload=50\n");
  for (std::int16_t steps : {0, -5, -32768}) {
    state.StepCount = steps;
    EXPECT_EQ(Scan("1", "30"), ScanOutcome::kReopened);
    EXPECT_EQ(messages.shown.back(), Status(steps));
    EXPECT_EQ(state.OutputRecordCount, 0);
  }
}

TEST_F(ScanTest, TheLargestFileIsCountedAndOneRecordMoreIsRefused) {
  Open("SeriesR 1 rload=50\n");
  state.StepCount = 32767;
  EXPECT_EQ(Scan("1", "2"), ScanOutcome::kReopened);
  EXPECT_EQ(state.OutputRecordCount, 32767);

  Open("SeriesR 1 rload=50\nShuntR 1e6\n");
  state.StepCount = 16384;
  EXPECT_EQ(Scan("1", "2"), ScanOutcome::kReopenFailed);
  EXPECT_EQ(messages.shown.back(), (ShownMessage{"File open error, 6", "Fatal Error in Opening Network Data File"}));
  EXPECT_EQ(std::filesystem::file_size(OutputFilePath(services)), 32768u * 68u);
  EXPECT_EQ(state.OutputRecordCount, 32767);  // kept from the scan before
  EXPECT_TRUE(files.IsOpen(state.OutputReadFile));
}

TEST_F(ScanTest, AFaultInAModelStopsTheScanAndKeepsWhatWasWritten) {
  Open("SeriesR 10 rload=50\nShuntC 0\nSeriesR 5\n");
  state.StepCount = 3;
  EXPECT_EQ(Scan("14.2", "20"), ScanOutcome::kReopened);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].title, "Error in Scan");
  EXPECT_EQ(messages.shown[1].text,
            "Run-time error 11 (Division by zero) at element 2 of 3, frequency 14.1999998092651 MHz. "
            "The scan was stopped; the records written before it are kept.");
  EXPECT_EQ(state.OutputRecordCount, 1);  // no status message: the scan did not complete
  EXPECT_TRUE(files.IsOpen(state.OutputReadFile));
}

TEST_F(ScanTest, AFullDiskStopsTheScanWithAMessage) {
  Open("SeriesR 10 rload=50\n");
  state.StepCount = 10000;
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = old;
  limited.rlim_cur = 100 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const ScanOutcome outcome = Scan("1", "2");
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_EQ(outcome, ScanOutcome::kReopened);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].title, "Error in Scan");
  EXPECT_EQ(messages.shown[1].text.rfind("Run-time error 61 (Disk full)", 0), 0u);
  EXPECT_LT(state.OutputRecordCount, 10000);
  EXPECT_GT(state.OutputRecordCount, 0);
}

TEST_F(ScanTest, AnOutputFileThatCannotBeCreatedGetsNoRecords) {
  Open("SeriesR 10 rload=50\n");
  services.programFolder = folder.File("missing-folder");
  EXPECT_EQ(Scan("1", "30"), ScanOutcome::kReopenFailed);
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{kFirstScanWarning,
                                       {"Error 76 while creating new output file!", "Warning"},
                                       {"File open error, 76", "Fatal Error in Opening Network Data File"}}));
}

TEST_F(ScanTest, AFolderInThePlaceOfTheOutputFileIsNeverDeleted) {
  Open("SeriesR 10 rload=50\n");
  std::filesystem::create_directory(OutputFilePath(services));
  Scan("1", "30");
  EXPECT_TRUE(std::filesystem::is_directory(OutputFilePath(services)));
  EXPECT_EQ(messages.shown.at(0), kFirstScanWarning);
  EXPECT_EQ(messages.shown.at(1), (ShownMessage{"Error 75 while creating new output file!", "Warning"}));
  EXPECT_EQ(end.calls, 0);
}

// Makes the file impossible to delete even for root: the immutable attribute, where the file
// system has it, else a folder without write permission.
bool Protect(const std::string& folder, const std::string& file, bool on) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd >= 0) {
    int flags = 0;
    const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                     ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    if (ok) return true;
  }
  if (::geteuid() == 0) return false;
  std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                               on ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add);
  return true;
}

TEST_F(ScanTest, AnOutputFileThatMayNotBeDeletedEndsTheProgram) {
  Open("SeriesR 10 rload=50\n");
  Scan("1", "30");
  files.Close(state.OutputReadFile);
  if (!Protect(folder.Path().string(), OutputFilePath(services), true)) GTEST_SKIP() << "cannot protect a file here";
  const ScanOutcome outcome = Scan("1", "30");
  Protect(folder.Path().string(), OutputFilePath(services), false);
  EXPECT_EQ(outcome, ScanOutcome::kEnded);
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{"Permission to delete output file denied - Aborting!",
                                                        "Program Shutting Down"}}));
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(std::filesystem::file_size(OutputFilePath(services)), 6800u);  // the old results stay
}

}  // namespace
}  // namespace tavelin
