#pragma once

#include <array>
#include <cstdint>
#include <cstring>

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

}  // namespace tavelin::testing
