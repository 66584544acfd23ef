#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "base/messages.hpp"

namespace tavelin::bench {

// Counts message boxes instead of showing them: a benchmark that met one timed another path.
class SilentMessages : public MessageBoxes {
 public:
  void Show(const std::string&, const std::string&) override { ++shown; }
  int shown = 0;
};

class NoEnd : public ProgramEnd {
 public:
  void EndNow() override {}
};

// The process state a benchmark runs in, the last part of its name: "fresh" before the toolkit has
// started, as in a program without windows; "toolkit" after QApplication has started, shown a window
// and run its event loop, as in the program. Qt leaves the upper halves of the vector registers in
// use, which slows every SSE instruction until something clears them.
inline bool AfterToolkit(const std::string& state) { return state == "toolkit"; }

// Leaves the vector state as the toolkit leaves it, in the toolkit state; nothing in the fresh one.
void AsTheToolkitLeavesIt(const std::string& state);

// For benchmarks of milliseconds: the same before every iteration, outside the timing.
inline void EachIterationAsTheToolkitLeavesIt(benchmark::State& bench, const std::string& state) {
  if (!AfterToolkit(state)) return;
  bench.PauseTiming();
  AsTheToolkitLeavesIt(state);
  bench.ResumeTiming();
}

// Each file registers its benchmarks for one state; the names end in that state.
void RegisterScanBenchmarks(const std::string& state);
void RegisterSolverBenchmarks(const std::string& state);
void RegisterPlotBenchmarks(const std::string& state);

}  // namespace tavelin::bench
