// A whole Begin Scan at the largest size the output file allows, 100 steps over 327 elements
// (32700 records), and over 10 elements for comparison; read from and written to real files.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.hpp"
#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/network_text.hpp"

namespace tavelin {
namespace {

using bench::NoEnd;
using bench::SilentMessages;

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

void BM_FullScan(benchmark::State& bench) {
  char pattern[] = "/tmp/tavelin-bench-XXXXXX";
  const std::string folder = ::mkdtemp(pattern);
  const std::string network = folder + "/network.dat";
  {
    const auto bytes = EncodeElementFile(ParseNetworkText(MixedNetwork(static_cast<int>(bench.range(0)))));
    std::ofstream(network, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
  }
  SilentMessages messages;
  NoEnd end;
  RecordFiles files;
  Services services{messages, end, files, NumberLocale{}, folder};
  NetworkState state;
  state.ElementFile = files.FreeFile();
  files.Open(state.ElementFile, network, kElementRecordLength);
  state.ElementCount = CountRecords(files.Length(state.ElementFile), kElementRecordLength);
  state.StepCount = 100;

  for (auto _ : bench) {
    const ScanOutcome outcome = BeginScan(services, state, "30", "1");
    if (outcome != ScanOutcome::kReopened || state.OutputRecordCount != 100 * state.ElementCount) {
      bench.SkipWithError("the scan did not write every record");
      break;
    }
  }
  bench.SetItemsProcessed(bench.iterations() * 100 * state.ElementCount);
  // Run one size per process to compare: the scan reads each record anew, so the peak should not
  // grow with the network.
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  bench.counters["peak_rss_kib"] = static_cast<double>(usage.ru_maxrss);
  files.CloseAll();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FullScan)->Arg(327)->Arg(10)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavelin
