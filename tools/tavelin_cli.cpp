// tavelin-cli: the scan, exports of its results and plot images, without a window. Scans and exports
// load no toolkit; the plot subcommand runs tavelin-cli-plot, installed beside this program, with the
// same arguments in this same process.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_commands.hpp"

namespace {

int RunPlotProgram(char** argv) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::filesystem::path program = error ? std::filesystem::path(argv[0]) : self;
  program.replace_filename("tavelin-cli-plot");
  std::vector<char*> arguments(argv, argv + 1);
  const std::string path = program.string();
  arguments[0] = const_cast<char*>(path.c_str());
  for (char** word = argv + 1; *word != nullptr; ++word) arguments.push_back(*word);
  arguments.push_back(nullptr);
  ::execv(path.c_str(), arguments.data());
  tavelin::cli::Fail("cannot run the plot program " + path + ": " + std::strerror(errno));
  return tavelin::cli::kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  return tavelin::cli::RunCommandLine(argc, argv, [argv](const tavelin::cli::Arguments&) { return RunPlotProgram(argv); });
}
