// Bad input of every kind a user or a file can give, driven through the real main window (and the
// real steps dialog). Each row names the input and what the program must do about it; after every
// row the element files are as they were written, the output file was only replaced by a scan, and
// a good network can still be opened, scanned and plotted.

#include "app/main_window.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <bit>
#include <cmath>
#include <complex>
#include <csignal>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <ostream>

#include "app/configure_dialog.hpp"
#include "network/network_text.hpp"
#include "plot/recording_surface.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::RecordingEnd;
using testing::RecordingMessages;
using testing::TempDir;

// A message box as these tests compare and print it.
struct Box {
  std::string text;
  std::string title;
  bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
  return out << "{\"" << box.text << "\", \"" << box.title << "\"}";
}

std::vector<Box> Boxes(const std::vector<testing::ShownMessage>& shown) {
  std::vector<Box> boxes;
  for (const auto& m : shown) boxes.push_back({m.text, m.title});
  return boxes;
}

static_assert(std::endian::native == std::endian::little, "the files are read back byte by byte");

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();

const Box kFirstScanWarning{"Unable to find the file to be deleted! - Continuing!", "Warning"};
const std::string kOpenTitle = "Error in Opening Archive Record File";
const std::string kInvalidInput = "Invalid Input Data";

// ---- fakes of the world outside the window ----

class QueuedFileDialog : public FileDialog {
 public:
  std::string GetOpenFileName(QWidget*) override {
    if (names.empty()) return {};
    std::string name = names.front();
    names.pop_front();
    return name;
  }
  std::deque<std::string> names;
};

class NoPrinters : public PrinterService {
 public:
  bool Prepare(QPrinter&, QWidget*) override { return false; }
};

class NoStarter : public ProgramStarter {
 public:
  bool Start(const std::string&) override { return false; }
};

class NoShell : public DocumentShell {
 public:
  bool Perform(const DocumentRequest&) override { return false; }
};

// Takes from this thread the capabilities that let root open any file, so that a file without read
// permission is unreadable as it is for everyone else. Does nothing for other users.
class WithoutFileOverride {
 public:
  WithoutFileOverride() {
    if (::geteuid() != 0) return;
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (::syscall(SYS_capget, &header_, saved_.data()) != 0) return;
    auto reduced = saved_;
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    dropped_ = ::syscall(SYS_capset, &header_, reduced.data()) == 0;
  }
  ~WithoutFileOverride() {
    if (dropped_) ::syscall(SYS_capset, &header_, saved_.data());
  }
  WithoutFileOverride(const WithoutFileOverride&) = delete;
  WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;

 private:
  __user_cap_header_struct header_{};
  std::array<__user_cap_data_struct, 2> saved_{};
  bool dropped_ = false;
};

// A disk that is full after `bytes` bytes of any file this process writes.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old_;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit old_ {};
  void (*oldSignal_)(int) = nullptr;
};

// Sets or clears the immutable attribute; false where the file system has none.
bool SetImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

// ---- reading the files back by the layouts, independently of the program's own decoders ----

double DoubleAt(const std::vector<std::byte>& bytes, std::size_t offset) {
  std::array<std::byte, 8> b{};  // bytes beyond the end read as zero
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (offset + i < bytes.size()) b[i] = bytes[offset + i];
  }
  return std::bit_cast<double>(b);
}

std::int16_t WordAt(const std::vector<std::byte>& bytes, std::size_t offset) {
  std::array<std::byte, 2> b{};
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (offset + i < bytes.size()) b[i] = bytes[offset + i];
  }
  return std::bit_cast<std::int16_t>(b);
}

