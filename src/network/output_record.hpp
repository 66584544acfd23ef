#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "solver/node_state.hpp"

namespace tavelin {

// One record of the scan output file: 68 bytes, little-endian. Frequency in MHz; the node fields are
// the voltage, current and impedance after the element; the last three copy the element record.
inline constexpr int kOutputRecordLength = 68;

struct OutputRecord {
  double Frequency = 0.0;
  NodeValues Node;  // VoltageRe .. ImpedanceIm, filled by the element models
  double ElementValue = 0.0;
  std::int16_t ElementType = 0;
  std::int16_t ExtraWord = 0;
};

void DecodeOutputRecord(std::span<const std::byte, kOutputRecordLength> bytes, OutputRecord& record) noexcept;
void EncodeOutputRecord(const OutputRecord& record, std::span<std::byte, kOutputRecordLength> bytes) noexcept;

}  // namespace tavelin
