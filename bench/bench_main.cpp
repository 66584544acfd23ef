#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QWidget>
#include <unistd.h>

#include <cstdlib>

#include "bench_support.hpp"

namespace tavelin::bench {

void AsTheToolkitLeavesIt(const std::string& state) {
  if (!AfterToolkit(state)) return;
  QImage picture(64, 64, QImage::Format_RGB32);
  picture.fill(QColor(239, 239, 239));
  QApplication::processEvents();
}

namespace {

void RegisterAll(const std::string& state) {
  RegisterScanBenchmarks(state);
  RegisterSolverBenchmarks(state);
  RegisterPlotBenchmarks(state);
}

}  // namespace
}  // namespace tavelin::bench

// Every benchmark runs first in a fresh process, before the toolkit has started, then after it has;
// --benchmark_filter picks among both, by name. Each phase prints its own table on the console (the
// library's own reporters cannot serve two runs in one process, so there is no --benchmark_out).
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const auto options = ::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                               : benchmark::ConsoleReporter::OO_Tabular;
  benchmark::ConsoleReporter beforeToolkit(options);
  tavelin::bench::RegisterAll("fresh");
  benchmark::RunSpecifiedBenchmarks(&beforeToolkit);
  benchmark::ClearRegisteredBenchmarks();

  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QWidget window;
  window.resize(525, 506);
  window.show();
  QApplication::processEvents();
  benchmark::ConsoleReporter afterToolkit(options);
  tavelin::bench::RegisterAll("toolkit");
  benchmark::RunSpecifiedBenchmarks(&afterToolkit);
  benchmark::Shutdown();
  return 0;
}
