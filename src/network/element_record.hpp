#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "solver/node_state.hpp"

namespace tavelin {

// One element of the network as the element record file holds it: 124 bytes, little-endian.
inline constexpr int kElementRecordLength = 124;

struct ElementRecord {
  double LoadResistance = 0.0;  // only the first record's load is used
  double LoadReactance = 0.0;
  std::array<std::byte, 24> unread1{};  // written by the network editor, not used here
  double LineZ0Resistance = 0.0;
  double LineZ0Reactance = 0.0;
  std::array<std::byte, 8> unread2{};
  double LineLoss = 0.0;        // dB per 100 feet
  double VelocityFactor = 0.0;  // fraction of the speed of light
  double ElementValue = 0.0;    // ohms, uH, pF, or metres for stubs and lines
  double OpenEndResistance = 0.0;
  double OpenEndCapacitance = 0.0;
  double ShortEndResistance = 0.0;
  double ShortEndInductance = 0.0;
  std::int16_t ElementType = 0;
  std::int16_t ExtraWord = 0;
};

// Element type codes. Any other code is an element without a model.
enum ElementTypeCode : std::int16_t {
  kSeriesR = 0,
  kShuntR = 1,
  kSeriesL = 2,
  kShuntL = 3,
  kSeriesC = 4,
  kShuntC = 5,
  kStubOpen = 6,
  kStubShorted = 7,
  kSerTransLine = 8,
};

void DecodeElementRecord(std::span<const std::byte, kElementRecordLength> bytes, ElementRecord& record) noexcept;
void EncodeElementRecord(const ElementRecord& record, std::span<std::byte, kElementRecordLength> bytes) noexcept;

// "SeriesR" ... "SerTransLine"; none for an unlisted code.
constexpr std::optional<std::string_view> ElementTypeName(std::int16_t code) noexcept {
  constexpr std::string_view kNames[] = {"SeriesR", "ShuntR",   "SeriesL",     "ShuntL",      "SeriesC",
                                         "ShuntC",  "StubOpen", "StubShorted", "SerTransLine"};
  if (code < kSeriesR || code > kSerTransLine) return std::nullopt;
  return kNames[code];
}

// The fields the line and stub models read.
LineParameters LineParametersOf(const ElementRecord& record) noexcept;

}  // namespace tavelin
