// tavelin-cli's scan and export: every number comes from the routines the windows use, Begin Scan,
// the output file reader and Compute and Plot.

#include "cli_commands.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "base/platform_files.hpp"
#include "base/record_files.hpp"
#include "base/run_time_error.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/output_file.hpp"
#include "network/output_record.hpp"
#include "plot/plot_data.hpp"

namespace tavelin::cli {
namespace {

constexpr const char* kUsage = R"(usage:
  tavelin-cli scan NETWORK.dat --lower MHZ --upper MHZ [--steps 100] --output OUT.dat [--quiet] [--verbose]
  tavelin-cli export OUT.dat [--network NETWORK.dat] --format csv|s1p [--r0 50] [--all-nodes] --output FILE
  tavelin-cli plot OUT.dat [--network NETWORK.dat] --variable vmag|imag|zmag|vphase|iphase|zphase|swr
              [--normalizer 50] [--log DECADES MIN] [--size 1050x1012] --output FILE.svg|.pdf|.png
  tavelin-cli --help

scan     runs Begin Scan over the network and writes its output file to OUT.dat (the only file it
         deletes or replaces). --steps is the number of frequencies; the step is a 99th of the band.
         --quiet keeps a complete scan silent; --verbose lists the elements as File > Open does.
export   writes the network's input end at every frequency (every node with --all-nodes) as CSV, or
         S11 against --r0 ohms as a Touchstone one-port (.s1p).
plot     draws the plot of Compute and Plot as SVG, PDF or PNG, --size pixels (WIDTHxHEIGHT) large;
         --log sets a logarithmic scale of DECADES decades from MIN.

Numbers are written with a period. The window's messages go to standard error as "Title: text".
Exit status: 0 done, 1 refused or failed, 2 bad arguments.
)";

// name -> number of values it takes, for each subcommand.
const std::map<std::string, std::map<std::string, int>> kOptions = {
    {"scan", {{"lower", 1}, {"upper", 1}, {"steps", 1}, {"output", 1}, {"quiet", 0}, {"verbose", 0}}},
    {"export", {{"network", 1}, {"format", 1}, {"r0", 1}, {"all-nodes", 0}, {"output", 1}}},
    {"plot",
     {{"network", 1}, {"variable", 1}, {"normalizer", 1}, {"log", 2}, {"size", 1}, {"output", 1}}},
};

Arguments Parse(const std::string& command, const std::vector<std::string>& words) {
  const auto& known = kOptions.at(command);
  Arguments arguments;
  bool haveFile = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.starts_with("--")) {
      const std::string name = word.substr(2);
      const auto it = known.find(name);
      if (it == known.end()) throw ArgumentError{"unknown option " + word + " for " + command};
      if (arguments.Has(name)) throw ArgumentError{word + " is given twice"};
      std::vector<std::string>& values = arguments.options[name];
      for (int k = 0; k < it->second; ++k) {
        if (++i >= words.size()) throw ArgumentError{word + " needs " + std::to_string(it->second) + " value(s)"};
        values.push_back(words[i]);
      }
      if (values.empty()) values.emplace_back();
    } else if (!haveFile) {
      arguments.file = word;
      haveFile = true;
    } else {
      throw ArgumentError{"unexpected argument " + word};
    }
  }
  if (!haveFile) throw ArgumentError{command + " needs a file"};
  return arguments;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// A missing or odd path is refused here, as opening creates a missing file.
bool ExistingFile(const std::string& path, const char* what) {
  const platform::FileStatus status = platform::StatusOf(path);
  if (!status.regular) {
    const std::string problem = status.exists ? "not a regular file" : status.problem;
    Fail(std::string("cannot read ") + what + " " + path + ": " + problem);
  }
  return status.regular;
}

// File > Open without the dialog. The elements are listed only when verbose; a failure always shows.
bool OpenNetwork(Session& session, const std::string& path, bool verbose) {
  if (!ExistingFile(path, "network file")) return false;
  session.messages.muted = true;
  const std::size_t before = session.messages.shown.size();
  const bool opened = OpenElementFile(session.services, session.state, path, [](std::int16_t) {});
  session.messages.muted = false;
  for (std::size_t i = before; i < session.messages.shown.size(); ++i) {
    if (verbose || (!opened && i + 1 == session.messages.shown.size())) {
      StderrMessages::Print(session.messages.shown[i]);
    }
  }
  return opened;
}

