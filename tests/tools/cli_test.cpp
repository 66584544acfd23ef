// The companion as a process: scans against the window's, exports and images against own readers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <ranges>
#include <regex>

#include "app/window_rig.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

struct Result {
  int status = -1;
  std::string err;
};

Result Execute(const QString& program, const std::vector<std::string>& words, const fs::path& folder) {
  QStringList arguments;
  for (const std::string& word : words) arguments << QString::fromStdString(word);
  QProcess process;
  process.setWorkingDirectory(QString::fromStdString(folder.string()));
  process.start(program, arguments);
  process.waitForFinished(120000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardError().toStdString() + process.readAllStandardOutput().toStdString()};
}

// The reader of check_outputs.py; it prints "ok" or what differs.
void Checked(const std::vector<std::string>& words, const fs::path& folder) {
  std::vector<std::string> all{CHECK_OUTPUTS};
  all.insert(all.end(), words.begin(), words.end());
  const Result run = Execute("/usr/bin/python3", all, folder);
  EXPECT_EQ(run.status, 0) << run.err;
}

const std::string kExamples = TAVELIN_SOURCE_DIR "/examples/";

struct CliTest : ::testing::Test {
  Result Cli(const std::vector<std::string>& words) { return Execute(TAVELIN_CLI, words, dir); }
  testing::TempDir temp;
  const fs::path dir = temp.Path();
};

struct ExampleScan {
  const char *example, *lower, *upper;
  int steps;
  std::size_t elements;
};
const ExampleScan kScans[] = {{"two-element", "1", "30", 100, 2}, {"l-network-14mhz", "10", "18", 100, 2},
                              {"stub-and-lossy-line", "1", "30", 100, 2}, {"every-element", "1", "30", 100, 9},
                              {"two-element", "1", "30", 50, 2}};

TEST_F(CliTest, ScanWritesTheWindowsBytesAndExportsMatchTheScan) {
  for (const ExampleScan& s : kScans) {
    SCOPED_TRACE(std::string(s.example) + " " + std::to_string(s.steps));
    const std::string network = kExamples + s.example + ".dat";
    const std::string steps = std::to_string(s.steps);
    std::vector<std::string> scan{"scan", network, "--lower", s.lower, "--upper", s.upper, "--steps", steps, "--output", "out.dat"};
    const Result run = Cli(scan);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Status: All records processed over the range of " + steps + " frequencies."),
              std::string::npos) << run.err;
    scan.push_back("--quiet");
    EXPECT_EQ(Cli(scan).err, "");

    fs::create_directory(dir / "window");
    {
      testing::WindowRig rig((dir / "window").string());
      rig.Open(network);
      rig.window.State().StepCount = static_cast<std::int16_t>(s.steps);
      rig.Scan(s.lower, s.upper);
    }
    const std::string bytes = ReadText(dir / "out.dat");
    EXPECT_EQ(bytes, ReadText(dir / "window" / "TavelinOutput.dat"));
    ASSERT_EQ(bytes.size(), s.steps * s.elements * 68);

    // With the network, and without it (the steps found where the frequency changes) against 75 ohms.
    for (const std::string r0 : {"50", "75"}) {
      const std::string csv = s.example + r0 + ".csv";  // the name tells the checker the example
      std::vector<std::string> words{"export", "out.dat", "--r0", r0, "--format"};
      if (r0 == "50") words.insert(words.begin() + 2, {"--network", network});
      for (const auto& tail : {std::vector<std::string>{"csv", "--output", csv},
                               {"csv", "--all-nodes", "--output", "nodes.csv"}, {"s1p", "--output", "out.s1p"}}) {
        std::vector<std::string> all = words;
        all.insert(all.end(), tail.begin(), tail.end());
        EXPECT_EQ(Cli(all).status, 0) << tail[0];
      }
      Checked({"export", "out.dat", std::to_string(s.elements), r0, csv, "nodes.csv", "out.s1p"}, dir);
    }
  }
}

enum class Left { kAbsent, kEmpty, kKept, kWritten };

struct Refusal {
  std::vector<std::string> words;  // NET is the two-element network, OUT its scan, o the output
  int status;
  const char* says;
  Left output;
  bool unreadable = false;  // the file named last before --output loses its permissions
};

