// A whole Begin Scan on real files: 100 steps over 327 elements (32700 records, about the largest
// file the output's 16-bit count allows), over 10 elements, and one element over 32767 steps; then
// Compute and Plot reading such files back.
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/network_text.hpp"
#include "plot/plot_data.hpp"

namespace tavelin::bench {
namespace {

std::string MixedNetwork(int elements) {
  static const char* const kCycle[] = {
      "SerTransLine 1.5 z0=50 loss=1.2 vf=0.66", "ShuntC 47", "SeriesL 0.33",
      "StubShorted 0.8 z0=50 loss=0.9 vf=0.66 rshort=0.01 lshort=0.002", "SeriesR 2.2",
      "StubOpen 0.6 z0=75 loss=0.8 vf=0.8 ropen=1e9 copen=0.5", "ShuntR 5000", "SeriesC 1000",
      "ShuntL 10"};
  std::string text = "SeriesR 1 rload=50 xload=10\n";
  for (int i = 1; i < elements; ++i) text += std::string(kCycle[i % 9]) + "\n";
  return text;
}

// A network of the given size open as after File > Open, in a folder of its own.
class OpenNetwork {
 public:
  OpenNetwork(int elements, int steps) {
    const std::string network = folder_ + "/network.dat";
    const auto bytes = EncodeElementFile(ParseNetworkText(MixedNetwork(elements)));
    std::ofstream(network, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    state.ElementFile = files.FreeFile();
    files.Open(state.ElementFile, network, kElementRecordLength);
    state.ElementCount = CountRecords(files.Length(state.ElementFile), kElementRecordLength);
    state.StepCount = static_cast<std::int16_t>(steps);
  }
  ~OpenNetwork() {
    files.CloseAll();
    std::filesystem::remove_all(folder_);
  }
  OpenNetwork(const OpenNetwork&) = delete;
  OpenNetwork& operator=(const OpenNetwork&) = delete;

  bool Scan() {
    return BeginScan(services, state, "30", "1") == ScanOutcome::kReopened &&
           state.OutputRecordCount == state.StepCount * state.ElementCount;
  }

 private:
  static std::string NewFolder() {
    char pattern[] = "/tmp/tavelin-bench-XXXXXX";
    return ::mkdtemp(pattern);
  }
  std::string folder_ = NewFolder();

 public:
  SilentMessages messages;
  NoEnd end;
  RecordFiles files;
  NetworkState state;
  Services services{messages, end, files, NumberLocale{}, folder_};
};

void FullScan(benchmark::State& bench, const std::string& state) {
  OpenNetwork network(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
  AsTheToolkitLeavesIt(state);
  for (auto _ : bench) {
    EachIterationAsTheToolkitLeavesIt(bench, state);
    if (!network.Scan()) {
      bench.SkipWithError("the scan did not write every record");
      break;
    }
  }
  bench.SetItemsProcessed(bench.iterations() * bench.range(0) * bench.range(1));
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  bench.counters["peak_rss_kib"] = static_cast<double>(usage.ru_maxrss);
}

// Compute and Plot of the SWR at the input end, from the file that one scan wrote.
void ComputeAndPlot(benchmark::State& bench, const std::string& state) {
  OpenNetwork network(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
  if (!network.Scan()) {
    bench.SkipWithError("the scan did not write every record");
    return;
  }
  const PlotRequest request{6, false, "50", "5", "0.1"};
  PlotData data;
  const int shownByScan = network.messages.shown;
  AsTheToolkitLeavesIt(state);
  for (auto _ : bench) {
    EachIterationAsTheToolkitLeavesIt(bench, state);
    if (!ComputePlot(network.services, network.state, request, data) || network.messages.shown != shownByScan) {
      bench.SkipWithError("Compute and Plot refused or showed a message");
      break;
    }
  }
  bench.SetItemsProcessed(bench.iterations() * network.state.OutputRecordCount);
}

}  // namespace

void RegisterScanBenchmarks(const std::string& state) {
  // One size per process for a peak memory to compare: the scan keeps a few hundred records at most.
  benchmark::RegisterBenchmark(("BM_FullScan/" + state).c_str(), FullScan, state)
      ->ArgNames({"elements", "steps"})
      ->Args({327, 100})
      ->Args({10, 100})
      ->Args({1, 32767})
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark(("BM_ComputeAndPlot/" + state).c_str(), ComputeAndPlot, state)
      ->ArgNames({"elements", "steps"})
      ->Args({327, 100})
      ->Args({1, 32767})
      ->Args({2, 16383})
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

}  // namespace tavelin::bench