int Scan(const Arguments& arguments) {
  const std::string output = arguments.Need("output");
  const std::string lower = arguments.Need("lower");
  const std::string upper = arguments.Need("upper");
  const std::string stepsText = arguments.Get("steps", "100");
  int steps = 0;
  const auto [end, error] = std::from_chars(stepsText.data(), stepsText.data() + stepsText.size(), steps);
  if (error != std::errc() || end != stepsText.data() + stepsText.size() || steps < -32768 || steps > 32767) {
    throw ArgumentError{"--steps must be a whole number from -32768 to 32767"};
  }
  if (output.empty()) throw ArgumentError{"--output needs a file name"};
  if (SameFile(output, arguments.file)) {
    Fail("the output file " + output + " is the network file; name another");
    return kFailed;
  }

  Session session;
  if (!OpenNetwork(session, arguments.file, arguments.Has("verbose"))) return kFailed;
  session.state.StepCount = static_cast<std::int16_t>(steps);
  session.services.outputPath = output;
  const bool quiet = arguments.Has("quiet");
  session.messages.muted = quiet;
  const std::size_t before = session.messages.shown.size();
  const ScanOutcome outcome = BeginScan(session.services, session.state, upper, lower);
  const bool complete = outcome == ScanOutcome::kReopened && !session.end.ended && session.messages.Saw("Status");
  if (quiet && !complete) {
    for (std::size_t i = before; i < session.messages.shown.size(); ++i) StderrMessages::Print(session.messages.shown[i]);
  }
  return complete ? kDone : kFailed;
}

}  // namespace

std::string Arguments::Get(const std::string& name, const std::string& fallback) const {
  const auto it = options.find(name);
  return it == options.end() ? fallback : it->second.front();
}

std::string Arguments::Need(const std::string& name) const {
  if (!Has(name)) throw ArgumentError{"--" + name + " is required"};
  return Get(name);
}

void StderrMessages::Show(const std::string& text, const std::string& title) {
  shown.emplace_back(title.empty() ? kProgramTitle : title, text);
  if (!muted) Print(shown.back());
}

void StderrMessages::Print(const std::pair<std::string, std::string>& message) {
  std::cerr << message.first << ": " << message.second << '\n';
}

bool StderrMessages::Saw(const std::string& title) const {
  for (const auto& [t, text] : shown) {
    if (t == title) return true;
  }
  return false;
}

void Fail(const std::string& reason) { std::cerr << "tavelin-cli: " << reason << '\n'; }

