// The scan output file, byte for byte, on the examples and on networks of every element type. The
// digests were taken from the program as it stood before a step's records were read in one call.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <tuple>

#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/network_text.hpp"
#include "network/output_file.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

using Hook = std::function<void(int, const std::string&)>;

// Runs a hook at every message box, as a user may change the network while one is open.
class HookMessages : public testing::RecordingMessages {
 public:
  void Show(const std::string& text, const std::string& title) override {
    RecordingMessages::Show(text, title);
    if (hook) hook(static_cast<int>(shown.size()), path);
  }
  Hook hook;
  std::string path;
};

// Scans the network from 1 to 30 MHz; the output file's bytes and the last message shown.
std::pair<std::vector<std::byte>, std::string> Scan(const std::vector<std::byte>& network, std::int16_t steps,
                                                    const Hook& hook = {}) {
  testing::TempDir folder;
  HookMessages messages;
  messages.hook = hook;
  messages.path = folder.File("net.dat");
  testing::RecordingEnd end;
  RecordFiles files;
  Services services{messages, end, files, NumberLocale{}, folder.Path().string()};
  testing::WriteBytes(messages.path, network);
  NetworkState state;
  state.ElementFile = files.FreeFile();
  files.Open(state.ElementFile, messages.path, kElementRecordLength);
  state.ElementCount = CountRecords(files.Length(state.ElementFile), kElementRecordLength);
  state.StepCount = steps;
  BeginScan(services, state, "30", "1");
  files.CloseAll();
  return {testing::ReadBytes(OutputFilePath(services)), messages.shown.back().text};
}

std::vector<std::byte> Example(const std::string& name, int times = 1) {
  const auto one = testing::ReadBytes(std::string(TAVELIN_SOURCE_DIR) + "/examples/" + name);
  std::vector<std::byte> bytes;
  for (int i = 0; i < times; ++i) bytes.insert(bytes.end(), one.begin(), one.end());
  return bytes;
}
std::vector<std::byte> Text(const std::string& text) { return EncodeElementFile(ParseNetworkText(text)); }

std::uint64_t Fnv1a(const std::vector<std::byte>& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::byte b : bytes) h = (h ^ static_cast<std::uint8_t>(b)) * 1099511628211ull;
  return h;
}

TEST(ScanBytes, OutputFilesAreAsBefore) {
  std::vector<std::byte> partial = Text("SeriesL 0.4 rload=20\nShuntC 80\n");
  partial.resize(partial.size() + 63, std::byte{0x40});  // a last record cut short, counted
  const std::tuple<std::vector<std::byte>, std::int16_t, std::size_t, std::uint64_t> kCases[] = {
      {Example("every-element.dat"), 100, 61200, 11731584390711454205ull},
      {Example("l-network-14mhz.dat"), 100, 13600, 13821227912875523033ull},
      {Example("stub-and-lossy-line.dat"), 100, 13600, 9208698888077284590ull},
      {Example("two-element.dat"), 100, 13600, 12318034521035957821ull},
      {Text("SerTransLine 7.4949 rload=100 z0=50 z0x=-3 loss=2 vf=1\nSeriesR 5\n"), 7, 952, 5349057446769852760ull},
      {Text("StubOpen 2 rload=30 xload=-9 z0=75 loss=1 vf=0.7 ropen=5e3 copen=3\n"
            "StubShorted 1 z0=50 z0x=2 loss=0.5 vf=0.8 rshort=0.2 lshort=0.01\n"), 9, 1224, 7052735952938134167ull},
      {Text("ShuntL 3 rload=75 xload=5 extra=-2\n9 4\n-1 7 extra=3\nSeriesC 22\n"), 5, 1360, 7849343235843421394ull},
      {Text("SeriesL 1 rload=50\nSerTransLine 900 z0=50 loss=9e4 vf=0.7\n"), 4, 544, 1716712455164829063ull},
      {Text("SeriesR 3 rload=50\nShuntR 9\nStubOpen 1 z0=50 vf=0 ropen=1e4 copen=1\n"), 5, 136, 797595477656077052ull},
      {partial, 6, 1224, 5799328139702472348ull},
      {Example("every-element.dat", 36), 100, 2203200, 6780125437253842118ull},
      {Example("every-element.dat", 67), 3, 123012, 14098267925418884216ull},
  };
  for (const auto& [network, steps, size, digest] : kCases) {
    const std::vector<std::byte> bytes = Scan(network, steps).first;
    EXPECT_EQ(std::pair(bytes.size(), Fnv1a(bytes)), std::pair(size, digest));
  }
}

// Records are read anew at every step and after every message box of the scan, so the next element
// read sees a change made meanwhile, and a file cut short stops the scan with 62 at the first element
// whose record it took away.
TEST(ScanBytes, AnElementFileChangedDuringTheScanIsSeenAtTheNextRead) {
  // The element that shows a message at every step; the box that changes the file (the first is the
  // missing-file warning); the change: the element whose value becomes 77, or minus the new length;
  // bytes written; where the stop message says the scan stopped, or an output record with the 77.
  const std::tuple<int, int, int, std::size_t, const char*, std::size_t> kCases[] = {
      {2, 4, -372, 884, ") at element 4 of 5,", 0},  // cut in step 3, after element 2
      {5, 3, -258, 816, ") at element 3 of 5,", 0},  // cut between steps 2 and 3, inside record 3
      {5, 2, 1, 1700, nullptr, 6},                   // changed between steps 1 and 2
      {2, 2, 4, 1700, nullptr, 4},                   // changed in step 1, after element 2
  };
  for (const auto& [lossyAt, atMessage, change, size, stop, seenIn] : kCases) {
    std::string text = "SeriesR 1 rload=50\n";
    const char* const kOthers[] = {"ShuntC 47", "SeriesL 0.33", "ShuntR 5000", "SeriesC 1000"};
    for (int n = 2, other = 0; n <= 5; ++n) {
      text += n == lossyAt ? "SerTransLine 900 z0=50 loss=9e4 vf=0.7\n" : std::string(kOthers[other++]) + "\n";
    }
    const auto [bytes, last] = Scan(Text(text), 5, [&](int message, const std::string& path) {
      const int fd = message == atMessage ? ::open(path.c_str(), O_WRONLY) : -1;
      const double value = 77.0;
      EXPECT_TRUE(fd < 0 || (change < 0 ? ::ftruncate(fd, -change) == 0
                                        : ::pwrite(fd, &value, 8, change * 124 - 44) == 8));
      if (fd >= 0) ::close(fd);
    });
    ASSERT_EQ(bytes.size(), size) << lossyAt;
    double value = 0.0;
    if (stop == nullptr) std::memcpy(&value, &bytes[(seenIn - 1) * 68 + 56], 8);
    EXPECT_EQ(stop == nullptr ? value : 77.0, 77.0) << seenIn;
    EXPECT_TRUE(stop == nullptr || (last.rfind("Run-time error 62 (", 0) == 0 && last.find(stop) != std::string::npos))
        << last;
  }
}

// Read calls of this process so far, or -1 where the system does not count them.
long ReadCalls() {
  std::ifstream io("/proc/self/io");
  std::string name;
  long value = -1;
  while (io >> name >> value && name != "syscr:") value = -1;
  return name == "syscr:" ? value : -1;
}

// One read for each step's records, and a read at every step: counted between the missing-file
// warning before the scan and the status message after it (give or take the counting's own reads).
TEST(ScanBytes, EachStepReadsItsRecordsInOneCall) {
  std::vector<long> calls;
  Scan(Text("SeriesL 1 rload=50\nShuntC 100\nSeriesR 3\n"), 20, [&](int, const std::string&) {
    calls.push_back(ReadCalls());
  });
  if (calls[0] < 0) GTEST_SKIP() << "no read counts here";
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_GE(calls[1] - calls[0], 20);
  EXPECT_LE(calls[1] - calls[0], 24);
}

}  // namespace
}  // namespace tavelin