void PutDouble(std::vector<std::byte>& bytes, std::size_t offset, double value) {
  const auto b = std::bit_cast<std::array<std::byte, 8>>(value);
  std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PutWord(std::vector<std::byte>& bytes, std::size_t offset, std::int16_t value) {
  const auto b = std::bit_cast<std::array<std::byte, 2>>(value);
  std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct ElementFields {
  double value;
  std::int16_t type;
  std::int16_t extra;
};

ElementFields ElementAt(const std::vector<std::byte>& bytes, int n) {
  const std::size_t base = static_cast<std::size_t>(n - 1) * 124;
  return {DoubleAt(bytes, base + 80), WordAt(bytes, base + 120), WordAt(bytes, base + 122)};
}

struct OutputFields {
  double frequency;
  std::complex<double> voltage, current, impedance;
  double value;
  std::int16_t type;
  std::int16_t extra;
};

OutputFields OutputAt(const std::vector<std::byte>& bytes, int r) {
  const std::size_t base = static_cast<std::size_t>(r - 1) * 68;
  return {DoubleAt(bytes, base),
          {DoubleAt(bytes, base + 8), DoubleAt(bytes, base + 16)},
          {DoubleAt(bytes, base + 24), DoubleAt(bytes, base + 32)},
          {DoubleAt(bytes, base + 40), DoubleAt(bytes, base + 48)},
          DoubleAt(bytes, base + 56),
          WordAt(bytes, base + 64),
          WordAt(bytes, base + 66)};
}

// Records in a file of the given length: the nearest whole number, halves to even.
int CountOf(std::size_t bytes, int recordLength) {
  return static_cast<int>(std::nearbyint(static_cast<double>(bytes) / recordLength));
}

constexpr std::array<const char*, 9> kTypeNames = {"SeriesR", "ShuntR",   "SeriesL",     "ShuntL",      "SeriesC",
                                                   "ShuntC",  "StubOpen", "StubShorted", "SerTransLine"};
constexpr std::array<const char*, 7> kTitles = {"Voltage (Volts)",     "Current (Amperes)",
                                                "Impedance (Ohms)",    "Voltage Phase (Deg)",
                                                "Current Phase (Deg)", "Impedance Phase Angle (Deg)",
                                                "SWR"};

std::string Listing(const ElementFields& e, int n) {
  const bool known = e.type >= 0 && e.type < 9;
  return "Element " + std::to_string(n) + " is type " + (known ? kTypeNames[static_cast<std::size_t>(e.type)] : "") +
         " with value = " + FormatPattern(known ? e.value : 0.0, "#0.000#", NumberLocale{});
}

// The bounds of a scan as typed, and the frequency of its step k (from 0): single-precision bounds,
// a single-precision step of a 99th of the band, added k times to a double.
struct Band {
  std::string lower = "1";
  std::string upper = "30";

  double StepFrequency(int k) const {
    const auto low = static_cast<float>(std::stod(lower));
    const auto high = static_cast<float>(std::stod(upper));
    const auto step = static_cast<float>((static_cast<double>(high) - static_cast<double>(low)) / 99.0);
    double f = low;
    for (int i = 0; i < k; ++i) f += static_cast<double>(step);
    return f;
  }
};

// The plotted variable computed from the record with the standard library: magnitudes by hypot,
// angles by atan2 (the quadrant rule on the imaginary axis is the program's: +90 above, -90 on and
// below), SWR from the reflection coefficient against the 50-ohm normaliser.
double Expected(const OutputFields& o, int variable) {
  const auto degrees = [](std::complex<double> z) {
    if (std::isnan(z.real()) || std::isnan(z.imag())) return kNaN;
    if (z.real() == 0.0) return z.imag() > 0.0 ? 90.0 : -90.0;
    return std::atan2(z.imag(), z.real()) * 180.0 / std::numbers::pi;
  };
  switch (variable) {
    case 0: return std::abs(o.voltage);
    case 1: return std::abs(o.current);
    case 2: return std::abs(o.impedance);
    case 3: return degrees(o.voltage);
    case 4: return degrees(o.current);
    case 5: return degrees(o.impedance);
    default: {
      const double g = std::abs((o.impedance - 50.0) / (o.impedance + 50.0));
      return (1.0 + g) / (1.0 - g);
    }
  }
}

bool Drawable(double x) { return std::isfinite(x) && std::fabs(x) <= 1e38; }

// ---- the rows ----

class BadInputTest;

struct Row {
  std::string name;
  std::function<std::string(BadInputTest&)> prepare;  // returns why the row cannot run here, or ""
  std::function<void(BadInputTest&)> act;             // the bad input itself
  std::vector<Box> expected;                 // the boxes act shows, in order
  bool ownMessages = false;                           // act checks its boxes itself
  std::function<void(BadInputTest&)> check;           // what else must hold afterwards
  std::function<void(BadInputTest&)> restore;         // undoes what the row did to the folders
  bool ends = false;                                  // the program must end
  NumberLocale locale{};
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

fs::path MakeProgramFolder(const TempDir& folder) {
  fs::create_directory(folder.Path() / "prog");
  return folder.Path() / "prog";
}

class BadInputTest : public ::testing::TestWithParam<Row> {
 public:
  BadInputTest()
      : program(MakeProgramFolder(folder)),
        window({messages, end, dialog, printers, registry, starter, shell, program.string(), GetParam().locale}) {}

  ~BadInputTest() override {
    for (auto it = cleanups.rbegin(); it != cleanups.rend(); ++it) (*it)();
  }

  std::string OutputPath() const { return (program / "TavelinOutput.dat").string(); }

  // Writes an element file and remembers what it must hold for the rest of the row.
  std::string WriteElementFile(const std::string& name, const std::vector<std::byte>& bytes) {
    const std::string path = folder.File(name);
    testing::WriteBytes(path, bytes);
    kept[path] = bytes;
    return path;
  }
  std::string WriteNetwork(const std::string& name, const std::string& text) {
    return WriteElementFile(name, EncodeElementFile(ParseNetworkText(text)));
  }
  // A row that changes an element file on purpose says so here.
  void ChangedOnPurpose(const std::string& path) {
    if (fs::exists(path)) {
      kept[path] = testing::ReadBytes(path);
    } else {
      kept.erase(path);
    }
  }

  void Open(const std::string& path) {
    dialog.names.push_back(path);
    window.mnuFileOpen->trigger();
  }
  void OpenGood(const std::string& text = "SeriesL 1.0 rload=50\nShuntC 100\n") {
    Open(WriteNetwork("good.dat", text));
    messages.shown.clear();
  }
  void Scan(const std::string& lower, const std::string& upper) {
    window.txtScanFreqLower->setText(QString::fromStdString(lower));
    window.txtScanFreqUpper->setText(QString::fromStdString(upper));
    ++scans;
    window.cmdBeginScan->click();
  }
  void ScanGood(int steps = 5) {
    window.State().StepCount = static_cast<std::int16_t>(steps);
    Scan("1", "30");
    messages.shown.clear();
  }
  void Compute(int variable) {
    window.Option1[static_cast<std::size_t>(variable)]->click();
    window.cmdCompute->click();
    QCoreApplication::processEvents();  // the plot window's own boxes come a turn later
  }
  bool PlotShown() const { return window.PlotWindow() != nullptr && window.PlotWindow()->isVisible(); }

  static std::optional<std::vector<std::byte>> Snapshot(const std::string& path) {
    if (!fs::is_regular_file(path)) return std::nullopt;
    return testing::ReadBytes(path);
  }

  // After every row: a good network opens, scans and plots, with the values of its circuit.
  void Recover();

  TempDir folder;
  fs::path program;
  RecordingMessages messages;
  RecordingEnd end;
  QueuedFileDialog dialog;
  NoPrinters printers;
  EmptyKeyValueStore registry;
  NoStarter starter;
  NoShell shell;
  frmArchiveProcessor window;
  std::map<std::string, std::vector<std::byte>> kept;
  int scans = 0;
  std::vector<std::function<void()>> cleanups;
};

void BadInputTest::Recover() {
  messages.shown.clear();
  Open(WriteNetwork("recover.dat", "SeriesL 1.0 rload=50\nShuntC 100\n"));
  ASSERT_EQ(window.State().ElementCount, 2);
  ASSERT_TRUE(window.cmdBeginScan->isEnabled());
  window.State().StepCount = 3;
  messages.shown.clear();
  Scan("1", "3");
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(Boxes(messages.shown).back(), (Box{"All records processed over the range of 3 frequencies.", "Status"}));
  ASSERT_EQ(window.State().OutputRecordCount, 6);
  window.txtNormalizer->setText("50");
  window.optLogLin[1]->click();
  messages.shown.clear();
  Compute(2);
  EXPECT_EQ(Boxes(messages.shown), std::vector<Box>{});
  EXPECT_TRUE(PlotShown());
  // 1 uH in series with the 50-ohm load, 100 pF across the pair.
  const PlotData& plot = window.Plot();
  ASSERT_EQ(plot.PointCount, 3);
  for (int k = 0; k < 3; ++k) {
    const double f = 1.0 + k * static_cast<double>(static_cast<float>(2.0 / 99.0));
    const double w = 2 * 3.14159 * f;
    const std::complex<double> series(50.0, w * 1.0);
    const std::complex<double> z = 1.0 / (1.0 / series + std::complex<double>(0, w * 100e-6));
    EXPECT_EQ(plot.PlotFrequencies[static_cast<std::size_t>(k)], f);
    EXPECT_NEAR(plot.PlotValues[static_cast<std::size_t>(k)], std::abs(z), 1e-9);
  }
}

TEST_P(BadInputTest, IsHandledAndLeavesTheProgramUsable) {
  const Row& row = GetParam();
  ASSERT_TRUE(window.Loaded());
  if (row.prepare) {
    const std::string skip = row.prepare(*this);
    if (!skip.empty()) GTEST_SKIP() << skip;
  }
  ASSERT_FALSE(HasFatalFailure());
  messages.shown.clear();
  const int scansBefore = scans;
  const auto outputBefore = Snapshot(OutputPath());

  row.act(*this);

  if (!row.ownMessages) {
    EXPECT_EQ(Boxes(messages.shown), row.expected);
  }
  if (row.check) row.check(*this);
  if (row.restore) row.restore(*this);

  EXPECT_EQ(end.calls, row.ends ? 1 : 0);
  for (const auto& [path, bytes] : kept) {
    ASSERT_TRUE(fs::exists(path)) << path << " was deleted";
    EXPECT_EQ(testing::ReadBytes(path), bytes) << path << " was modified";
  }
  if (scans == scansBefore || row.ends) {
    EXPECT_EQ(Snapshot(OutputPath()), outputBefore) << "the output file changed without a scan";
  }
  if (!row.ends) Recover();
}

// ---- element files opened, listed, scanned and plotted ----

// Opens the bytes as an element file, scans 5 frequencies from 1 to 30 MHz and plots every variable,
// checking each stage against the bytes of the files.
void CheckPlot(BadInputTest& t, const std::vector<std::byte>& out, int elements, int records, int variable) {
  t.messages.shown.clear();
  t.Compute(variable);
  if (elements == 0 || records < elements) {
    EXPECT_EQ(Boxes(t.messages.shown), (std::vector<Box>{
                                    {"No Elements in Network or not enough records - Check Input Data!", "Error"}}));
    return;
  }
  const PlotData& plot = t.window.Plot();
  const int points = CountOf(static_cast<std::size_t>(records), elements);
  ASSERT_EQ(plot.PointCount, points);
  EXPECT_EQ(plot.PlotTitle, kTitles[static_cast<std::size_t>(variable)]);
  int drawable = 0;
  for (int i = 0; i < points; ++i) {
    const OutputFields o = OutputAt(out, std::min((i + 1) * elements, records));
    const auto at = static_cast<std::size_t>(i);
    EXPECT_EQ(Bits(plot.PlotFrequencies[at]), Bits(o.frequency));
    const double value = plot.PlotValues[at];
    if (!Drawable(plot.PlotFrequencies[at]) || !Drawable(value)) continue;
    ++drawable;
    // A value that is drawn must be the variable of the record, not a stand-in.
    const double expected = Expected(o, variable);
    ASSERT_TRUE(std::isfinite(expected)) << "point " << i + 1 << " drawn as " << value;
    if (variable >= 3 && variable <= 5) {
      EXPECT_NEAR(std::remainder(value - expected, 360.0), 0.0, 1e-3) << "point " << i + 1;
    } else {
      EXPECT_NEAR(value, expected, std::fabs(expected) * 1e-6 + 1e-300) << "point " << i + 1;
    }
  }
  // The complex routines may report their own faults; what the plot says about its points is the
  // last word.
  std::vector<Box> own;
  for (const Box& m : Boxes(t.messages.shown)) {
    if (m.title.rfind("Complex Arithmetic Module", 0) != 0) own.push_back(m);
  }
  if (drawable == points) {
    EXPECT_TRUE(own.empty()) << own.front().title << ": " << own.front().text;
    EXPECT_TRUE(t.PlotShown());
  } else if (drawable == 0) {
    EXPECT_EQ(own, (std::vector<Box>{{"Nothing to plot: every value is infinite, undefined or too large to plot.",
                                               "Points Not Plotted"}}));
  } else {
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].title, "Points Not Plotted");
    EXPECT_EQ(own[0].text.rfind("Left out of the plot", 0), 0u) << own[0].text;
    EXPECT_TRUE(t.PlotShown());
  }
  if (drawable > 0) {
    testing::RecordingSurface surface;
    PlotRanges ranges;
    const PlotGeometry geometry = t.window.PlotWindow()->Geometry();
    const Reporting reporting{t.messages, NumberLocale{}};
    PlotCanvas canvas{surface, geometry, ranges, reporting};
    DrawPlot(canvas, plot, plot.PlotTitle);
    EXPECT_EQ(surface.Of(testing::RecordingSurface::Kind::kCircle).size(), static_cast<std::size_t>(drawable));
  }
}

void ExerciseNetwork(BadInputTest& t, const std::vector<std::byte>& bytes, const Band& band) {
  constexpr int kSteps = 5;
  t.Open(t.WriteElementFile("net.dat", bytes));
  const int elements = CountOf(bytes.size(), 124);
  EXPECT_EQ(t.window.lblElementsInNetwork->text(), QStringLiteral("Elements In Network: %1").arg(elements));
  ASSERT_EQ(t.messages.shown.size(), static_cast<std::size_t>(elements));
  for (int n = 1; n <= elements; ++n) {
    EXPECT_EQ(Boxes(t.messages.shown)[static_cast<std::size_t>(n - 1)], (Box{Listing(ElementAt(bytes, n), n), "Tavelin"}));
  }
  ASSERT_TRUE(t.window.cmdBeginScan->isEnabled());

  t.window.State().StepCount = kSteps;
  t.messages.shown.clear();
  t.Scan(band.lower, band.upper);
  const std::vector<Box> boxes = Boxes(t.messages.shown);
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.front(), kFirstScanWarning);
  for (std::size_t i = 1; i + 1 < boxes.size(); ++i) {
    EXPECT_NE(boxes[i].title, "Status");
    EXPECT_NE(boxes[i].title, "Error in Scan");
  }
  const std::vector<std::byte> out = testing::ReadBytes(t.OutputPath());
  EXPECT_EQ(out.size() % 68, 0u) << "a partial record in the output file";
  const int records = static_cast<int>(out.size() / 68);
  EXPECT_EQ(t.window.State().OutputRecordCount, records);
  const Box& last = boxes.back();
  if (elements == 0) {
    EXPECT_EQ(last, (Box{"There are no records - make sure the file is opened!", "Error - No Records"}));
  } else if (last.title == "Status") {
    EXPECT_EQ(last.text, "All records processed over the range of 5 frequencies.");
    EXPECT_EQ(records, kSteps * elements);
  } else {
    // A stopped scan names where it stopped: the element after the last record written.
    EXPECT_EQ(last.title, "Error in Scan");
    EXPECT_LT(records, kSteps * elements);
    const std::string where = " at element " + std::to_string(records % elements + 1) + " of " +
                              std::to_string(elements) + ", frequency " +
                              FormatGeneral(band.StepFrequency(records / elements), NumberLocale{}) + " MHz.";
    EXPECT_NE(last.text.find(where), std::string::npos) << last.text << " / " << where;
  }
  for (int r = 1; r <= records; ++r) {
    const OutputFields o = OutputAt(out, r);
    const ElementFields e = ElementAt(bytes, (r - 1) % elements + 1);
    EXPECT_EQ(o.frequency, band.StepFrequency((r - 1) / elements)) << "record " << r;
    EXPECT_EQ(Bits(o.value), Bits(e.value)) << "record " << r;
    EXPECT_EQ(o.type, e.type) << "record " << r;
    EXPECT_EQ(o.extra, e.extra) << "record " << r;
  }
  for (int variable = 0; variable < 7; ++variable) CheckPlot(t, out, elements, records, variable);
}