bool LoadScanOutput(Session& session, const Arguments& arguments) {
  const std::string& path = arguments.file;
  NetworkState& state = session.state;
  if (arguments.Has("network") && !OpenNetwork(session, arguments.Get("network"), false)) return false;
  if (!ExistingFile(path, "scan output file")) return false;
  std::int64_t length = 0;
  try {
    state.OutputReadFile = session.files.FreeFile();
    session.files.Open(state.OutputReadFile, path, kOutputRecordLength);
    length = session.files.Length(state.OutputReadFile);
  } catch (const RunTimeError& e) {
    Fail("cannot read scan output file " + path + ": run-time error " + std::to_string(e.Number()) + " (" +
         e.what() + ")");
    return false;
  }
  if (length % kOutputRecordLength != 0) {
    Fail(path + ": " + std::to_string(length) + " bytes is not a whole number of 68-byte records: the file is cut "
         "short or is no scan output");
    return false;
  }
  const std::int64_t records = length / kOutputRecordLength;
  if (records == 0) {
    Fail(path + " holds no records: its scan was refused or wrote nothing");
    return false;
  }
  if (records > 32767) {
    Fail(path + ": " + std::to_string(records) + " records, more than the 32767 that a scan output file holds");
    return false;
  }
  state.OutputRecordCount = static_cast<std::int16_t>(records);

  std::vector<double> frequencies(static_cast<std::size_t>(records));
  OutputRecord record;
  try {
    // Every record is looked at: read in runs, not one read each.
    RecordRun run(session.files, state.OutputReadFile, kOutputRecordLength, records, 4096);
    for (std::int64_t n = 1; n <= records; ++n) {
      DecodeOutputRecord(run.Get(n).first<kOutputRecordLength>(), record);
      frequencies[static_cast<std::size_t>(n - 1)] = record.Frequency;
    }
  } catch (const RunTimeError& e) {
    Fail("cannot read scan output file " + path + ": run-time error " + std::to_string(e.Number()) + " (" +
         e.what() + ")");
    return false;
  }
  std::int64_t perStep = 1;
  while (perStep < records && frequencies[static_cast<std::size_t>(perStep)] == frequencies[0]) ++perStep;
  if (arguments.Has("network")) {
    if (state.ElementCount < 1) {
      Fail("network file " + arguments.Get("network") + " holds no elements");
      return false;
    }
    perStep = state.ElementCount;
  }
  const std::string elements = std::to_string(perStep) + " element" + (perStep == 1 ? "" : "s");
  if (records % perStep != 0) {
    Fail(path + ": " + std::to_string(records) + " records do not make whole steps of " + elements +
         ": the file is cut short or comes from another network");
    return false;
  }
  for (std::int64_t n = 1; n < records; ++n) {
    const double previous = frequencies[static_cast<std::size_t>(n - 1)];
    const double current = frequencies[static_cast<std::size_t>(n)];
    const bool stepStarts = n % perStep == 0;
    if (stepStarts ? !(current > previous) : !(current == previous)) {
      Fail(path + ": the frequency does not change every " + std::to_string(perStep) + " records, at record " +
           std::to_string(n + 1) + ": the file does not hold steps of " + elements);
      return false;
    }
  }
  state.ElementCount = static_cast<std::int16_t>(perStep);
  return true;
}

std::string CheckedOutput(const Arguments& arguments) {
  const std::string output = arguments.Need("output");
  if (output.empty()) throw ArgumentError{"--output needs a file name"};
  for (const std::string& input : {arguments.file, arguments.Get("network")}) {
    if (!input.empty() && SameFile(output, input)) throw ArgumentError{"--output must not name an input file"};
  }
  return output;
}

bool SaveFile(const std::string& path, std::string_view bytes) {
  // A file the user made read-only stays as it is.
  const platform::FileStatus existing = platform::StatusOf(path);
  std::string problem = existing.regular ? existing.problem : "not a regular file";
  // A symbolic link keeps pointing at the file, which is replaced.
  if ((!existing.exists || existing.writable) &&
      platform::ReplaceWholeFile(path, bytes, platform::LinkAtName::kFollow, problem)) {
    return true;
  }
  Fail("cannot write " + path + ": " + problem);
  return false;
}