const Refusal kRefusals[] = {
    {{"scan", "missing.dat", "--lower", "1", "--upper", "30", "--output", "o"}, 1, "cannot read network file", Left::kKept},
    {{"scan", "net.dat", "--lower", "1", "--upper", "30", "--output", "o"}, 1,
     "Error in Opening Archive Record File: File open error, 70", Left::kKept, true},
    {{"scan", "NET", "--lower", "30", "--upper", "1", "--output", "o"}, 1,
     "Error in Setup: Scan Frequency Setup Parameters Invalid - Check Required Inputs!", Left::kEmpty},
    {{"scan", "net.dat", "--lower", "1", "--upper", "30", "--output", "net.dat"}, 1, "is the network file", Left::kKept},
    {{"scan", "NET", "--lower", "1", "--upper", "30", "--steps", "40000", "--output", "o"}, 2, "--steps", Left::kKept},
    {{"scan", "NET", "--upper", "30", "--output", "o"}, 2, "--lower is required", Left::kKept},
    {{"export", "missing.dat", "--format", "csv", "--output", "o"}, 1, "cannot read scan output file", Left::kKept},
    {{"export", "out.dat", "--format", "csv", "--output", "o"}, 1, "run-time error 70", Left::kKept, true},
    {{"export", "cut.dat", "--format", "csv", "--output", "o"}, 1, "1000 bytes is not a whole number of 68-byte records",
     Left::kKept},
    {{"export", "step.dat", "--network", "NET", "--format", "s1p", "--output", "o"}, 1,
     "15 records do not make whole steps of 2 elements", Left::kKept},
    {{"export", "OUT", "--network", kExamples + "every-element.dat", "--format", "csv", "--output", "o"}, 1,
     "200 records do not make whole steps of 9 elements", Left::kKept},
    {{"export", "empty.dat", "--format", "csv", "--output", "o"}, 1, "holds no records", Left::kKept},
    {{"export", "OUT", "--network", "one.dat", "--format", "csv", "--output", "o"}, 1,
     "the frequency does not change every 1 records, at record 2", Left::kKept},
    {{"export", "OUT", "--format", "s1p", "--r0", "-50", "--output", "o"}, 2, "--r0", Left::kKept},
    {{"export", "OUT", "--format", "xml", "--output", "o"}, 2, "--format", Left::kKept},
    {{"plot", "OUT", "--variable", "zmag", "--log", "0", "0.1", "--output", "o.svg"}, 1,
     "Invalid Input Data: Invalid # of Decades or Invalid Minimum Value for Log Plot", Left::kAbsent},
    {{"plot", "OUT", "--variable", "zphase", "--log", "2", "1", "--output", "o.svg"}, 1,
     "Error in Logarithmic Plotting: Log Plots cannot plot negative values! Use the Linear Plot!", Left::kWritten},
    {{"plot", "cut.dat", "--variable", "swr", "--output", "o.png"}, 1, "not a whole number", Left::kAbsent},
    {{"plot", "OUT", "--variable", "swr", "--output", "o.gif"}, 2, ".svg, .pdf or .png", Left::kAbsent},
    {{"frobnicate"}, 2, "unknown subcommand", Left::kKept},
};

