// Every message box as the user triggers it, with the records kept, controls usable and files open.

#include <gtest/gtest.h>


#include "support/scan_rig.hpp"
#include "window_rig.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::ShownMessage;
using Boxes = std::vector<ShownMessage>;

const ShownMessage kFirstScan{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const ShownMessage kSetup{"Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup"};
const ShownMessage kNoRecords{"There are no records - make sure the file is opened!", "Error - No Records"};
const ShownMessage kNoPoints{"No Elements in Network or not enough records - Check Input Data!", "Error"};
const ShownMessage kLogRefused{"Invalid # of Decades or Invalid Minimum Value for Log Plot", "Invalid Input Data"};
ShownMessage Status(int steps) {
  return {"All records processed over the range of " + std::to_string(steps) + " frequencies.", "Status"};
}
ShownMessage OpenError(const std::string& text) { return {text, "Error in Opening Archive Record File"}; }

int OpenDescriptors() {
  return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

class Outcomes : public ::testing::Test {
 public:
  Outcomes() { fs::create_directory(program); }
  void Net(const std::string& text, int steps = 3) {
    testing::WriteBytes(folder.File("net.dat"), EncodeElementFile(ParseNetworkText(text)));
    rig.Open(folder.File("net.dat"));
    w.State().StepCount = static_cast<std::int16_t>(steps);
  }
  void Zeros(std::uintmax_t size) {
    testing::WriteBytes(folder.File("zeros.dat"), {});
    fs::resize_file(folder.File("zeros.dat"), size);
    rig.Open(folder.File("zeros.dat"));
  }
  void Scan(const std::string& net, const char* lower, const char* upper, int steps = 3) {
    Net(net, steps);
    rig.messages.shown.clear();
    rig.Scan(lower, upper);
  }
  // A scanned network of 3 steps, the boxes so far forgotten, then text typed into a plot box.
  void Plot(int variable, bool log, QLineEdit* box = nullptr, const char* text = "") {
    Net("SeriesC 100 rload=50\nShuntC 100\n");
    rig.Scan("1", "3");
    if (box) box->setText(text);
    w.optLogLin(log ? 0 : 1)->click();
    rig.messages.shown.clear();
    rig.Compute(variable);
  }

  testing::TempDir folder;
  const fs::path program = folder.Path() / "prog";
  const std::string output = (program / "TavelinOutput.dat").string();
  testing::WindowRig rig{program.string()};
  frmArchiveProcessor& w = rig.window;
};

struct Row {
  const char* name;
  std::function<void(Outcomes&)> act;
  Boxes shown;
  int records = 0;  // OutputRecordCount afterwards
  bool scanUsable = true, plotUsable = false, plotShown = false;
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class Messages : public Outcomes, public ::testing::WithParamInterface<Row> {};

TEST_P(Messages, AreShownWordForWordAndLeaveTheStateTheyName) {
  const Row& row = GetParam();
  row.act(*this);
  EXPECT_EQ(rig.messages.shown, row.shown);
  EXPECT_EQ(w.State().OutputRecordCount, row.records);
  EXPECT_EQ(w.cmdBeginScan()->isEnabled(), row.scanUsable);
  EXPECT_EQ(w.cmdCompute()->isEnabled() && w.frPlotSetup()->isEnabled(), row.plotUsable);
  EXPECT_EQ(rig.PlotShown(), row.plotShown);
  EXPECT_EQ(rig.end.calls, 0);
}

const char* const kModelFault =
    "Run-time error 11 (Division by zero) at element 2 of 3, frequency 14.1999998092651 MHz. The scan was "
    "stopped; the records written before it are kept.";
const ShownMessage kLossyLine{
    "Error 6 occurred in the LossyLine routine - Please check the entered values for accuracy!",
    "Corvane Common Error Handler"};

INSTANTIATE_TEST_SUITE_P(Rows, Messages, ::testing::Values(
    Row{"ListingOfEveryElement", [](Outcomes& t) { t.Net("SeriesL 1.0 rload=50\nShuntR 0.12345\nSeriesL 0.25\n9 7.5\n"); },
        {{"Element 1 is type SeriesL with value = 1.000", "Tavelin"}, {"Element 2 is type ShuntR with value = 0.1235", "Tavelin"},
         {"Element 3 is type SeriesL with value = 0.250", "Tavelin"}, {"Element 4 is type  with value = 0.000", "Tavelin"}}},
    Row{"DialogCancelled", [](Outcomes& t) { t.rig.Open(""); }, {OpenError("User canceled file open!")}, 0, false},
    Row{"FolderChosen", [](Outcomes& t) { t.rig.Open(t.folder.Path().string()); }, {OpenError("File open error, 75")}, 0, false},
    Row{"CountBeyond16Bits", [](Outcomes& t) { t.Zeros(32767 * 124 + 62); }, {OpenError("File open error, 6")}, 0, false},
    Row{"CompleteScan", [](Outcomes& t) { t.Scan("SeriesL 1 rload=50\nShuntC 100\n", "1", "3"); },
        {kFirstScan, Status(3)}, 6, true, true},
    Row{"SecondScanFindsItsFile", [](Outcomes& t) { t.Net("SeriesR 1 rload=50\n", 2); t.rig.Scan("1", "3"); t.rig.messages.shown.clear(); t.rig.Scan("1", "3"); },
        {Status(2)}, 2, true, true},
    Row{"BoundsEqual", [](Outcomes& t) { t.Scan("SeriesR 1 rload=50\n", "5", "5"); }, {kFirstScan, kSetup}, 0, true, true},
    Row{"LowerBoundZero", [](Outcomes& t) { t.Scan("SeriesR 1 rload=50\n", "0", "5"); }, {kFirstScan, kSetup}, 0, true, true},
    Row{"UpperBeyondSinglePrecision", [](Outcomes& t) { t.Scan("SeriesR 1 rload=50\n", "1", "3.4028235677973366e38"); },
        {kFirstScan, kSetup}, 0, true, true},
    Row{"EmptyNetwork", [](Outcomes& t) { t.Zeros(0); t.rig.Scan("1", "2"); }, {kFirstScan, kNoRecords}, 0, true, true},
    Row{"EmptyNetworkAndBadBounds", [](Outcomes& t) { t.Zeros(0); t.rig.Scan("2", "1"); }, {kFirstScan, kSetup}, 0, true, true},
    Row{"FaultInAModel", [](Outcomes& t) { t.Scan("SeriesR 10 rload=50\nShuntC 0\nSeriesR 5\n", "14.2", "20"); },
        {kFirstScan, {kModelFault, "Error in Scan"}}, 1, true, true},
    Row{"LineLossBeyondTheExponential", [](Outcomes& t) { t.Scan("SerTransLine 10 rload=50 z0=50 loss=1e6 vf=1\n", "1", "3", 2); },
        {kFirstScan, kLossyLine, kLossyLine, Status(2)}, 2, true, true},
    Row{"FolderInPlaceOfTheOutputFile", [](Outcomes& t) { t.Net("SeriesR 1 rload=50\n"); fs::create_directory(t.output); t.rig.messages.shown.clear(); t.rig.Scan("1", "3"); },
        {kFirstScan, {"Error 75 while creating new output file!", "Warning"}, {"File open error, 75", "Fatal Error in Opening Network Data File"}}},
    Row{"NextScanOnceTheFolderIsGone", [](Outcomes& t) { t.Net("SeriesR 1 rload=50\n"); fs::create_directory(t.output); t.rig.Scan("1", "3"); fs::remove(t.output); t.Scan("SeriesR 1 rload=50\n", "1", "3"); },
        {kFirstScan, Status(3)}, 3, true, true},
    Row{"PlotBeforeAnyRecord", [](Outcomes& t) { t.Zeros(0); t.rig.Scan("1", "2"); t.rig.messages.shown.clear(); t.rig.Compute(0); }, {kNoPoints}, 0, true, true},
    Row{"LogMinValueZero", [](Outcomes& t) { t.Plot(2, true, t.w.txtMinValue(), "0"); }, {kLogRefused}, 6, true, true},
    Row{"LogDecadesRoundToZero", [](Outcomes& t) { t.Plot(2, true, t.w.txtDecades(), "0.4"); }, {kLogRefused}, 6, true, true},
    Row{"LinearMinValueZero", [](Outcomes& t) { t.Plot(2, false, t.w.txtMinValue(), "0"); }, {}, 6, true, true, true},
    Row{"LogOfNegativePhases", [](Outcomes& t) { t.Plot(3, true); },
        {{"Log Plots cannot plot negative values! Use the Linear Plot!", "Error in Logarithmic Plotting"}}, 6, true, true, true},
    Row{"NormalizerNotANumber", [](Outcomes& t) { t.Plot(6, false, t.w.txtNormalizer(), "abc"); },
        {{"The Normalizer for SWR box must hold a number.", "Invalid Input Data"}}, 6, true, true},
    Row{"DecadesLargest16Bit", [](Outcomes& t) { t.Plot(2, true, t.w.txtDecades(), "32767.49"); },
        {{"Error Code 6", "Error in Drawing Log Horiz Grid"}}, 6, true, true, true},
    Row{"DecadesBeyond16Bits", [](Outcomes& t) { t.Plot(2, true, t.w.txtDecades(), "32767.5"); },
        {{"The Decades for Log Plot box must hold a number from -32768 to 32767.", "Invalid Input Data"}}, 6, true, true},
    Row{"MinValueLargestSingle", [](Outcomes& t) { t.Plot(2, true, t.w.txtMinValue(), "3.4028235677973362e38"); }, {}, 6, true, true, true},
    Row{"MinValueBeyondSinglePrecision", [](Outcomes& t) { t.Plot(2, true, t.w.txtMinValue(), "3.4028235677973366e38"); },
        {{"The Min. Value for Log Plot box holds a number too large to use.", "Invalid Input Data"}}, 6, true, true}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST_F(Outcomes, RecordCountRoundsAPartialRecordHalvesToEven) {
  const std::pair<std::uintmax_t, int> cases[] = {
      {61, 0}, {3 * 124 + 61, 3}, {3 * 124 + 62, 4}, {3 * 124 + 63, 4}, {2 * 124 + 62, 2}, {32767 * 124 + 61, 32767}};
  for (const auto& [size, count] : cases) {
    rig.messages.shown.clear();
    Zeros(size);
    EXPECT_EQ(w.lblElementsInNetwork()->text(), QStringLiteral("Elements In Network: %1").arg(count));
    ASSERT_EQ(rig.messages.shown.size(), static_cast<std::size_t>(count)) << size;
    const std::string last = "Element " + std::to_string(count) + " is type SeriesR with value = 0.000";
    EXPECT_EQ(count ? rig.messages.shown.back().text : last, last);
  }
}

// From another current folder, which holds a help file of its own that must not be taken for the program's.
TEST_F(Outcomes, HelpOpensTheFileBesideTheProgramOrSaysWhereItLooked) {
  testing::TempDir elsewhere;
  testing::WriteBytes(elsewhere.File("Rizezuz.chm"), {});
  const fs::path saved = fs::current_path();
  fs::current_path(elsewhere.Path());
  const std::string path = program.string() + "/Rizezuz.chm";
  w.mnuHelpHelp()->trigger();
  testing::WriteBytes(path, {});
  w.mnuHelpHelp()->trigger();
  fs::create_symlink("loop", folder.File("loop"));  // a folder that cannot be searched is no missing file
  ShowHelpFile("Rizezuz.chm", HelpEnvironment{folder.File("loop"), rig, rig.messages});
  rig.shellError = 57;
  w.mnuHelpHelp()->trigger();
  fs::current_path(saved);
  EXPECT_EQ(rig.messages.shown, (Boxes{{"HTML Help File Not Found \r\n" + path, "Tavelin"},
                                       {"Error in Invoking Help!\r\nError Code = 57", "Tavelin"}}));
  ASSERT_EQ(rig.requests.size(), 1u);
  EXPECT_EQ(std::tuple(rig.requests[0].operation, rig.requests[0].file, rig.requests[0].showCommand), std::tuple("Open", path, 1));
  EXPECT_FALSE(rig.requests[0].parameters || rig.requests[0].directory);
}

// Every path many times over: no more descriptors than after the first time, and none after Exit.
TEST_F(Outcomes, EveryFileIsClosedOnEveryPath) {
  const int before = OpenDescriptors();
  const auto round = [this] {
    Net("SeriesR 10 rload=50\nShuntC 0\n");
    rig.Open("");
    rig.Open(folder.Path().string());
    rig.Open(folder.File("net.dat"));
    rig.Scan("1", "3");   // stopped by the fault
    rig.Scan("3", "1");   // refused
    Net("SeriesR 10 rload=50\n");
    rig.Scan("1", "3");   // complete
    rig.Compute(0);
    w.show();
    const int open = OpenDescriptors();
    w.close();  // with the plot window open: the file read for it is closed
    EXPECT_EQ(OpenDescriptors(), open - 1);
    w.PlotWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  };
  round();
  const int after = OpenDescriptors();
  for (int i = 0; i < 30; ++i) round();
  EXPECT_EQ(OpenDescriptors(), after);
  EXPECT_LE(after, before + 3);  // the network, the output file for writing and for reading
  w.mnuFileExit()->trigger();
  EXPECT_EQ(OpenDescriptors(), before);
}

// A scan that a run-time error stopped leaves nothing behind: the next scan starts from 1 V on the load.
TEST_F(Outcomes, AScanAfterAStoppedScanStartsAfresh) {
  Net("SeriesR 10 rload=50\nSeriesL 1\nShuntC 0\n");
  rig.Scan("1", "3");
  ASSERT_EQ(w.State().OutputRecordCount, 2);
  Net("SeriesR 50 rload=50 extra=-2\n", 2);
  rig.Scan("1", "3");
  const auto out = testing::ReadOutput(output);
  ASSERT_EQ(out.size(), 2u);
  for (const auto& r : out) {
    EXPECT_EQ(r.node, (std::array<double, 6>{2, 0, 0.02, 0, 100, 0}));
    EXPECT_EQ(std::tuple(r.value, r.type, r.extra), std::tuple(50.0, std::int16_t{0}, std::int16_t{-2}));
  }
}

}  // namespace
}  // namespace tavelin