namespace {

// A positive resistance in ohms.
double Resistance(const std::string& text, const char* option) {
  try {
    const double value = ReadLocaleNumber(text, NumberLocale{});
    if (value > 0 && std::isfinite(value)) return value;
  } catch (const RunTimeError&) {
    // Refused below.
  }
  throw ArgumentError{std::string("--") + option + " must be a positive number of ohms"};
}

int Export(const Arguments& arguments) {
  const std::string format = arguments.Need("format");
  if (format != "csv" && format != "s1p") throw ArgumentError{"--format must be csv or s1p"};
  const bool allNodes = arguments.Has("all-nodes");
  if (allNodes && format == "s1p") throw ArgumentError{"--all-nodes goes with --format csv only"};
  const double r0 = Resistance(arguments.Get("r0", "50"), "r0");
  const std::string r0Text = FormatShortest(r0);  // reads back as r0, for Compute and Plot and the header
  const std::string output = CheckedOutput(arguments);

  Session session;
  if (!LoadScanOutput(session, arguments)) return kFailed;
  NetworkState& state = session.state;
  const int perStep = state.ElementCount;
  // Every node is a plot of a one-element network: Compute and Plot then takes every record.
  if (allNodes) state.ElementCount = 1;

  // The magnitudes, phases and SWR are Compute and Plot's own, variable by variable.
  std::array<std::vector<double>, 7> columns;
  StderrMessages quiet;
  quiet.muted = true;
  Services quietServices{quiet, session.end, session.files, NumberLocale{}, std::string()};
  for (std::int16_t variable = 0; variable < 7; ++variable) {
    PlotRequest request{variable, false, r0Text, "5", "0.1"};
    PlotData data;
    if (!ComputePlot(quietServices, state, request, data) && !quiet.Saw("Points Not Plotted")) {
      for (const auto& message : quiet.shown) StderrMessages::Print(message);
      return kFailed;
    }
    columns[static_cast<std::size_t>(variable)] = std::move(data.PlotValues);
  }

  const std::size_t rows = columns[0].size();
  std::string text;
  if (format == "csv") {
    text = allNodes ? "frequency_mhz,element,type," : "frequency_mhz,";
    text += "voltage_re,voltage_im,current_re,current_im,impedance_re,impedance_im,voltage_mag,"
            "voltage_phase_deg,current_mag,current_phase_deg,impedance_mag,impedance_phase_deg,swr\n";
  } else {
    text = "! Tavelin scan output " + std::filesystem::path(arguments.file).filename().string() +
           ": the network's input end, S11 against " + r0Text + " ohms\n# MHz S RI R " + r0Text + "\n";
  }
  OutputRecord record;
  RecordRun run(session.files, state.OutputReadFile, kOutputRecordLength, state.OutputRecordCount,
                allNodes ? 4096 : 1);
  for (std::size_t i = 0; i < rows; ++i) {
    const int n = allNodes ? static_cast<int>(i) + 1 : (static_cast<int>(i) + 1) * perStep;
    DecodeOutputRecord(run.Get(n).first<kOutputRecordLength>(), record);
    const NodeValues& node = record.Node;
    if (format == "s1p") {
      const std::complex<double> z(node.ImpedanceRe, node.ImpedanceIm);
      const std::complex<double> s11 = (z - r0) / (z + r0);
      if (!std::isfinite(s11.real()) || !std::isfinite(s11.imag())) {
        Fail("S11 is undefined at " + FormatShortest(record.Frequency) + " MHz (impedance " +
             FormatShortest(z.real()) + " " + FormatShortest(z.imag()) + "j ohms); no file written");
        return kFailed;
      }
      text += FormatShortest(record.Frequency) + ' ' + FormatShortest(s11.real()) + ' ' +
              FormatShortest(s11.imag()) + '\n';
      continue;
    }
    text += FormatShortest(record.Frequency) + ',';
    if (allNodes) {
      const std::optional<std::string_view> name = ElementTypeName(record.ElementType);
      text += std::to_string((i % static_cast<std::size_t>(perStep)) + 1) + ',' +
              (name ? std::string(*name) : std::to_string(record.ElementType)) + ',';
    }
    for (double value : {node.VoltageRe, node.VoltageIm, node.CurrentRe, node.CurrentIm, node.ImpedanceRe,
                         node.ImpedanceIm}) {
      text += FormatShortest(value) + ',';
    }
    for (std::size_t c : {0u, 3u, 1u, 4u, 2u, 5u, 6u}) {
      text += FormatShortest(columns[c][i]) + (c == 6 ? '\n' : ',');
    }
  }
  return SaveFile(output, text) ? kDone : kFailed;
}

}  // namespace

int RunCommandLine(int argc, char** argv, const std::function<int(const Arguments&)>& plot) {
  tavelin::platform::IgnoreFileSizeSignal();
  std::vector<std::string> words(argv + 1, argv + argc);
  for (const std::string& word : words) {
    if (word == "--help" || word == "-h") {
      std::cout << kUsage;
      return kDone;
    }
  }
  try {
    if (words.empty() || kOptions.count(words[0]) == 0) {
      throw ArgumentError{words.empty() ? "a subcommand is needed" : "unknown subcommand " + words[0]};
    }
    const std::string command = words[0];
    const Arguments arguments = Parse(command, {words.begin() + 1, words.end()});
    if (command == "scan") return Scan(arguments);
    if (command == "export") return Export(arguments);
    return plot(arguments);
  } catch (const ArgumentError& e) {
    std::cerr << "tavelin-cli: " << e.reason << " (tavelin-cli --help shows the usage)\n";
    return kBadArguments;
  } catch (const RunTimeError& e) {
    // A file that changed under the program while it read it.
    Fail("run-time error " + std::to_string(e.Number()) + " (" + e.what() + ")");
    return kFailed;
  }
}
}  // namespace tavelin::cli