Row NetworkRow(std::string name, std::vector<std::byte> bytes, Band band = {}) {
  Row row;
  row.name = std::move(name);
  row.act = [bytes, band](BadInputTest& t) { ExerciseNetwork(t, bytes, band); };
  row.ownMessages = true;
  return row;
}

// Three elements: a resistor carrying the load, the element under test, a shunt capacitor.
std::vector<std::byte> ThreeElements(const std::string& middle) {
  return EncodeElementFile(ParseNetworkText("SeriesR 10 rload=50 xload=25\n" + middle + "\nShuntC 47\n"));
}

void AddElementFileRows(std::vector<Row>& rows) {
  const std::pair<const char*, double> bad[] = {
      {"NaN", kNaN}, {"PlusInfinity", kInf}, {"MinusInfinity", -kInf}, {"Denormal", kDenormal}, {"Huge", 1e308}};
  const std::string lineFields = " 1.0 z0=50 loss=0.8 vf=0.66 ropen=1e9 copen=0.5 rshort=0.01 lshort=0.001";
  struct Field {
    const char* name;
    std::size_t offset;
    int record;
    std::vector<int> types;  // the element types that read it
  };
  const Field fields[] = {
      {"Value", 80, 2, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
      {"LoadResistance", 0, 1, {0}},
      {"LoadReactance", 8, 1, {0}},
      {"Z0Resistance", 40, 2, {6, 7, 8}},
      {"Z0Reactance", 48, 2, {6, 7, 8}},
      {"LineLoss", 64, 2, {6, 7, 8}},
      {"VelocityFactor", 72, 2, {6, 7, 8}},
      {"OpenEndResistance", 88, 2, {6}},
      {"OpenEndCapacitance", 96, 2, {6}},
      {"ShortEndResistance", 104, 2, {7}},
      {"ShortEndInductance", 112, 2, {7}},
  };
  for (const Field& field : fields) {
    for (int type : field.types) {
      for (const auto& [badName, value] : bad) {
        std::vector<std::byte> bytes = ThreeElements(kTypeNames[static_cast<std::size_t>(type)] + lineFields);
        PutDouble(bytes, static_cast<std::size_t>(field.record - 1) * 124 + field.offset, value);
        const std::string where = field.record == 2 ? std::string("_") + kTypeNames[static_cast<std::size_t>(type)] : "";
        rows.push_back(NetworkRow(std::string(field.name) + badName + where, bytes));
      }
    }
  }

  for (const auto& [name, code] : {std::pair{"Minus32768", std::int16_t{-32768}}, std::pair{"32767", std::int16_t{32767}}}) {
    std::vector<std::byte> first = ThreeElements("SeriesL 0.5");
    PutWord(first, 120, code);
    rows.push_back(NetworkRow(std::string("TypeCode") + name + "First", first));
    std::vector<std::byte> middle = ThreeElements("SeriesL 0.5");
    PutWord(middle, 124 + 120, code);
    rows.push_back(NetworkRow(std::string("TypeCode") + name + "Middle", middle));
  }

  rows.push_back(NetworkRow("AllBytesFFOneRecord", std::vector<std::byte>(124, std::byte{0xFF})));
  std::vector<std::byte> ffMiddle = ThreeElements("SeriesL 0.5");
  std::fill(ffMiddle.begin() + 124, ffMiddle.begin() + 248, std::byte{0xFF});
  rows.push_back(NetworkRow("AllBytesFFMiddleRecord", ffMiddle));

  const std::vector<std::byte> four =
      EncodeElementFile(ParseNetworkText("SeriesR 10 rload=50 xload=25\nShuntR 1000\nSeriesL 0.5\nShuntC 47\n"));
  for (std::size_t length : {std::size_t{1}, std::size_t{123}, std::size_t{125}, std::size_t{3 * 124 + 61},
                             std::size_t{3 * 124 + 62}, std::size_t{3 * 124 + 63}}) {
    rows.push_back(NetworkRow("Length" + std::to_string(length),
                              std::vector<std::byte>(four.begin(), four.begin() + static_cast<std::ptrdiff_t>(length))));
  }

  // Bounds that are numbers but far from radio: every element model at the edges of the number range.
  const std::vector<std::byte> every = testing::ReadBytes(std::string(TAVELIN_SOURCE_DIR) + "/examples/every-element.dat");
  rows.push_back(NetworkRow("EveryElementAtTinyFrequencies", every, {"1e-30", "2e-30"}));
  rows.push_back(NetworkRow("EveryElementAtSubnormalFrequencies", every, {"1e-40", "1e-38"}));
  rows.push_back(NetworkRow("EveryElementAtHugeFrequencies", every, {"1e37", "3e38"}));
}

// ---- what File > Open is given instead of an element file ----

Row OpenRow(std::string name, std::function<std::string(BadInputTest&, std::string&)> make, std::string text) {
  Row row;
  row.name = std::move(name);
  auto path = std::make_shared<std::string>();
  row.prepare = [make, path](BadInputTest& t) {
    t.OpenGood();
    return make(t, *path);
  };
  row.act = [path](BadInputTest& t) {
    const WithoutFileOverride asAnyUser;
    t.Open(*path);
  };
  row.expected = {{std::move(text), kOpenTitle}};
  // The network open before stays open and usable.
  row.check = [](BadInputTest& t) {
    EXPECT_EQ(t.window.State().ElementCount, 2);
    EXPECT_EQ(t.window.lblElementsInNetwork->text(), "Elements In Network: 2");
    EXPECT_TRUE(t.window.ProgramServices().files.IsOpen(t.window.State().ElementFile));
    EXPECT_TRUE(t.window.cmdBeginScan->isEnabled());
  };
  return row;
}

// True when this thread cannot open path for reading: what a user without permission meets.
bool Unreadable(const std::string& path) {
  const WithoutFileOverride asAnyUser;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) ::close(fd);
  return fd < 0;
}

