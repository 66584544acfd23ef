#pragma once

// The command line of tavelin-cli, its scan and export, and what its plot shares with them. No
// toolkit here: tavelin-cli links this alone and starts the plot program only to draw.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/services.hpp"
#include "network/network_state.hpp"

namespace tavelin::cli {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadArguments = 2;

// A wrong command line; the caller prints the reason and where the usage is.
struct ArgumentError {
  std::string reason;
};

// The parsed command line of one subcommand: one file and named options.
struct Arguments {
  std::string file;
  std::map<std::string, std::vector<std::string>> options;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& fallback = {}) const;
  std::string Need(const std::string& name) const;
};

// The message boxes of the windows, as lines on standard error. Kept too, so the caller can tell how
// a routine ended; held back while muted.
class StderrMessages : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& title) override;
  static void Print(const std::pair<std::string, std::string>& message);
  bool Saw(const std::string& title) const;

  std::vector<std::pair<std::string, std::string>> shown;
  bool muted = false;
};

class RecordedEnd : public ProgramEnd {
 public:
  void EndNow() override { ended = true; }
  bool ended = false;
};

// What the window holds while it works: its files, messages and network state.
struct Session {
  StderrMessages messages;
  RecordedEnd end;
  RecordFiles files;
  Services services{messages, end, files, NumberLocale{}, std::string()};
  NetworkState state;
};

// "tavelin-cli: reason" on standard error.
void Fail(const std::string& reason);

// A scan output file opened for reading the way Compute and Plot reads it, with the number of
// elements per step (from --network, or where the frequency changes) in state.ElementCount.
bool LoadScanOutput(Session& session, const Arguments& arguments);

// The --output file, refused when empty or when it names an input file.
std::string CheckedOutput(const Arguments& arguments);

// Writes bytes to path through a new file beside it that then takes its place, so a failed write
// leaves what was there; a failure is reported.
[[nodiscard]] bool SaveFile(const std::string& path, std::string_view bytes);

// The whole command line: --help, the subcommands and the exit status. plot draws the plot
// subcommand, given the parsed arguments.
int RunCommandLine(int argc, char** argv, const std::function<int(const Arguments&)>& plot);

}  // namespace tavelin::cli
