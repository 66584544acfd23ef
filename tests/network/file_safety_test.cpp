// The output file is only ever the one a scan created; two programs in one folder never mix records.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "support/scan_rig.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::ShownMessage;
using Boxes = std::vector<ShownMessage>;
using Bytes = std::vector<std::byte>;

const ShownMessage kNoOldFile{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const Boxes kExisting{kNoOldFile, {"Error 17 while creating new output file!", "Warning"},
                      {"File open error, 17", "Fatal Error in Opening Network Data File"}};

#ifndef _WIN32
void Send(int fd) { [[maybe_unused]] const ssize_t n = ::write(fd, "x", 1); }
bool Await(int fd) { return ::read(fd, std::array<char, 1>{}.data(), 1) == 1; }  // false at the pipe's end
#endif

// While the first box of the given title is open, runs the action ("" runs none).
void During(testing::ScanRig& program, const std::string& title, std::function<void()> action) {
  program.messages.onShow = [title, action](const ShownMessage& box) mutable {
    if (box.title == title && action) std::exchange(action, nullptr)();
  };
}

// What the program reads back as its records: its boxes, the count, then each record's impedance.
std::string Report(testing::ScanRig& program) {
  std::string report;
  for (const auto& box : program.messages.shown) report += box.text + " [" + box.title + "]\n";
  report += std::to_string(program.state.OutputRecordCount) + ":";
  for (int r = 1; program.files.IsOpen(program.state.OutputReadFile) && r <= program.state.OutputRecordCount; ++r) {
    std::array<std::byte, 68> bytes{};
    double z = 0;  // the impedance at 40
    program.files.Read(program.state.OutputReadFile, r, bytes);
    report += " " + std::to_string(std::lround((std::memcpy(&z, bytes.data() + 40, 8), z)));
  }
  return report;
}

TEST(OutputFileSafety, NothingPlantedAtTheOutputNameIsWrittenThroughOrReadAsRecords) {
  const Bytes precious(40 * 68, std::byte{0x5A});
  [[maybe_unused]] const auto link = [](const std::string& output, const std::string& to) {
    fs::create_symlink(to, output);
  };
  const auto readOnly = [&](const std::string& output, const std::string&) {
    testing::WriteBytes(output, precious), fs::permissions(output, fs::perms::owner_read);
  };
  const ShownMessage kStatus{"All records processed over the range of 3 frequencies.", "Status"};
  // Name, the box during which the obstacle is planted ("" before the scan), the obstacle, the boxes.
  using Plant = std::function<void(const std::string& output, const std::string& elsewhere)>;
  const std::tuple<const char*, const char*, Plant, Boxes> rows[] = {
#ifndef _WIN32  // links need a privilege on Windows
      {"LinkToAFileElsewhere", "Warning", link, kExisting},
      {"DanglingLink", "Warning", [](auto& output, auto& to) { fs::create_symlink(to + ".new", output); }, kExisting},
#endif
      {"ReadOnlyFileOf40Records", "Warning", readOnly, kExisting},
#ifndef _WIN32  // a link; and a deleted file that is open keeps its name on older Windows and wine
      {"LinkBeforeTheScanIsDeletedItself", "", link, {kStatus}},
      {"FileReplacedWhileTheStatusBoxIsOpen", "Status", [&](auto& output, auto& e) { fs::remove(output), readOnly(output, e); },
       {kNoOldFile, kStatus}},
#endif
  };
  for (const auto& [name, box, plant, boxes] : rows) {
    SCOPED_TRACE(name);
    testing::TempDir folder;
    testing::TempDir other;
    const std::string elsewhere = other.File("precious.dat");
    testing::WriteBytes(elsewhere, precious);
    testing::ScanRig program(folder.Path());
    program.Open("SeriesR 10 rload=50\n", 3, "this.net");
    const std::string output = program.Output();
    if (*box == '\0') plant(output, elsewhere);
    During(program, box, [&] { plant(output, elsewhere); });
    program.Scan();
    EXPECT_EQ(program.messages.shown, boxes);
    EXPECT_EQ(testing::ReadBytes(elsewhere), precious);
    EXPECT_EQ(std::distance(fs::directory_iterator(other.Path()), {}), 1);  // nothing created there
    const std::string report = Report(program);
    EXPECT_EQ(report.substr(report.rfind('\n') + 1), boxes.back() == kStatus ? "3: 60 60 60" : "0:");
  }
}

// Both programs in this process, so that it holds wherever the program runs.
TEST(OutputFileSafety, TheHeldOutputFileKeepsASecondProgramOutUntilTheFirstLetsGo) {
  testing::TempDir folder;
  testing::ScanRig first(folder.Path()), second(folder.Path());
  first.Open("SeriesR 10 rload=50\n", 3, "first.net");
  second.Open("SeriesR 40 rload=50\n", 5, "second.net");
  EXPECT_EQ(first.Scan(), ScanOutcome::kReopened);
  EXPECT_EQ(second.Scan(), ScanOutcome::kInUse);
  EXPECT_EQ(Report(second), "Another Tavelin is using the scan output file " + second.Output() +
                                ". The scan was not started. [Scan Output File in Use]\n0:");
  EXPECT_EQ(Report(first).substr(Report(first).rfind('\n') + 1), "3: 60 60 60");
  first.files.CloseAll();
  EXPECT_EQ(second.Scan(), ScanOutcome::kReopened);
  EXPECT_EQ(Report(second).substr(Report(second).rfind('\n') + 1), "5: 90 90 90 90 90");
}

#ifndef _WIN32  // a second program by fork
// The child scans 2 elements at 3 steps (90 and 100 ohms after each), the parent 1 element at 5 steps.
TEST(OutputFileSafety, TwoProgramsInOneFolderNeverMixTheirRecords) {
  const auto inUse = [](const std::string& output) {
    return Boxes{{"Another Tavelin is using the scan output file " + output + ". The scan was not started.",
                  "Scan Output File in Use"}};
  };
  // Name; the parent's box while the child scans ("": child first); the child's box left open; the outcome.
  const std::tuple<const char*, const char*, const char*, ScanOutcome, Boxes> rows[] = {
      {"OtherHasScanned", "", "", ScanOutcome::kInUse, {}}, {"OthersStatusBoxOpen", "", "Status", ScanOutcome::kInUse, {}},
      {"OtherScansWhileTheWarningBoxIsOpen", "Warning", "", ScanOutcome::kReopenFailed, kExisting},
  };
  const std::string childReport = kNoOldFile.text + " [Warning]\nAll records processed over the range of 3 "
                                  "frequencies. [Status]\n6: 90 100 90 100 90 100";
  for (const auto& [name, parentPause, childPause, outcome, boxes] : rows) {
    SCOPED_TRACE(name);
    testing::TempDir folder;
    int up[2], down[2], report[2];
    ASSERT_TRUE(::pipe(up) == 0 && ::pipe(down) == 0 && ::pipe(report) == 0);
    pid_t child = -1;
    Bytes held;
    const auto startChild = [&] {
      child = ::fork();
      if (child == 0) {
        testing::ScanRig other(folder.Path());
        other.Open("SeriesR 40 rload=50\nSeriesR 10\n", 3, "other.net");
        const auto pause = [&] { Send(up[1]), Await(down[0]); };
        During(other, childPause, pause);
        other.Scan();
        if (*childPause == '\0') pause();
        const std::string text = Report(other);
        std::filesystem::remove(other.folder.Path());  // _exit leaves it
        _exit(::write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
      }
      ASSERT_TRUE(Await(up[0]));  // the child is now inside the box, or done with its scan
      held = testing::ReadBytes(folder.File("TavelinOutput.dat"));
    };
    testing::ScanRig program(folder.Path());
    program.Open("SeriesR 10 rload=50\n", 5, "this.net");
    During(program, parentPause, startChild);
    if (*parentPause == '\0') startChild();
    EXPECT_EQ(program.Scan(), outcome);
    EXPECT_EQ(program.messages.shown, boxes.empty() ? inUse(program.Output()) : boxes);
    EXPECT_FALSE(program.files.IsOpen(program.state.OutputReadFile));  // nothing of the other's is read
    EXPECT_EQ(testing::ReadBytes(folder.File("TavelinOutput.dat")), held);
    Send(down[1]);
    ::close(report[1]);
    std::string text;
    for (char c; ::read(report[0], &c, 1) == 1;) text += c;
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(text, childReport);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(held.size(), 6u * 68u);
    for (int fd : {up[0], up[1], down[0], down[1], report[0]}) ::close(fd);
  }
}

#endif

#ifdef TAVELIN_NETWORK_TOOL  // built with the tools, which are not built for Windows
TEST(NetworkTool, ReadsRegularFilesOnlyAndWritesNothingThroughALink) {
  testing::TempDir folder;
  const std::string fifo = folder.File("pipe"), huge = folder.File("huge.dat"), net = folder.File("NET.dat");
  const std::string text = folder.File("net.txt"), target = folder.File("precious"), errors = folder.File("err");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  testing::WriteBytes(huge, {});
  fs::resize_file(huge, 32768 * 124);
  std::ofstream(text) << "ShuntR 5 rload=50\n";
  const Bytes precious(300, std::byte{0x77});
  const std::tuple<std::string, std::function<void()>, int, std::string> rows[] = {
      {"--list /dev/zero", nullptr, 1, "tavelin-network: /dev/zero: not a regular file\n"},
      {"--list " + fifo, nullptr, 1, "tavelin-network: " + fifo + ": not a regular file\n"},
      {"--list " + huge, nullptr, 1, "tavelin-network: " + huge + ": more than 32767 records\n"},
      {fifo + " " + net, nullptr, 1, "tavelin-network: " + fifo + ": not a regular file\n"},
      {text + " " + net, [&] { fs::create_symlink(target, net + ".part"); }, 0, ""},
      {text + " " + net, [&] { fs::remove(net), fs::create_symlink(target, net); }, 0, ""},
  };
  for (const auto& [args, plant, status, message] : rows) {
    SCOPED_TRACE(args);
    testing::WriteBytes(target, precious);
    if (plant) plant();
    // A time limit, so that a read that never ends fails rather than hangs.
    const int result = std::system(("timeout 20 " TAVELIN_NETWORK_TOOL " " + args + " >/dev/null 2>" + errors).c_str());
    const Bytes said = testing::ReadBytes(errors);
    EXPECT_EQ(WIFEXITED(result) ? WEXITSTATUS(result) : -1, status);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(said.data()), said.size()), message);
    EXPECT_EQ(testing::ReadBytes(target), precious);
    EXPECT_TRUE(!plant || (fs::is_regular_file(fs::symlink_status(net)) && fs::file_size(net) == 124));
  }
}

#endif

}  // namespace
}  // namespace tavelin
