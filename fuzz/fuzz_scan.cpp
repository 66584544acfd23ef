// Begin Scan over any element record file with a few steps, any bound texts and any locale: the
// output file holds StepCount x ElementCount records exactly when the scan reports success, every
// record belongs to its element and step, sensible networks give the textbook impedance, and the
// element file is left as it was.
//
// Input: step count byte, locale byte, bounds byte, upper text, lower text, then the element file.

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/checked_arithmetic.hpp"
#include "base/number_text.hpp"
#include "base/run_time_error.hpp"
#include "fuzz_support.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/output_file.hpp"
#include "network/output_record.hpp"

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

constexpr std::size_t kMaxElements = 200;
constexpr std::array<std::int16_t, 8> kStepCounts = {0, 1, 2, 3, 4, 5, -1, 5};

// Bounds that start a scan, so that most inputs reach the models; the C-locale texts are written
// with the locale's separator.
constexpr std::array<std::pair<const char*, const char*>, 6> kBounds = {{{"30", "1"},
                                                                        {"14.3", "14.2"},
                                                                        {"1e6", "0.001"},
                                                                        {"29.75", "3.5"},
                                                                        {"3.4e38", "1e-30"},
                                                                        {"1.0000001", "1"}}};

std::string WithSeparator(std::string text, const NumberLocale& locale) {
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, locale.decimal);
  return text;
}

// Whether the bounds start a scan, worked out apart from the scan's own code.
bool BoundsValid(const std::string& upperText, const std::string& lowerText, const NumberLocale& locale) {
  float upper = 0.0f;
  float lower = 0.0f;
  try {
    upper = CSng(ReadLocaleNumber(upperText, locale));
    lower = CSng(ReadLocaleNumber(lowerText, locale));
  } catch (const RunTimeError&) {
    return false;
  }
  const double step = (static_cast<double>(upper) - static_cast<double>(lower)) / 99.0;
  return lower > 0.0f && upper > lower && static_cast<float>(step) > 0.0f;
}