void AddOpenRows(std::vector<Row>& rows) {
  rows.push_back(OpenRow("DirectoryChosen", [](BadInputTest& t, std::string& path) {
    path = t.folder.File("a-folder");
    fs::create_directory(path);
    return std::string();
  }, "File open error, 75"));
  rows.push_back(OpenRow("UnreadableFileChosen", [](BadInputTest& t, std::string& path) {
    path = t.WriteNetwork("locked.dat", "SeriesR 10 rload=50\n");
    fs::permissions(path, fs::perms::none);
    return Unreadable(path) ? std::string() : std::string("this user reads every file");
  }, "File open error, 70"));
  // Opening a pipe for reading waits for a writer that never comes.
  rows.push_back(OpenRow("ReadOnlyPipeChosen", [](BadInputTest& t, std::string& path) {
    path = t.folder.File("pipe.dat");
    if (::mkfifo(path.c_str(), 0444) != 0) return std::string("no named pipes here");
    const WithoutFileOverride asAnyUser;
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      ::close(fd);
      return std::string("this user writes to every pipe");
    }
    return std::string();
  }, "File open error, 75"));
  rows.push_back(OpenRow("SocketChosen", [](BadInputTest& t, std::string& path) {
    path = t.folder.File("socket.dat");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return std::string("folder name too long for a socket");
    std::strcpy(address.sun_path, path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);
    return bound ? std::string() : std::string("no sockets here");
  }, "File open error, 75"));
  rows.push_back(OpenRow("SymlinkLoopChosen", [](BadInputTest& t, std::string& path) {
    path = t.folder.File("loop-a");
    fs::create_symlink(t.folder.File("loop-b"), path);
    fs::create_symlink(path, t.folder.File("loop-b"));
    return std::string();
  }, "File open error, 75"));
}

