// One element through each model, and the line transformation alone, at a typical HF frequency.

#include <string>

#include "bench_support.hpp"
#include "solver/element_models.hpp"
#include "solver/lines_and_stubs.hpp"

namespace tavelin::bench {
namespace {

// The cases are chosen to show no message; one that did would time a different path.
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

void BM_LossyLine(benchmark::State& state, const std::string& processState) {
  AsTheToolkitLeavesIt(processState);
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
using LumpedModel = void (*)(ModelContext&, double, double);
using LineModel = void (*)(ModelContext&, const LineParameters&, double, double);

// A fresh node on a 50 + j10 load each time, as at the first element of a frequency step.
NodeValues FreshNode() { return {1.0, 0.0, 0.0, 0.0, 50.0, 10.0}; }

void RunLumped(benchmark::State& state, const std::string& processState, LumpedModel model, double value) {
  AsTheToolkitLeavesIt(processState);
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  for (auto _ : state) {
    NodeValues node = FreshNode();
    NodeValues output;
    ModelContext context{reporting, node, output};
    model(context, value, kMegahertz);
    benchmark::DoNotOptimize(output);
    benchmark::DoNotOptimize(node);
  }
  CheckSilent(state, messages);
}

void RunLine(benchmark::State& state, const std::string& processState, LineModel model, double metres) {
  AsTheToolkitLeavesIt(processState);
  SilentMessages messages;
  const Reporting reporting{messages, NumberLocale{}};
  const LineParameters line = Coax();
  for (auto _ : state) {
    NodeValues node = FreshNode();
    NodeValues output;
    ModelContext context{reporting, node, output};
    model(context, line, metres, kMegahertz);
    benchmark::DoNotOptimize(output);
    benchmark::DoNotOptimize(node);
  }
  CheckSilent(state, messages);
}

}  // namespace

void RegisterSolverBenchmarks(const std::string& state) {
  const auto add = [&](const char* name, auto run) {
    benchmark::RegisterBenchmark((std::string(name) + "/" + state).c_str(), run, state);
  };
  add("BM_LossyLine", BM_LossyLine);
  const std::pair<const char*, std::pair<LumpedModel, double>> lumped[] = {
      {"BM_DoSeriesR", {DoSeriesR, 33.0}}, {"BM_DoShuntR", {DoShuntR, 470.0}},   {"BM_DoSeriesL", {DoSeriesL, 1.5}},
      {"BM_DoShuntL", {DoShuntL, 0.8}},    {"BM_DoSeriesC", {DoSeriesC, 150.0}}, {"BM_DoShuntC", {DoShuntC, 220.0}}};
  for (const auto& [name, model] : lumped) {
    add(name, [model](benchmark::State& bench, const std::string& s) {
      RunLumped(bench, s, model.first, model.second);
    });
  }
  const std::pair<const char*, std::pair<LineModel, double>> lines[] = {
      {"BM_DoStubOpen", {DoStubOpen, 2.1}}, {"BM_DoStubShorted", {DoStubShorted, 3.4}},
      {"BM_DoSerTransLine", {DoSerTransLine, 7.9}}};
  for (const auto& [name, model] : lines) {
    add(name, [model](benchmark::State& bench, const std::string& s) {
      RunLine(bench, s, model.first, model.second);
    });
  }
}

}  // namespace tavelin::bench