std::int16_t Int16At(const std::uint8_t* bytes) {
  std::int16_t v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

OutputRecord RecordAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  OutputRecord r;
  DecodeOutputRecord(std::span<const std::byte, kOutputRecordLength>(
                         reinterpret_cast<const std::byte*>(bytes.data()) + index * kOutputRecordLength,
                         kOutputRecordLength),
                     r);
  return r;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The impedance looking into the ladder, element by element, worked out in long double from the
// series sum, the parallel product over sum and the transmission-line equation. It stops vouching
// for the result at anything outside sensible values, near an exact resonance, or where a line is so
// long in wavelengths that the rounding of its phase matters.
struct LadderReference {
  using Complex = std::complex<long double>;
  Complex z;
  long double scale = 0;  // largest impedance met this step: the size of the rounding errors
  bool trusted = false;
  double frequency = 0;

  static bool Sensible(double v) { return std::isfinite(v) && std::fabs(v) >= 1e-6 && std::fabs(v) <= 1e9; }
  static bool SensibleOrZero(double v) { return v == 0.0 || Sensible(v); }
  static double FieldOf(const std::uint8_t* element, std::size_t offset) {
    double v;
    std::memcpy(&v, element + offset, sizeof v);
    return v;
  }

  void Start(bool quiet, double loadRe, double loadIm, double f) {
    z = Complex(loadRe, loadIm);
    frequency = f;
    trusted = quiet && SensibleOrZero(loadRe) && SensibleOrZero(loadIm) && std::abs(z) >= 1e-6L && f >= 1e-3 &&
              f <= 1e6;
    scale = std::abs(z);
  }

  // Z0 (Zt cosh gl + Z0 sinh gl) / (Z0 cosh gl + Zt sinh gl); false when it cannot be vouched for.
  bool Line(const std::uint8_t* element, double length, Complex terminal, Complex& input) {
    const double z0Re = FieldOf(element, 40);
    const double z0Im = FieldOf(element, 48);
    const double loss = FieldOf(element, 64);
    const double vf = FieldOf(element, 72);
    if (!Sensible(length) || !SensibleOrZero(z0Re) || !SensibleOrZero(z0Im) || !SensibleOrZero(loss) ||
        !(vf >= 0.01 && vf <= 10)) {
      return false;
    }
    const Complex z0(z0Re, z0Im);
    const long double pi = 3.14159L;  // the program's truncated pi
    const long double phase = 2 * pi * frequency * length / (299.796L * vf);
    const long double nepers = loss / 868.8L * length * 3.2808333333333333L;
    if (std::abs(z0) < 1e-3L || phase > 1e3L || loss < 0 || nepers > 50) return false;
    const Complex gl(nepers, phase);
    const Complex numerator = terminal * std::cosh(gl) + z0 * std::sinh(gl);
    const Complex denominator = z0 * std::cosh(gl) + terminal * std::sinh(gl);
    if (std::abs(denominator) < 1e-3L * (std::abs(z0 * std::cosh(gl)) + std::abs(terminal * std::sinh(gl)))) {
      return false;
    }
    input = z0 * numerator / denominator;
    scale = std::max({scale, std::abs(input), std::abs(terminal), std::abs(z0)});
    return true;
  }

  bool Shunt(Complex branch) {
    if (std::abs(z + branch) < 1e-3L * (std::abs(z) + std::abs(branch)) || std::abs(branch) == 0) return false;
    z = z * branch / (z + branch);
    return true;
  }

  void Add(std::int16_t type, double value, const std::uint8_t* element, const OutputRecord& out) {
    if (!trusted) return;
    const long double twoPi = 6.28318L;  // the program's 2 x 3.14159
    const bool lumped = type >= 0 && type <= 5;
    if ((lumped && !Sensible(value)) || type < 0 || type > 8) {
      trusted = false;
      return;
    }
    Complex branch;
    switch (type) {
      case 0: case 1: branch = Complex(value, 0); break;
      case 2: case 3: branch = Complex(0, twoPi * frequency * value); break;
      case 4: case 5: branch = Complex(0, -1e6L / (twoPi * frequency * value)); break;
      case 6: {
        const double r = FieldOf(element, 88);
        const double c = FieldOf(element, 96);
        if (!SensibleOrZero(r) || !Sensible(c)) {
          trusted = false;
          return;
        }
        const Complex x(0, -1e6L / (twoPi * frequency * c));
        const Complex end = r == 0.0 ? Complex(0) : Complex(r) * x / (Complex(r) + x);
        trusted = Line(element, value, end, branch);
        break;
      }
      case 7: {
        const double r = FieldOf(element, 104);
        const double l = FieldOf(element, 112);
        if (!SensibleOrZero(r) || !SensibleOrZero(l)) {
          trusted = false;
          return;
        }
        trusted = Line(element, value, Complex(r, twoPi * frequency * l), branch);
        break;
      }
      default: {
        Complex input;
        trusted = Line(element, value, z, input);
        if (trusted) z = input;
        break;
      }
    }
    if (!trusted) return;
    scale = std::max(scale, std::abs(branch));
    if (type == 0 || type == 2 || type == 4) z += branch;
    if (type == 1 || type == 3 || type == 5 || type == 6 || type == 7) trusted = Shunt(branch);
    scale = std::max(scale, std::abs(z));
    // A node voltage far from 1 V has lost digits to the range of a double.
    const long double volts = std::hypot(out.Node.VoltageRe, out.Node.VoltageIm);
    if (!(volts > 1e-200L && volts < 1e200L)) trusted = false;
  }

  bool Agrees(const OutputRecord& out) const {
    if (!trusted) return true;
    const Complex program(out.Node.ImpedanceRe, out.Node.ImpedanceIm);
    return std::abs(program - z) <= 1e-7L * scale;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputSplitter input(data, size);
  const std::int16_t stepCount = kStepCounts[input.Byte() % kStepCounts.size()];
  const std::uint8_t localeByte = input.Byte();
  const NumberLocale locale = LocaleNumber(localeByte % kLocaleCount);
  // A second scan deletes the file the first one left open twice over. Its records need not equal
  // the first scan's: an element without a model, or an output that a model leaves after an abandoned
  // quotient, keeps what the last record written held.
  const bool scanTwice = (localeByte / kLocaleCount) % 2 == 1;
  const std::uint8_t boundsByte = input.Byte();
  std::string upperText = input.Text(16);
  std::string lowerText = input.Text(16);
  if (boundsByte % 4 != 0) {
    const auto& bounds = kBounds[boundsByte % kBounds.size()];
    upperText = WithSeparator(bounds.first, locale);
    lowerText = WithSeparator(bounds.second, locale);
  }
  const std::size_t fileSize = std::min(input.RestSize(), kMaxElements * kElementRecordLength);
  const std::uint8_t* file = input.Rest();

  const std::string elementPath = ScratchFile("network.dat");
  WriteFile(elementPath, file, fileSize);

  MessageSink sink;
  EndSink end;
  RecordFiles files;
  const Services services{sink, end, files, locale, ScratchFolder()};
  NetworkState state;
  Check(OpenElementFile(services, state, elementPath, [](std::int16_t) {}), "the element file did not open", &sink);
  state.StepCount = stepCount;
  const int elements = state.ElementCount;
  const int expectedRecords = std::max<int>(stepCount, 0) * elements;
  const bool valid = BoundsValid(upperText, lowerText, locale);

  for (int run = 0; run < (scanTwice ? 2 : 1); ++run) {
    sink.shown.clear();
    const ScanOutcome outcome = BeginScan(services, state, upperText, lowerText);
    Check(end.calls == 0, "the scan ended the program", &sink);
    Check(outcome == ScanOutcome::kReopened, "the output file was not reopened", &sink);

    const std::vector<std::uint8_t> output = ReadFile(OutputFilePath(services));
    Check(output.size() % kOutputRecordLength == 0, "a partial output record", &sink);
    const int records = static_cast<int>(output.size() / kOutputRecordLength);
    Check(state.OutputRecordCount == records, "OutputRecordCount is not the file's record count", &sink);

    const int status = sink.Count("Status");
    const int setup = sink.Count("Error in Setup");
    const int noRecords = sink.Count("Error - No Records");
    const int stopped = sink.Count("Error in Scan");
    Check(status + setup + noRecords + stopped == 1, "not exactly one outcome message", &sink);
    Check(setup == (valid ? 0 : 1), valid ? "valid bounds refused" : "invalid bounds scanned", &sink);
    Check(noRecords == (valid && elements == 0 ? 1 : 0), "wrong no-records refusal", &sink);
    if (status == 1) {
      Check(records == expectedRecords, "status shown, but " + std::to_string(records) + " records for " +
                                            std::to_string(expectedRecords), &sink);
      Check(sink.shown.back().text ==
                "All records processed over the range of " + std::to_string(stepCount) + " frequencies.",
            "wrong status text", &sink);
    } else if (stopped == 1) {
      Check(records < expectedRecords, "a stopped scan wrote every record", &sink);
    } else {
      Check(records == 0, "a refused scan left records", &sink);
    }

    // Records are grouped by step, carry their element's fields and one frequency per step, and the
    // frequency rises from the lower bound. Through elements of sensible values the impedance is the
    // textbook one.
    bool quiet = true;
    for (const Shown& s : sink.shown) quiet &= s.title == "Status" || s.title == "Warning";
    double previousFrequency = 0.0;
    LadderReference reference;
    for (int r = 0; r < records; ++r) {
      const int step = elements > 0 ? r / elements : 0;
      const int element = elements > 0 ? r % elements : 0;
      const OutputRecord out = RecordAt(output, static_cast<std::size_t>(r));
      const std::size_t base = static_cast<std::size_t>(element) * kElementRecordLength;
      std::uint8_t elementBytes[kElementRecordLength] = {};
      for (std::size_t i = 0; i < kElementRecordLength && base + i < fileSize; ++i) elementBytes[i] = file[base + i];
      double value;
      std::memcpy(&value, elementBytes + 80, sizeof value);
      Check(out.ElementType == Int16At(elementBytes + 120) && out.ExtraWord == Int16At(elementBytes + 122) &&
                SameBits(out.ElementValue, value),
            "record " + std::to_string(r + 1) + " does not copy element " + std::to_string(element + 1), &sink);
      if (element == 0) {
        if (step == 0) {
          const float lower = CSng(ReadLocaleNumber(lowerText, locale));
          Check(SameBits(out.Frequency, static_cast<double>(lower)), "the first step is not at the lower bound",
                &sink);
        } else {
          Check(out.Frequency > previousFrequency, "the frequency did not rise", &sink);
        }
        previousFrequency = out.Frequency;
      } else {
        Check(SameBits(out.Frequency, previousFrequency), "two frequencies in one step", &sink);
      }
      if (element == 0) {
        double loadRe;
        double loadIm;
        std::memcpy(&loadRe, elementBytes + 0, sizeof loadRe);
        std::memcpy(&loadIm, elementBytes + 8, sizeof loadIm);
        reference.Start(quiet, loadRe, loadIm, out.Frequency);
      }
      reference.Add(Int16At(elementBytes + 120), value, elementBytes, out);
      Check(reference.Agrees(out), "record " + std::to_string(r + 1) + ": impedance " +
                                       std::to_string(out.Node.ImpedanceRe) + " " +
                                       std::to_string(out.Node.ImpedanceIm) + ", textbook " +
                                       std::to_string(static_cast<double>(reference.z.real())) + " " +
                                       std::to_string(static_cast<double>(reference.z.imag())), &sink);
    }


  }

  const std::vector<std::uint8_t> after = ReadFile(elementPath);
  Check(after.size() == fileSize && (fileSize == 0 || std::memcmp(after.data(), file, fileSize) == 0),
        "the scan changed the element file", &sink);
  return 0;
}
