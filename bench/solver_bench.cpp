// One element through each model, and the line transformation alone, at a typical HF frequency.

#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.hpp"
#include "solver/element_models.hpp"
#include "solver/lines_and_stubs.hpp"

namespace tavelin {
namespace {

// The cases are chosen to show no message; one that did would time a different path.
using bench::SilentMessages;

void CheckSilent(benchmark::State& state, const SilentMessages& messages) {
  if (messages.shown != 0) state.SkipWithError("a message box was shown");
}

constexpr double kMegahertz = 14.2;

LineParameters Coax() {
  LineParameters line;
  line.Z0Re = 75.0;
  line.Z0Im = -0.5;
  line.Loss = 1.2;  // dB per 100 feet
  line.VelocityFactor = 0.66;
  line.OpenEndResistance = 100000.0;
  line.OpenEndCapacitance = 2.0;
  line.ShortEndResistance = 0.05;
  line.ShortEndInductance = 0.01;
  return line;
}

void BM_LossyLine(benchmark::State& state) {
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  const LineParameters line = Coax();
  for (auto _ : state) {
    double zinRe = 0.0;
    double zinIm = 0.0;
    LossyLine(reporting, 137.0, 30.0, 45.0, line.Z0Re, line.Z0Im, line.Loss, line.VelocityFactor,
              kMegahertz, zinRe, zinIm);
    benchmark::DoNotOptimize(zinRe);
    benchmark::DoNotOptimize(zinIm);
  }
  CheckSilent(state, messages);
}
BENCHMARK(BM_LossyLine);

using LumpedModel = void (*)(ModelContext&, double, double);
using LineModel = void (*)(ModelContext&, const LineParameters&, double, double);

// A fresh node on a 50 + j10 load each time, as at the first element of a frequency step.
NodeState FreshNode() {
  NodeState node;
  node.NodeImpedanceRe = 50.0;
  node.NodeImpedanceIm = 10.0;
  return node;
}

void RunLumped(benchmark::State& state, LumpedModel model, double value) {
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  for (auto _ : state) {
    NodeState node = FreshNode();
    ElementOutput output;
    ModelContext context{reporting, node, output};
    model(context, value, kMegahertz);
    benchmark::DoNotOptimize(output);
    benchmark::DoNotOptimize(node);
  }
  CheckSilent(state, messages);
}

void RunLine(benchmark::State& state, LineModel model, double metres) {
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  const LineParameters line = Coax();
  for (auto _ : state) {
    NodeState node = FreshNode();
    ElementOutput output;
    ModelContext context{reporting, node, output};
    model(context, line, metres, kMegahertz);
    benchmark::DoNotOptimize(output);
    benchmark::DoNotOptimize(node);
  }
  CheckSilent(state, messages);
}

void BM_DoSeriesR(benchmark::State& state) { RunLumped(state, DoSeriesR, 33.0); }
void BM_DoShuntR(benchmark::State& state) { RunLumped(state, DoShuntR, 470.0); }
void BM_DoSeriesL(benchmark::State& state) { RunLumped(state, DoSeriesL, 1.5); }
void BM_DoShuntL(benchmark::State& state) { RunLumped(state, DoShuntL, 0.8); }
void BM_DoSeriesC(benchmark::State& state) { RunLumped(state, DoSeriesC, 150.0); }
void BM_DoShuntC(benchmark::State& state) { RunLumped(state, DoShuntC, 220.0); }
void BM_DoStubOpen(benchmark::State& state) { RunLine(state, DoStubOpen, 2.1); }
void BM_DoStubShorted(benchmark::State& state) { RunLine(state, DoStubShorted, 3.4); }
void BM_DoSerTransLine(benchmark::State& state) { RunLine(state, DoSerTransLine, 7.9); }

BENCHMARK(BM_DoSeriesR);
BENCHMARK(BM_DoShuntR);
BENCHMARK(BM_DoSeriesL);
BENCHMARK(BM_DoShuntL);
BENCHMARK(BM_DoSeriesC);
BENCHMARK(BM_DoShuntC);
BENCHMARK(BM_DoStubOpen);
BENCHMARK(BM_DoStubShorted);
BENCHMARK(BM_DoSerTransLine);

}  // namespace
}  // namespace tavelin
