// Bad input of every kind a user or a file can give, through the real main window and steps dialog.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include "app/configure_dialog.hpp"
#include "network/element_record.hpp"
#include "network/network_text.hpp"
#include "support/as_any_user.hpp"
#include "support/temp_dir.hpp"
#include "window_rig.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::ShownMessage;
using Boxes = std::vector<ShownMessage>;
using Bytes = std::vector<std::byte>;
using testing::AsAnyUser;

const ShownMessage kFirstScan{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const ShownMessage kNoRecords{"No Elements in Network or not enough records - Check Input Data!", "Error"};
Bytes Encode(const std::string& text) { return EncodeElementFile(ParseNetworkText(text)); }
ShownMessage Status(int steps) {
  return {"All records processed over the range of " + std::to_string(steps) + " frequencies.", "Status"};
}

// Sets or clears the immutable attribute; false where the file system has none.
bool SetImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  int flags = 0;
  bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
  ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

class BadInputTest;
using Action = std::function<void(BadInputTest&)>;

// A row: a network opened, perhaps another path chosen in File > Open, the steps set or typed, an
// obstacle in the way, a scan between the bounds as typed; then every variable plotted, or one plot
// with a box given text.
struct Row {
  std::string name;
  Bytes network = Encode("SeriesL 1.0 rload=50\nShuntC 100\n");
  Action chosen{};        // makes t.path, which File > Open refuses with ...
  std::string refusal{};  // ... this
  std::optional<std::string> stepsText{};  // typed into the steps dialog over 100, which must store ...
  int steps = 5;                           // ... this, or set
  std::function<std::shared_ptr<void>(BadInputTest&)> obstacle{};  // what it returns lives through the scan
  std::string lower = "1", upper = "30";
  Boxes scanned{};  // what the scan shows, when not the usual
  QLineEdit* frmArchiveProcessor::*box = nullptr;
  std::string text{};
  int variable = 0;
  bool log = false;
  ShownMessage plotted{};  // the box the plot shows; after a drawing error the rest is drawn
  NumberLocale locale{};
  Action run{};       // a row that does it all itself
  bool ends = false;  // the program must end
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class BadInputTest : public ::testing::TestWithParam<Row> {
 public:
  BadInputTest() { fs::create_directory(program); }
  static std::optional<Bytes> Snapshot(const std::string& file) {
    return fs::is_regular_file(file) ? std::optional(testing::ReadBytes(file)) : std::nullopt;
  }
  // Writes an element file that must stay as written for the rest of the row.
  std::string Write(const std::string& name, const Bytes& bytes) {
    testing::WriteBytes(path = folder.File(name), bytes);
    kept[path] = bytes;
    return path;
  }
  // Opens the good network and scans it when asked; from here on the output file may change only
  // through a scan.
  void OpenGood(int scanSteps = 0) {
    rig.Open(Write("good.dat", Row{}.network));
    if (scanSteps > 0) window.State().StepCount = static_cast<std::int16_t>(scanSteps);
    if (scanSteps > 0) rig.Scan("1", "30");
    shown.clear();
    scansBefore = rig.scans;
    outputBefore = Snapshot(output);
  }

  testing::TempDir folder;
  const fs::path program = folder.Path() / "prog";
  const std::string output = (program / "TavelinOutput.dat").string();
  testing::WindowRig rig{program.string(), GetParam().locale};
  frmArchiveProcessor& window = rig.window;
  Boxes& shown = rig.messages.shown;
  std::map<std::string, std::optional<Bytes>> kept;
  int scansBefore = 0;
  std::optional<Bytes> outputBefore;
  std::string path;  // the file a row's input is made of
  std::string skip;  // why the row cannot run here
};

void Exercise(BadInputTest& t, const Row& r) {
  t.rig.Open(t.Write("net.dat", r.network));
  const auto elements = static_cast<int>(std::nearbyint(static_cast<double>(r.network.size()) / 124));
  EXPECT_EQ(t.shown.size(), static_cast<std::size_t>(elements)) << "one listing box for each record";
  t.shown.clear();
  if (r.chosen) {  // the network open before stays open, and is scanned below; no other file is left open
    r.chosen(t);
    if (!t.skip.empty() || ::testing::Test::HasFatalFailure()) return;
    const std::int16_t free = t.window.ProgramServices().files.FreeFile();
    AsAnyUser([&t] { t.rig.Open(t.path); });
    EXPECT_EQ(t.shown, (Boxes{{r.refusal, "Error in Opening Archive Record File"}}));
    EXPECT_EQ(t.window.ProgramServices().files.FreeFile(), free);
    t.shown.clear();
  }
  t.window.State().StepCount = static_cast<std::int16_t>(r.stepsText ? 100 : r.steps);
  if (r.stepsText) {  // a refused entry keeps the dialog open until the user closes it
    frmConfigure dialog(&t.window, t.rig.messages, t.window.State().StepCount);
    dialog.show();
    dialog.txtNumberOfSteps->setText(QString::fromStdString(*r.stepsText));
    dialog.cmdOK->click();
    if (dialog.isVisible()) dialog.reject();
  }
  {
    const std::shared_ptr<void> obstacle = r.obstacle ? r.obstacle(t) : nullptr;
    t.rig.Scan(r.lower, r.upper);
  }
  const auto size = static_cast<int>(testing::ReadBytes(t.output).size());
  const int records = size / 68;
  EXPECT_EQ(size % 68, 0) << "a partial record in the output file";
  EXPECT_EQ(t.window.State().OutputRecordCount, records);
  const bool whole = elements > 0 && records == std::max(r.steps, 0) * elements;
  if (!r.scanned.empty()) {
    EXPECT_EQ(t.shown, r.scanned);
  } else {  // the status only when every record was written
    ASSERT_GE(t.shown.size(), 2u);
    EXPECT_EQ(t.shown.front(), kFirstScan);
    const ShownMessage noRecords{"There are no records - make sure the file is opened!", "Error - No Records"};
    const ShownMessage stopped{t.shown.back().text, "Error in Scan"};
    EXPECT_EQ(t.shown.back(), elements == 0 ? noRecords : whole ? Status(r.steps) : stopped);
  }
  if (r.box) {
    (t.window.*r.box)->setText(QString::fromStdString(r.text));
    t.window.optLogLin[r.log ? 0 : 1]->click();
    t.shown.clear();
    t.rig.Compute(r.variable);
    EXPECT_EQ(t.shown, Boxes{r.plotted});
    EXPECT_EQ(t.rig.PlotShown(), r.plotted.title.starts_with("Error in Drawing"));
    return;
  }
  for (int variable = 0; variable < 7; ++variable) {
    t.shown.clear();
    t.rig.Compute(variable);
    const PlotData& plot = t.window.Plot();
    int drawn = 0;
    for (std::size_t i = 0; i < plot.PlotValues.size(); ++i) {
      drawn += std::isfinite(plot.PlotValues[i]) && std::fabs(plot.PlotValues[i]) <= 1e38 &&
               std::isfinite(plot.PlotFrequencies[i]) && std::fabs(plot.PlotFrequencies[i]) <= 1e38;
    }
    // The complex routines may speak first; then one word when nothing or not everything is plotted.
    std::erase_if(t.shown, [](const ShownMessage& m) { return m.title.starts_with("Complex Arithmetic Module"); });
    const bool none = elements == 0 || records < elements;
    EXPECT_EQ(plot.PointCount, none ? 0 : static_cast<int>(std::nearbyint(1.0 * records / elements)));
    const Boxes word{{t.shown.empty() ? "" : t.shown[0].text, "Points Not Plotted"}};
    EXPECT_EQ(t.shown, none ? Boxes{kNoRecords} : drawn == plot.PointCount ? Boxes{} : word);
    EXPECT_TRUE(drawn == 0 || t.rig.PlotShown());
  }
}

// After every row: the element files are as written, the output file changed only through a scan, and
// a good network still opens, scans and plots.
TEST_P(BadInputTest, IsHandledAndLeavesTheProgramUsable) {
  const Row& row = GetParam();
  row.run ? row.run(*this) : Exercise(*this, row);
  if (!skip.empty()) GTEST_SKIP() << skip;
  EXPECT_EQ(rig.end.calls, row.ends ? 1 : 0);
  for (const auto& [file, bytes] : kept) EXPECT_EQ(Snapshot(file), bytes) << file << " was changed or deleted";
  if (rig.scans == scansBefore || row.ends) {
    EXPECT_EQ(Snapshot(output), outputBefore) << "the output file changed without a scan";
  }
  if (row.ends || HasFatalFailure()) return;
  OpenGood(3);
  window.txtNormalizer->setText("50");
  rig.Compute(2);
  EXPECT_EQ(shown, Boxes{});
  EXPECT_EQ(window.Plot().PointCount, 3);
}

std::vector<Row> AllRows() {
  std::vector<Row> rows;
  // Element files: a resistor carrying the load, the element under test, a shunt capacitor.
  const auto three = [](const std::string& middle) {
    return ParseNetworkText("SeriesR 10 rload=50 xload=25\n" + middle + "\nShuntC 47\n");
  };
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::pair<const char*, double> bad[] = {{"NaN", std::nan("")}, {"PlusInfinity", kInf}, {"MinusInfinity", -kInf},
                                                {"Denormal", std::numeric_limits<double>::denorm_min()}, {"Huge", 1e308}};
  using R = ElementRecord;
  // Every field a model reads (the load's in the first record), with the types of the middle element that read it.
  const std::tuple<const char*, double R::*, std::vector<std::int16_t>> fields[] = {
      {"Value", &R::ElementValue, {0, 1, 2, 3, 4, 5, 6, 7, 8}}, {"LoadResistance", &R::LoadResistance, {0}},
      {"LoadReactance", &R::LoadReactance, {0}}, {"Z0Resistance", &R::LineZ0Resistance, {6, 7, 8}},
      {"Z0Reactance", &R::LineZ0Reactance, {6, 7, 8}}, {"LineLoss", &R::LineLoss, {6, 7, 8}},
      {"VelocityFactor", &R::VelocityFactor, {6, 7, 8}}, {"OpenEndResistance", &R::OpenEndResistance, {6}},
      {"OpenEndCapacitance", &R::OpenEndCapacitance, {6}}, {"ShortEndResistance", &R::ShortEndResistance, {7}},
      {"ShortEndInductance", &R::ShortEndInductance, {7}}};
  for (const auto& [field, member, types] : fields) {
    for (std::int16_t type : types) {
      for (const auto& [badName, value] : bad) {
        const bool load = member == &R::LoadResistance || member == &R::LoadReactance;
        auto records = three(ElementTypeName(type) + std::string(" 1 z0=50 loss=.8 vf=.66 ropen=1e9 copen=.5 "
                                                                 "rshort=.01 lshort=.001"));
        records[load ? 0 : 1].*member = value;
        rows.push_back({.name = field + std::string(badName) + (load ? "" : std::string("_") + ElementTypeName(type)),
                        .network = EncodeElementFile(records)});
      }
    }
  }
  for (std::size_t at : {0, 1}) {
    for (std::int16_t code : {std::int16_t{-32768}, std::int16_t{32767}}) {
      auto records = three("SeriesL 0.5");
      records[at].ElementType = code;
      rows.push_back({.name = std::string("TypeCode") + (code < 0 ? "Minus32768" : "32767") + (at ? "Middle" : "First"),
                      .network = EncodeElementFile(records)});
    }
  }
  rows.push_back({.name = "AllBytesFFOneRecord", .network = Bytes(124, std::byte{0xFF})});
  Bytes ff = EncodeElementFile(three("SeriesL 0.5"));
  std::fill(ff.begin() + 124, ff.begin() + 248, std::byte{0xFF});
  rows.push_back({.name = "AllBytesFFMiddleRecord", .network = ff});
  const Bytes four = EncodeElementFile(three("ShuntL 2.2\nSeriesL 0.5"));
  for (std::ptrdiff_t length : {1, 123, 125, 3 * 124 + 61, 3 * 124 + 62, 3 * 124 + 63}) {
    rows.push_back({.name = "Length" + std::to_string(length), .network = Bytes(four.begin(), four.begin() + length)});
  }
  // Bounds that are numbers but far from radio: every element model at the edges of the number range.
  const Bytes every = testing::ReadBytes(std::string(TAVELIN_SOURCE_DIR) + "/examples/every-element.dat");
  rows.push_back({.name = "EveryElementAtTinyFrequencies", .network = every, .lower = "1e-30", .upper = "2e-30"});
  rows.push_back({.name = "EveryElementAtSubnormalFrequencies", .network = every, .lower = "1e-40", .upper = "1e-38"});
  rows.push_back({.name = "EveryElementAtHugeFrequencies", .network = every, .lower = "1e37", .upper = "3e38"});
  // The disk fills in the middle of a record; the element file is deleted, or cut short, before the scan.
  rows.push_back({.name = "DiskFullDuringScan", .network = EncodeElementFile(three("ShuntL 2.2")), .steps = 2000,
                  .obstacle = [](BadInputTest&) { return std::make_shared<testing::FileSizeLimit>(1505 * 68 + 40); }});
  const std::pair<const char*, std::optional<std::uintmax_t>> changes[] = {
      {"ElementFileDeletedBeforeScan", std::nullopt}, {"ElementFileEmptiedBeforeScan", 0},
      {"ElementFileCutMidRecordBeforeScan", 124 + 30}, {"ElementFileCutInLastRecordBeforeScan", 2 * 124 + 80}};
  for (const auto& [name, size] : changes) {
    rows.push_back({.name = name, .network = EncodeElementFile(three("ShuntL 2.2")), .steps = 4,
                    .obstacle = [size](BadInputTest& t) {
                      size ? fs::resize_file(t.path, *size) : void(fs::remove(t.path));
                      t.kept[t.path] = BadInputTest::Snapshot(t.path);
                      return std::shared_ptr<void>();
                    }});
  }

  // What File > Open is given instead of an element file.
  const auto chosen = [&rows](std::string name, Action make, std::string refusal) {
    rows.push_back({.name = std::move(name), .chosen = std::move(make), .refusal = std::move(refusal)});
  };
  chosen("DialogCancelled", [](BadInputTest& t) { t.path = ""; }, "User canceled file open!");
  chosen("MissingFolderChosen", [](BadInputTest& t) { t.path = t.folder.File("no/such/folder/net.dat"); },
         "File open error, 76");
  chosen("MoreRecordsThanACountHolds", [](BadInputTest& t) {
    fs::resize_file(t.Write("huge.dat", {}), 32768 * 124);
    t.kept.erase(t.path);
  }, "File open error, 6");
  chosen("DirectoryChosen", [](BadInputTest& t) { fs::create_directory(t.path = t.folder.File("a-folder")); },
         "File open error, 75");
  chosen("UnreadableFileChosen", [](BadInputTest& t) {
    fs::permissions(t.Write("locked.dat", Encode("SeriesR 1 rload=50")), fs::perms::none);
    AsAnyUser([&t] {
      const int fd = ::open(t.path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd >= 0 && ::close(fd) == 0) t.skip = "this user reads every file";
    });
  }, "File open error, 70");
  // A pipe opened for reading would wait for a writer that never comes.
  for (const auto& [name, mode] : {std::pair{"ReadOnlyPipeChosen", S_IFIFO | 0444}, {"SocketChosen", S_IFSOCK | 0644}}) {
    chosen(name, [mode](BadInputTest& t) { ASSERT_EQ(::mknod((t.path = t.folder.File("node")).c_str(), mode, 0), 0); },
           "File open error, 75");
  }
  chosen("SymlinkLoopChosen", [](BadInputTest& t) {
    fs::create_symlink(t.folder.File("loop-b"), t.path = t.folder.File("loop-a"));
    fs::create_symlink(t.path, t.folder.File("loop-b"));
  }, "File open error, 75");

  // The program folder gone (after a scan its results go with it: nothing is plotted from them), or a
  // folder of the output file's name; neither is put right behind the user's back.
  const std::tuple<const char*, int, int> obstacles[] = {
      {"ProgramFolderMissing", 0, 76}, {"ProgramFolderMissingAfterAScan", 5, 76}, {"FolderInPlaceOfOutputFile", 0, 75}};
  for (const auto& [name, before, error] : obstacles) {
    rows.push_back({.name = name, .run = [before, error](BadInputTest& t) {
                      t.OpenGood(before);
                      error == 76 ? fs::remove_all(t.program) : fs::create_directory(t.output);
                      t.rig.Scan("1", "30");
                      t.rig.Compute(0);
                      const std::string e = std::to_string(error);
                      Boxes expected{kFirstScan, {"Error " + e + " while creating new output file!", "Warning"},
                                     {"File open error, " + e, "Fatal Error in Opening Network Data File"}};
                      if (before) expected.push_back(kNoRecords);
                      EXPECT_EQ(t.shown, expected);
                      EXPECT_FALSE(t.rig.PlotShown());
                      EXPECT_TRUE(error == 76 ? fs::create_directory(t.program)
                                              : fs::is_directory(t.output) && fs::remove(t.output));
                    }});
  }
  rows.push_back({.name = "OutputFileThatMayNotBeDeleted", .run = [](BadInputTest& t) {
                    t.OpenGood(5);
                    if (!SetImmutable(t.output, true)) t.skip = "no immutable attribute on this file system";
                    if (!t.skip.empty()) return;
                    t.rig.Scan("1", "30");
                    SetImmutable(t.output, false);
                    EXPECT_EQ(t.shown, (Boxes{{"Permission to delete output file denied - Aborting!",
                                               "Program Shutting Down"}}));
                  }, .ends = true});

  // Text in every box: the bounds, the plot boxes, the steps dialog.
  const auto number = [](const std::string& box, bool tooLarge) {
    return ShownMessage{"The " + box + (tooLarge ? " box holds a number too large to use." : " box must hold a number."),
                        "Invalid Input Data"};
  };
  const Boxes setup{kFirstScan, {"Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup"}};
  const Boxes stepsRefused{{kStepCountRangeMessage, "Tavelin"}, kFirstScan, Status(100)};
  using W = frmArchiveProcessor;
  const std::tuple<const char*, QLineEdit* W::*, const char*, int, bool> boxes[] = {
      {"Normalizer", &W::txtNormalizer, "Normalizer for SWR", 6, false},
      {"Decades", &W::txtDecades, "Decades for Log Plot", 0, false},
      {"MinValue", &W::txtMinValue, "Min. Value for Log Plot", 0, true}};
  const std::tuple<const char*, std::string, bool> texts[] = {  // the last: a number beyond the double range
      {"Empty", "", false}, {"Blank", "   \t ", false}, {"CommaInCLocale", "1,5", false}, {"Beyond1e308", "1e999", true},
      {"FourHundredDigits", "1" + std::string(399, '0'), true}, {"Symbols", "#$%&*!", false}};
  for (const auto& [name, text, tooLarge] : texts) {
    rows.push_back({.name = std::string("LowerBound") + name, .lower = text, .scanned = setup});
    rows.push_back({.name = std::string("UpperBound") + name, .upper = text, .scanned = setup});
    for (const auto& [boxName, box, caption, variable, log] : boxes) {
      rows.push_back({.name = boxName + std::string(name), .box = box, .text = text, .variable = variable, .log = log,
                      .plotted = number(caption, tooLarge)});
    }
    rows.push_back({.name = std::string("Steps") + name, .stepsText = text, .steps = tooLarge ? 100 : (text == "1,5"),
                    .scanned = tooLarge ? stepsRefused : Boxes{}});
  }
  rows.push_back({.name = "StepsNegative", .stepsText = "-7", .steps = -7});
  rows.push_back({.name = "StepsHexBeyond16Bits", .stepsText = "&H10000", .steps = 100, .scanned = stepsRefused});
  const NumberLocale comma{",", ".", "-"};
  rows.push_back({.name = "LowerBoundBeyondSinglePrecision", .lower = "1e39", .upper = "1e40", .scanned = setup});
  rows.push_back({.name = "LowerBoundNotANumberWord", .lower = "nan", .scanned = setup});
  rows.push_back({.name = "UpperBoundInfinityWord", .upper = "inf", .scanned = setup});
  rows.push_back({.name = "LowerBoundPointInCommaLocale", .lower = "1.5", .scanned = setup, .locale = comma});
  rows.push_back({.name = "UpperBoundGroupedInCommaLocale", .upper = "3.000", .scanned = setup, .locale = comma});
  // 32767 decades run out of doubles after 308 and say so, and 50 ohms over 1.4e-45 are beyond single
  // precision.
  const ShownMessage logRefused{"Invalid # of Decades or Invalid Minimum Value for Log Plot", "Invalid Input Data"};
  const std::tuple<const char*, QLineEdit* W::*, const char*, int, bool, ShownMessage> plots[] = {
      {"NormalizerZero", &W::txtNormalizer, "0", 6, false,
       {"Nothing to plot: every value is infinite, undefined or too large to plot.", "Points Not Plotted"}},
      {"DecadesBeyond16Bits", &W::txtDecades, "40000", 0, false,
       {"The Decades for Log Plot box must hold a number from -32768 to 32767.", "Invalid Input Data"}},
      {"DecadesLargestOnLogScale", &W::txtDecades, "32767", 2, true, {"Error Code 6", "Error in Drawing Log Horiz Grid"}},
      {"DecadesZeroOnLogScale", &W::txtDecades, "0.4", 2, true, logRefused},
      {"MinValueBeyondSinglePrecision", &W::txtMinValue, "1e39", 2, true, number("Min. Value for Log Plot", true)},
      {"MinValueTinyOnLogScale", &W::txtMinValue, "1e-45", 2, true, {"Error Code 6", "Error in Drawing Log Curve"}},
      {"MinValueBelowSinglePrecision", &W::txtMinValue, "1e-50", 2, true, logRefused}};
  for (const auto& [name, box, text, variable, log, plotted] : plots) {
    rows.push_back({.name = name, .box = box, .text = text, .variable = variable, .log = log, .plotted = plotted});
  }
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInputTest, ::testing::ValuesIn(AllRows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
}  // namespace tavelin
