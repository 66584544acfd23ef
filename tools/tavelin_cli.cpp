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

int RunPlotProgram(int argc, char** argv) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::filesystem::path program = error ? std::filesystem::path(argv[0]) : self;
  program.replace_filename("tavelin-cli-plot");
  const std::string path = program.string();
  std::vector<char*> arguments(argv, argv + argc);
  arguments[0] = const_cast<char*>(path.c_str());
  arguments.push_back(nullptr);
  ::execv(path.c_str(), arguments.data());
  tavelin::cli::Fail("cannot run the plot program " + path + ": " + std::strerror(errno));
  return tavelin::cli::kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  return tavelin::cli::RunCommandLine(
      argc, argv, [argc, argv](const tavelin::cli::Arguments&) { return RunPlotProgram(argc, argv); });
}