TEST_F(CliTest, RefusesBadInputWithAReasonAndLeavesOtherFilesAlone) {
  const std::string network = kExamples + "two-element.dat";
  fs::copy_file(network, dir / "net.dat");
  ASSERT_EQ(Cli({"scan", network, "--lower", "1", "--upper", "30", "--output", "out.dat"}).status, 0);
  const std::string out = ReadText(dir / "out.dat");
  WriteText(dir / "cut.dat", out.substr(0, 1000));
  WriteText(dir / "step.dat", out.substr(0, 15 * 68));
  WriteText(dir / "empty.dat", "");
  WriteText(dir / "one.dat", ReadText(network).substr(0, 124));  // the first element alone
  for (const Refusal& r : kRefusals) {
    std::vector<std::string> words;
    std::string trace;
    for (const std::string& w : r.words) words.push_back(w == "NET" ? network : w == "OUT" ? "out.dat" : w), trace += w + " ";
    SCOPED_TRACE(trace);
    const fs::path output = dir / words.back();
    if (r.output == Left::kAbsent) fs::remove(output);
    if (r.output != Left::kAbsent && (words.size() < 2 || words.back() != words[1])) WriteText(output, "keep");
    const std::string before = ReadText(output);
    const fs::path locked = dir / words[std::min<std::size_t>(1, words.size() - 1)];
    // Root reads any file; the permission cases run without that power.
    if (r.unreadable) ::chmod(locked.c_str(), 0), words.insert(words.begin(), {"--bounding-set=-dac_override,-dac_read_search", TAVELIN_CLI});
    const Result run = r.unreadable ? Execute("/usr/bin/setpriv", words, dir) : Cli(words);
    if (r.unreadable) ::chmod(locked.c_str(), 0644);
    EXPECT_EQ(run.status, r.status) << run.err;
    EXPECT_NE(run.err.find(r.says), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;  // one line, the reason
    EXPECT_EQ(fs::exists(output), r.output != Left::kAbsent);
    const std::string left = ReadText(output);
    EXPECT_TRUE(r.output == Left::kWritten ? left.find("<svg") != std::string::npos
                                           : left == (r.output == Left::kKept ? before : "")) << left;
  }
  EXPECT_EQ(ReadText(dir / "net.dat"), ReadText(network));
  EXPECT_EQ(ReadText(dir / "out.dat"), out);
}

TEST_F(CliTest, AnOutputLinkKeepsPointingAndReadOnlyOrOddFilesAreRefused) {
  ASSERT_EQ(Cli({"scan", kExamples + "two-element.dat", "--lower", "1", "--upper", "30", "--output", "out"}).status, 0);
  fs::create_directory(dir / "sub"), WriteText(dir / "ro", "keep"), ::chmod((dir / "ro").c_str(), 0444);
  WriteText(dir / "kept", "keep"), fs::create_symlink("kept", dir / "link");
  EXPECT_EQ(Cli({"export", "out", "--format", "csv", "--output", "link"}).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link") && ReadText(dir / "kept").starts_with("frequency_mhz,"));
  for (const auto& [input, output, says] :
       {std::tuple{"sub", "o", "cannot read scan output file sub: not a regular file"},
        {"out", "sub", "cannot write sub: not a regular file"}, {"out", "ro", "cannot write ro: Permission denied"}}) {
    const Result run = Execute("/usr/bin/setpriv", {"--bounding-set=-dac_override", TAVELIN_CLI, "export", input,
                                                    "--format", "csv", "--output", output}, dir);
    EXPECT_EQ(run.err, std::string("tavelin-cli: ") + says + "\n");
  }
  EXPECT_EQ(ReadText(dir / "ro"), "keep");
}

TEST_F(CliTest, PlotImagesAndAPrintoutAreTheWindowsDrawingAsVectorsAndText) {
  ASSERT_EQ(Cli({"scan", kExamples + "two-element.dat", "--lower", "1", "--upper", "30", "--output", "out.dat"}).status, 0);
  for (const auto& [variable, file] : {std::pair("zmag", "p.svg"), {"vphase", "p.pdf"}, {"zmag", "p.png"}}) {
    const Result run = Cli({"plot", "out.dat", "--variable", variable, "--size", "800x600", "--output", file});
    EXPECT_EQ(run.status, 0) << run.err;
  }
  // 11 grid lines and 3 ticks, 100 markers, the title and the frequency labels 1.0, 15.5 and 30.0.
  const std::string svg = ReadText(dir / "p.svg");
  EXPECT_NE(svg.find("viewBox=\"0 0 800 600\""), std::string::npos);
  const auto count = [](const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    return std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator());
  };
  // What the SVG groups in one style (a colour attribute) hold.
  const auto styled = [](const std::string& text, const std::string& style) {
    std::string groups;
    const std::regex group(style + "[^>]*>([^<]|<[^/])*</g>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), group); it != std::sregex_iterator(); ++it) groups += it->str();
    return groups;
  };
  EXPECT_EQ(count(svg, "<polyline"), 14);
  EXPECT_EQ(count(styled(svg, "fill=\"#0000ff\""), "<(circle|ellipse)"), 100);  // QBColor 9
  for (const char* label : {">Impedance (Ohms)<", ">1.0<", ">15.5<", ">30.0<"}) EXPECT_NE(svg.find(label), std::string::npos);
  Checked({"pdf", "p.pdf", "14", "Voltage", "Phase", "(Deg)", "1.0", "15.5", "30.0"}, dir);
  const QImage png(QString::fromStdString((dir / "p.png").string()));
  EXPECT_EQ(png.size(), QSize(800, 600));  // with the blue of the left tick and the first marker
  EXPECT_TRUE(std::ranges::any_of(std::views::iota(0, 600), [&](int y) { return png.pixel(24, y) == qRgb(0, 0, 255); }));
  // A logarithmic scale of 3 decades from 10: 30 grey lines, labels 10.00 to 10000.00.
  ASSERT_EQ(Cli({"plot", "out.dat", "--variable", "zmag", "--log", "3", "10", "--output", "log.svg"}).status, 0);
  const std::string log = ReadText(dir / "log.svg");
  EXPECT_EQ(count(styled(log, "stroke=\"#808080\""), "<polyline"), 30);  // QBColor 8
  for (const char* label : {">10.00<", ">100.00<", ">1000.00<", ">10000.00<"}) EXPECT_NE(log.find(label), std::string::npos);

  // The plot window prints its plot and its two buttons as text and paths.
  testing::WindowRig rig(dir.string());
  rig.pdfPath = (dir / "print.pdf").string();
  const PlotData data{3, {1, 2, 3}, {1, 2, 3}, "Voltage (Volts)"};
  auto* window = new frmPlot(data, Reporting{rig.messages, NumberLocale{}}, rig);
  window->show();
  window->cmdPrint()->click();
  delete window;
  Checked({"pdf", "print.pdf", "14", "Voltage", "(Volts)", "1.0", "1.2", "3.0", "2.0", "Print", "OK"}, dir);
}

}  // namespace
}  // namespace tavelin