// ---- the element file changed between opening and scanning ----

std::string ScanStopped(int error, const std::string& description, int element, int of) {
  return "Run-time error " + std::to_string(error) + " (" + description + ") at element " + std::to_string(element) +
         " of " + std::to_string(of) + ", frequency 1 MHz. The scan was stopped; the records written before it are kept.";
}

Row ChangedElementFileRow(std::string name, std::function<void(const std::string&)> change,
                          std::vector<Box> expected, int records) {
  Row row;
  row.name = std::move(name);
  row.prepare = [](BadInputTest& t) {
    t.Open(t.WriteNetwork("net.dat", "SeriesR 10 rload=50 xload=25\nShuntL 2.2\nShuntC 47\n"));
    t.window.State().StepCount = 4;
    return std::string();
  };
  row.act = [change](BadInputTest& t) {
    const std::string path = t.folder.File("net.dat");
    change(path);
    t.ChangedOnPurpose(path);
    t.Scan("1", "30");
  };
  row.expected = std::move(expected);
  row.check = [records](BadInputTest& t) {
    EXPECT_EQ(t.window.State().OutputRecordCount, records);
    EXPECT_EQ(fs::file_size(t.OutputPath()), static_cast<std::uintmax_t>(records) * 68);
    // What was written is the network as listed, element by element.
    const std::vector<std::byte> out = testing::ReadBytes(t.OutputPath());
    const std::int16_t types[] = {0, 3, 5};
    for (int r = 1; r <= records; ++r) EXPECT_EQ(OutputAt(out, r).type, types[(r - 1) % 3]);
  };
  return row;
}

