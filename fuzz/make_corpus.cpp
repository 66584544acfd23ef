// Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/: the example networks,
// hand-made odd records, and scan output files from real scans of the examples.
//
//   fuzz_make_corpus SOURCE_DIR

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/network_text.hpp"
#include "network/output_file.hpp"

using namespace tavelin;
using namespace tavelin::fuzz;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

fs::path corpus;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(corpus / target);
  WriteFile((corpus / target / name).string(), bytes.data(), bytes.size());
}

template <typename... More>
Bytes Concat(Bytes a, const More&... more) {
  (a.insert(a.end(), more.begin(), more.end()), ...);
  return a;
}

Bytes Text(const std::string& text) {
  Bytes b{static_cast<std::uint8_t>(text.size())};
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

Bytes ElementBytes(const std::vector<ElementRecord>& records) {
  const std::vector<std::byte> bytes = EncodeElementFile(records);
  Bytes out(bytes.size());
  std::memcpy(out.data(), bytes.data(), bytes.size());
  return out;
}

Bytes DoubleBytes(double v) {
  Bytes b(sizeof v);
  std::memcpy(b.data(), &v, sizeof v);
  return b;
}

// Scans an element file with the given steps and bounds, as Begin Scan does, and returns the output.
Bytes ScanOutput(const Bytes& elements, std::int16_t steps, const std::string& upper, const std::string& lower) {
  MessageSink sink;
  EndSink end;
  RecordFiles files;
  const Services services{sink, end, files, NumberLocale{}, ScratchFolder()};
  NetworkState state;
  const std::string path = ScratchFile("seed.dat");
  WriteFile(path, elements.data(), elements.size());
  OpenElementFile(services, state, path, [](std::int16_t) {});
  state.StepCount = steps;
  BeginScan(services, state, upper, lower);
  files.CloseAll();
  return ReadFile(OutputFilePath(services));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_make_corpus SOURCE_DIR\n";
    return 2;
  }
  const fs::path source = argv[1];
  corpus = source / "fuzz" / "corpus";

  struct Example {
    const char* name;
    const char* upper;
    const char* lower;
  };
  const std::array<Example, 4> examples = {{{"two-element", "30", "1"},
                                            {"l-network-14mhz", "18", "10"},
                                            {"stub-and-lossy-line", "30", "1"},
                                            {"every-element", "30", "1"}}};

  // Odd element records: non-finite and denormal fields, extreme type codes, a zero capacitor.
  ElementRecord odd;
  odd.LoadResistance = std::numeric_limits<double>::quiet_NaN();
  odd.LoadReactance = std::numeric_limits<double>::infinity();
  odd.ElementValue = std::numeric_limits<double>::denorm_min();
  odd.ElementType = -32768;
  odd.ExtraWord = 32767;
  ElementRecord top = odd;
  top.LoadResistance = 50.0;
  top.LoadReactance = -std::numeric_limits<double>::infinity();
  top.ElementValue = -std::numeric_limits<double>::max();
  top.ElementType = 32767;
  ElementRecord zeroCapacitor;
  zeroCapacitor.LoadResistance = 50.0;
  zeroCapacitor.ElementType = kShuntC;
  ElementRecord nanStub;
  nanStub.LoadResistance = 50.0;
  nanStub.ElementType = kStubOpen;
  nanStub.ElementValue = 1.0;
  nanStub.VelocityFactor = std::numeric_limits<double>::quiet_NaN();
  nanStub.LineZ0Resistance = 50.0;
  const Bytes oddFile = ElementBytes({odd, top, zeroCapacitor, nanStub});

  // File > Open: the examples, lengths around the rounding of a partial record, odd fields.
  for (const Example& e : examples) {
    Seed("fuzz_element_file", std::string(e.name) + ".dat",
         ReadFile((source / "examples" / (std::string(e.name) + ".dat")).string()));
  }
  Seed("fuzz_element_file", "empty", {});
  Seed("fuzz_element_file", "odd-records", oddFile);
  const Bytes two = ReadFile((source / "examples" / "two-element.dat").string());
  for (std::size_t length : {61u, 62u, 186u, 187u, 310u}) {
    Bytes cut(two.begin(), two.begin() + std::min(length, two.size()));
    cut.resize(length, 0x41);
    Seed("fuzz_element_file", "length-" + std::to_string(length), cut);
  }

  // Begin Scan: 5 steps over each example with typed bounds, preset bounds, and odd records.
  const Bytes typed = {5, 0, 0};
  for (const Example& e : examples) {
    const Bytes file = ReadFile((source / "examples" / (std::string(e.name) + ".dat")).string());
    Seed("fuzz_scan", std::string(e.name), Concat(typed, Text(e.upper), Text(e.lower), file));
  }
  Seed("fuzz_scan", "german-bounds", Concat(Bytes{3, 1, 0}, Text("14,3"), Text("14,2"), two));
  Seed("fuzz_scan", "bad-bounds", Concat(Bytes{2, 3, 0}, Text("1.500"), Text("0"), two));
  Seed("fuzz_scan", "no-elements", Concat(Bytes{5, 0, 0}, Text("30"), Text("1")));
  Seed("fuzz_scan", "odd-records-twice", Concat(Bytes{5, 3, 1, 0, 0}, oddFile));
  Seed("fuzz_scan", "one-step-wide-band", Concat(Bytes{1, 0, 4, 0, 0}, oddFile));

  // Compute and Plot: real scan output of each example; the default window of 525 x 506 pixels.
  const Bytes window = {2, 12, 1, 249};
  for (const Example& e : examples) {
    const Bytes file = ReadFile((source / "examples" / (std::string(e.name) + ".dat")).string());
    const Bytes output = ScanOutput(file, 5, e.upper, e.lower);
    const auto count = static_cast<std::uint8_t>(file.size() / kElementRecordLength);
    Seed("fuzz_plot", std::string(e.name) + "-scan",
         Concat(Bytes{count}, window, Bytes{0}, Text("50"), Text("5"), Text("0.1"), output));
  }
  const Bytes oddOutput = ScanOutput(oddFile, 3, "30", "1");
  Seed("fuzz_plot", "odd-records-scan", Concat(Bytes{4}, window, Bytes{1, 0, 0, 0}, oddOutput));
  Seed("fuzz_plot", "partial-record",
       Concat(Bytes{1, 0, 0, 0, 0, 6, 0, 0, 0},
              Bytes(oddOutput.begin(), oddOutput.begin() + std::min<std::size_t>(oddOutput.size(), 100))));
  Seed("fuzz_plot", "german-texts",
       Concat(Bytes{2, 2, 12, 1, 249, 4}, Text("50"), Text("2,5"), Text("0,1"), ScanOutput(two, 4, "30", "1")));

  // Numbers: texts for the readers; the first 8 bytes of each are also the value formatted.
  int index = 0;
  for (const char* text : {"  14.2 ", "-2,5e3", "&H7FFF", "&o777", "32767.5", "-32768.5", "1e309", "4.9e-324",
                           "1 2 3.5e1x", "1.500", "\xe2\x88\x92" "0,5", "0.00005000"}) {
    const std::string t = text;
    Seed("fuzz_numbers", "text-" + std::to_string(++index), Bytes(t.begin(), t.end()));
  }
  for (double v : {0.5, -0.00005, 0.12345, 2.5, 1e300, -1e-5, 99999.99995, 1.0 / 3.0,
                   std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::quiet_NaN(),
                   -std::numeric_limits<double>::infinity()}) {
    char name[40];
    std::snprintf(name, sizeof name, "value-%a", v);
    Seed("fuzz_numbers", name, DoubleBytes(v));
  }
  std::cout << "seeds written to " << corpus.string() << '\n';
  return 0;
}
