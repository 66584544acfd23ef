#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "network/element_file.hpp"
#include "network/frequency_scan.hpp"
#include "network/network_text.hpp"
#include "network/output_file.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin::testing {

// One 68-byte record of the scan output file, read by offset: frequency at 0, voltage, current and
// impedance (real, imaginary) at 8 to 48, the element's value at 56, its type at 64, the extra word at 66.
struct OutputBytes {
  double frequency;
  std::array<double, 6> node;  // VRe VIm IRe IIm ZRe ZIm
  double value;
  std::int16_t type, extra;
};

inline std::vector<OutputBytes> ReadOutput(const std::string& path) {
  const std::vector<std::byte> bytes = ReadBytes(path);
  std::vector<OutputBytes> records(bytes.size() / 68);
  for (std::size_t r = 0; r < records.size(); ++r) {
    const std::byte* at = bytes.data() + r * 68;
    std::memcpy(&records[r].frequency, at, 8);
    std::memcpy(records[r].node.data(), at + 8, 48);
    std::memcpy(&records[r].value, at + 56, 8);
    std::memcpy(&records[r].type, at + 64, 2);
    std::memcpy(&records[r].extra, at + 66, 2);
  }
  return records;
}

// One running program's scan, without its window: a network described as text opened as File > Open
// opens it, then Begin Scan. The program folder is a fresh one unless another program's is given.
struct ScanRig {
  explicit ScanRig(std::filesystem::path programFolder = {})
      : services{messages, end, files, NumberLocale{}, (programFolder.empty() ? folder.Path() : programFolder).string()} {}
  void Open(std::string_view network, std::int16_t steps = 100, const std::string& name = "net.dat") {
    const std::string path = (std::filesystem::path(services.programFolder) / name).string();
    WriteBytes(path, EncodeElementFile(ParseNetworkText(network)));
    static_cast<void>(OpenElementFile(services, state, path, [](std::int16_t) {}));
    state.StepCount = steps;
  }
  ScanOutcome Scan(std::string_view lower = "1", std::string_view upper = "2") {
    messages.shown.clear();
    return BeginScan(services, state, upper, lower);
  }
  std::string Output() const { return OutputFilePath(services); }
  std::vector<OutputBytes> Records() const { return ReadOutput(Output()); }

  TempDir folder;
  RecordingMessages messages;
  RecordingEnd end;
  RecordFiles files;
  Services services;
  NetworkState state;
};

}  // namespace tavelin::testing