void AddChangedElementFileRows(std::vector<Row>& rows) {
  rows.push_back(ChangedElementFileRow(
      "ElementFileDeletedBeforeScan", [](const std::string& path) { fs::remove(path); },
      {kFirstScanWarning, {"All records processed over the range of 4 frequencies.", "Status"}}, 12));
  rows.back().check = [check = rows.back().check](BadInputTest& t) {
    check(t);
    EXPECT_FALSE(fs::exists(t.folder.File("net.dat"))) << "a deleted element file came back";
  };
  rows.push_back(ChangedElementFileRow(
      "ElementFileEmptiedBeforeScan", [](const std::string& path) { fs::resize_file(path, 0); },
      {kFirstScanWarning, {ScanStopped(62, "Input past end of file", 1, 3), "Error in Scan"}}, 0));
  rows.push_back(ChangedElementFileRow(
      "ElementFileCutMidRecordBeforeScan", [](const std::string& path) { fs::resize_file(path, 124 + 30); },
      {kFirstScanWarning, {ScanStopped(62, "Input past end of file", 2, 3), "Error in Scan"}}, 1));
  // Still 3 records by the rounding of a count, but the last one lost its second half.
  rows.push_back(ChangedElementFileRow(
      "ElementFileCutInLastRecordBeforeScan", [](const std::string& path) { fs::resize_file(path, 2 * 124 + 80); },
      {kFirstScanWarning, {ScanStopped(62, "Input past end of file", 3, 3), "Error in Scan"}}, 2));
}

// ---- the program folder and the output file ----

void AddOutputFileRows(std::vector<Row>& rows) {
  {
    Row row;
    row.name = "ProgramFolderMissing";
    row.prepare = [](BadInputTest& t) {
      t.OpenGood();
      return std::string();
    };
    row.act = [](BadInputTest& t) {
      fs::remove_all(t.program);
      t.Scan("1", "30");
    };
    row.expected = {kFirstScanWarning,
                    {"Error 76 while creating new output file!", "Warning"},
                    {"File open error, 76", "Fatal Error in Opening Network Data File"}};
    row.check = [](BadInputTest& t) {
      EXPECT_FALSE(fs::exists(t.program));
      EXPECT_TRUE(t.window.cmdBeginScan->isEnabled());
      EXPECT_FALSE(t.window.cmdCompute->isEnabled());
    };
    row.restore = [](BadInputTest& t) { fs::create_directory(t.program); };
    rows.push_back(row);
  }
  {
    // The results of the scan before are gone with the folder: nothing is plotted from them.
    Row row;
    row.name = "ProgramFolderMissingAfterAScan";
    row.prepare = [](BadInputTest& t) {
      t.OpenGood();
      t.ScanGood();
      return std::string();
    };
    row.act = [](BadInputTest& t) {
      fs::remove_all(t.program);
      t.Scan("1", "30");
      t.Compute(0);
    };
    row.expected = {{"Unable to find the file to be deleted! - Continuing!", "Warning"},
                    {"Error 76 while creating new output file!", "Warning"},
                    {"File open error, 76", "Fatal Error in Opening Network Data File"},
                    {"No Elements in Network or not enough records - Check Input Data!", "Error"}};
    row.check = [](BadInputTest& t) { EXPECT_FALSE(t.PlotShown()); };
    row.restore = [](BadInputTest& t) { fs::create_directory(t.program); };
    rows.push_back(row);
  }
  {
    Row row;
    row.name = "FolderInPlaceOfOutputFile";
    row.prepare = [](BadInputTest& t) {
      t.OpenGood();
      fs::create_directory(t.OutputPath());
      return std::string();
    };
    row.act = [](BadInputTest& t) { t.Scan("1", "30"); };
    row.expected = {kFirstScanWarning,
                    {"Error 75 while creating new output file!", "Warning"},
                    {"File open error, 75", "Fatal Error in Opening Network Data File"}};
    row.check = [](BadInputTest& t) {
      EXPECT_TRUE(fs::is_directory(t.OutputPath())) << "a folder of the output file's name was removed";
      EXPECT_TRUE(t.window.cmdBeginScan->isEnabled());
    };
    row.restore = [](BadInputTest& t) { fs::remove(t.OutputPath()); };
    rows.push_back(row);
  }
  {
    Row row;
    row.name = "OutputFileThatMayNotBeDeleted";
    row.prepare = [](BadInputTest& t) {
      t.OpenGood();
      t.ScanGood();
      if (!SetImmutable(t.OutputPath(), true)) return std::string("no immutable attribute on this file system");
      t.cleanups.push_back([path = t.OutputPath()] { SetImmutable(path, false); });
      return std::string();
    };
    row.act = [](BadInputTest& t) { t.Scan("1", "30"); };
    row.expected = {{"Permission to delete output file denied - Aborting!", "Program Shutting Down"}};
    row.check = [](BadInputTest& t) { EXPECT_EQ(fs::file_size(t.OutputPath()), 10u * 68u); };
    row.ends = true;
    rows.push_back(row);
  }
  {
    // The disk fills in the middle of a record.
    Row row;
    row.name = "DiskFullDuringScan";
    row.prepare = [](BadInputTest& t) {
      t.OpenGood("SeriesR 10 rload=50 xload=25\nShuntL 2.2\nShuntC 47\n");
      t.window.State().StepCount = 2000;
      return std::string();
    };
    row.act = [](BadInputTest& t) {
      const FileSizeLimit full(1505 * 68 + 40);
      t.Scan("1", "30");
    };
    row.ownMessages = true;
    row.check = [](BadInputTest& t) {
      ASSERT_EQ(t.messages.shown.size(), 2u);
      EXPECT_EQ(Boxes(t.messages.shown)[0], kFirstScanWarning);
      EXPECT_EQ(t.messages.shown[1].title, "Error in Scan");
      EXPECT_EQ(t.messages.shown[1].text.rfind("Run-time error 61 (Disk full) at element ", 0), 0u);
      const std::uintmax_t size = fs::file_size(t.OutputPath());
      EXPECT_EQ(size % 68, 0u) << "a partial record was left in the output file";
      EXPECT_EQ(t.window.State().OutputRecordCount, static_cast<int>(size / 68));
      EXPECT_GT(size, 0u);
      // What was written plots without a word, every point from a whole record.
      t.messages.shown.clear();
      t.Compute(2);
      EXPECT_EQ(Boxes(t.messages.shown), std::vector<Box>{});
      const std::vector<std::byte> out = testing::ReadBytes(t.OutputPath());
      const PlotData& plot = t.window.Plot();
      for (int i = 0; i < plot.PointCount; ++i) {
        const OutputFields o = OutputAt(out, std::min((i + 1) * 3, static_cast<int>(size / 68)));
        EXPECT_NEAR(plot.PlotValues[static_cast<std::size_t>(i)], std::abs(o.impedance), 1e-12 * std::abs(o.impedance));
        EXPECT_GT(plot.PlotValues[static_cast<std::size_t>(i)], 0.0);
      }
    };
    rows.push_back(row);
  }
}

// ---- text boxes ----

struct BadText {
  const char* name;
  std::string text;
  bool tooLarge;  // a number beyond the double range, rather than no number at all
};

std::vector<BadText> BadTexts() {
  return {{"Empty", "", false},
          {"Blank", "   \t ", false},
          {"CommaInCLocale", "1,5", false},
          {"Beyond1e308", "1e999", true},
          {"FourHundredDigits", "1" + std::string(399, '0'), true},
          {"Symbols", "#$%&*!", false}};
}

Row BoundRow(const std::string& name, std::string lower, std::string upper, NumberLocale locale = {}) {
  Row row;
  row.name = name;
  row.locale = locale;
  row.prepare = [](BadInputTest& t) {
    t.OpenGood();
    return std::string();
  };
  row.act = [lower, upper](BadInputTest& t) { t.Scan(lower, upper); };
  row.expected = {kFirstScanWarning,
                  {"Scan Frequency Setup Parameters Invalid - Check Required Inputs!", "Error in Setup"}};
  // No scan ran: the old results are gone, the plot set-up is usable and has nothing to plot.
  row.check = [](BadInputTest& t) {
    EXPECT_EQ(t.window.State().OutputRecordCount, 0);
    EXPECT_EQ(fs::file_size(t.OutputPath()), 0u);
    EXPECT_TRUE(t.window.cmdCompute->isEnabled());
    EXPECT_TRUE(t.window.cmdBeginScan->isEnabled());
    t.messages.shown.clear();
    t.Compute(0);
    EXPECT_EQ(Boxes(t.messages.shown), (std::vector<Box>{{"No Elements in Network or not enough records - Check Input Data!",
                                                             "Error"}}));
  };
  return row;
}

// A plot set-up box holding text; the plot is refused with the given box and the window stays shut.
Row PlotBoxRow(const std::string& name, QLineEdit* frmArchiveProcessor::*box, std::string text, int variable,
               bool logarithmic, std::vector<Box> expected, bool windowShown = false) {
  Row row;
  row.name = name;
  row.prepare = [](BadInputTest& t) {
    t.OpenGood();
    t.ScanGood();
    return std::string();
  };
  row.act = [box, text, variable, logarithmic](BadInputTest& t) {
    (t.window.*box)->setText(QString::fromStdString(text));
    t.window.optLogLin[logarithmic ? 0 : 1]->click();
    t.Compute(variable);
  };
  row.expected = std::move(expected);
  row.check = [windowShown](BadInputTest& t) { EXPECT_EQ(t.PlotShown(), windowShown); };
  return row;
}

Row StepsRow(const std::string& name, std::string text, std::optional<int> stored) {
  Row row;
  row.name = name;
  row.prepare = [](BadInputTest& t) {
    t.OpenGood();
    return std::string();
  };
  row.act = [text](BadInputTest& t) {
    frmConfigure dialog(&t.window, t.messages, t.window.State().StepCount);
    dialog.show();
    dialog.txtNumberOfSteps->setText(QString::fromStdString(text));
    dialog.cmdOK->click();
    // A refused entry keeps the dialog open for another try; the user then closes it.
    if (dialog.isVisible()) dialog.reject();
    t.Scan("1", "3");
  };
  const int steps = stored.value_or(100);
  if (!stored) row.expected.push_back({kStepCountRangeMessage, "Tavelin"});
  row.expected.push_back(kFirstScanWarning);
  row.expected.push_back({"All records processed over the range of " + std::to_string(steps) + " frequencies.", "Status"});
  row.check = [steps](BadInputTest& t) {
    EXPECT_EQ(t.window.State().StepCount, steps);
    EXPECT_EQ(t.window.State().OutputRecordCount, std::max(steps, 0) * 2);
  };
  return row;
}

void AddTextRows(std::vector<Row>& rows) {
  const auto mustHold = [](const std::string& box, bool tooLarge) {
    return std::vector<Box>{
        {"The " + box + (tooLarge ? " box holds a number too large to use." : " box must hold a number."), kInvalidInput}};
  };
  for (const BadText& bad : BadTexts()) {
    const std::string n = bad.name;
    rows.push_back(BoundRow("LowerBound" + n, bad.text, "30"));
    rows.push_back(BoundRow("UpperBound" + n, "1", bad.text));
    rows.push_back(PlotBoxRow("Normalizer" + n, &frmArchiveProcessor::txtNormalizer, bad.text, 6, false,
                              mustHold("Normalizer for SWR", bad.tooLarge)));
    rows.push_back(PlotBoxRow("Decades" + n, &frmArchiveProcessor::txtDecades, bad.text, 0, false,
                              mustHold("Decades for Log Plot", bad.tooLarge)));
    rows.push_back(PlotBoxRow("MinValue" + n, &frmArchiveProcessor::txtMinValue, bad.text, 0, true,
                              mustHold("Min. Value for Log Plot", bad.tooLarge)));
  }
  rows.push_back(BoundRow("LowerBoundBeyondSinglePrecision", "1e39", "1e40"));
  rows.push_back(BoundRow("LowerBoundNotANumberWord", "nan", "30"));
  rows.push_back(BoundRow("UpperBoundInfinityWord", "1", "inf"));
  rows.push_back(BoundRow("LowerBoundPointInCommaLocale", "1.5", "30", NumberLocale{",", ".", "-"}));
  rows.push_back(BoundRow("UpperBoundGroupedInCommaLocale", "1", "3.000", NumberLocale{",", ".", "-"}));

  rows.push_back(PlotBoxRow("NormalizerZero", &frmArchiveProcessor::txtNormalizer, "0", 6, false,
                            {{"Nothing to plot: every value is infinite, undefined or too large to plot.",
                              "Points Not Plotted"}}));
  rows.push_back(PlotBoxRow("DecadesBeyond16Bits", &frmArchiveProcessor::txtDecades, "40000", 0, false,
                            {{"The Decades for Log Plot box must hold a number from -32768 to 32767.", kInvalidInput}}));
  // The grid runs out of doubles after 308 decades and says so; the rest is drawn.
  rows.push_back(PlotBoxRow("DecadesLargestOnLogScale", &frmArchiveProcessor::txtDecades, "32767", 2, true,
                            {{"Error Code 6", "Error in Drawing Log Horiz Grid"}}, true));
  rows.push_back(PlotBoxRow("DecadesZeroOnLogScale", &frmArchiveProcessor::txtDecades, "0.4", 2, true,
                            {{"Invalid # of Decades or Invalid Minimum Value for Log Plot", kInvalidInput}}));
  rows.push_back(PlotBoxRow("MinValueBeyondSinglePrecision", &frmArchiveProcessor::txtMinValue, "1e39", 2, true,
                            mustHold("Min. Value for Log Plot", true)));
  // 50 ohms over 1.4e-45 is beyond single precision: the curve cannot be drawn, and the user hears of it.
  rows.push_back(PlotBoxRow("MinValueTinyOnLogScale", &frmArchiveProcessor::txtMinValue, "1e-45", 2, true,
                            {{"Error Code 6", "Error in Drawing Log Curve"}}, true));
  rows.push_back(PlotBoxRow("MinValueBelowSinglePrecision", &frmArchiveProcessor::txtMinValue, "1e-50", 2, true,
                            {{"Invalid # of Decades or Invalid Minimum Value for Log Plot", kInvalidInput}}));

  for (const BadText& bad : BadTexts()) {
    std::optional<int> stored;
    if (!bad.tooLarge) stored = bad.text == "1,5" ? 1 : 0;
    rows.push_back(StepsRow(std::string("Steps") + bad.name, bad.text, stored));
  }
  rows.push_back(StepsRow("StepsNegative", "-7", -7));
  rows.push_back(StepsRow("StepsHexBeyond16Bits", "&H10000", std::nullopt));
}

std::vector<Row> AllRows() {
  std::vector<Row> rows;
  AddElementFileRows(rows);
  AddOpenRows(rows);
  AddChangedElementFileRows(rows);
  AddOutputFileRows(rows);
  AddTextRows(rows);
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInputTest, ::testing::ValuesIn(AllRows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
}  // namespace tavelin
