#include <bit>
#include <cstring>

#include "network/element_record.hpp"
#include "network/output_record.hpp"

namespace tavelin {

static_assert(std::endian::native == std::endian::little, "record files are little-endian");

namespace {

template <typename T>
void Get(std::span<const std::byte> bytes, std::size_t offset, T& value) {
  std::memcpy(&value, bytes.data() + offset, sizeof value);
}

template <typename T>
void Put(std::span<std::byte> bytes, std::size_t offset, const T& value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

}  // namespace

void DecodeElementRecord(std::span<const std::byte, kElementRecordLength> bytes, ElementRecord& r) {
  Get(bytes, 0, r.LoadResistance);
  Get(bytes, 8, r.LoadReactance);
  Get(bytes, 16, r.Unread1);
  Get(bytes, 40, r.LineZ0Resistance);
  Get(bytes, 48, r.LineZ0Reactance);
  Get(bytes, 56, r.Unread2);
  Get(bytes, 64, r.LineLoss);
  Get(bytes, 72, r.VelocityFactor);
  Get(bytes, 80, r.ElementValue);
  Get(bytes, 88, r.OpenEndResistance);
  Get(bytes, 96, r.OpenEndCapacitance);
  Get(bytes, 104, r.ShortEndResistance);
  Get(bytes, 112, r.ShortEndInductance);
  Get(bytes, 120, r.ElementType);
  Get(bytes, 122, r.ExtraWord);
}

void EncodeElementRecord(const ElementRecord& r, std::span<std::byte, kElementRecordLength> bytes) {
  Put(bytes, 0, r.LoadResistance);
  Put(bytes, 8, r.LoadReactance);
  Put(bytes, 16, r.Unread1);
  Put(bytes, 40, r.LineZ0Resistance);
  Put(bytes, 48, r.LineZ0Reactance);
  Put(bytes, 56, r.Unread2);
  Put(bytes, 64, r.LineLoss);
  Put(bytes, 72, r.VelocityFactor);
  Put(bytes, 80, r.ElementValue);
  Put(bytes, 88, r.OpenEndResistance);
  Put(bytes, 96, r.OpenEndCapacitance);
  Put(bytes, 104, r.ShortEndResistance);
  Put(bytes, 112, r.ShortEndInductance);
  Put(bytes, 120, r.ElementType);
  Put(bytes, 122, r.ExtraWord);
}

void DecodeOutputRecord(std::span<const std::byte, kOutputRecordLength> bytes, OutputRecord& r) {
  Get(bytes, 0, r.Frequency);
  Get(bytes, 8, r.Node.VoltageRe);
  Get(bytes, 16, r.Node.VoltageIm);
  Get(bytes, 24, r.Node.CurrentRe);
  Get(bytes, 32, r.Node.CurrentIm);
  Get(bytes, 40, r.Node.ImpedanceRe);
  Get(bytes, 48, r.Node.ImpedanceIm);
  Get(bytes, 56, r.ElementValue);
  Get(bytes, 64, r.ElementType);
  Get(bytes, 66, r.ExtraWord);
}

void EncodeOutputRecord(const OutputRecord& r, std::span<std::byte, kOutputRecordLength> bytes) {
  Put(bytes, 0, r.Frequency);
  Put(bytes, 8, r.Node.VoltageRe);
  Put(bytes, 16, r.Node.VoltageIm);
  Put(bytes, 24, r.Node.CurrentRe);
  Put(bytes, 32, r.Node.CurrentIm);
  Put(bytes, 40, r.Node.ImpedanceRe);
  Put(bytes, 48, r.Node.ImpedanceIm);
  Put(bytes, 56, r.ElementValue);
  Put(bytes, 64, r.ElementType);
  Put(bytes, 66, r.ExtraWord);
}

const char* ElementTypeName(std::int16_t code) {
  static constexpr const char* kNames[] = {"SeriesR", "ShuntR",   "SeriesL",   "ShuntL",      "SeriesC",
                                           "ShuntC",  "StubOpen", "StubShorted", "SerTransLine"};
  if (code < 0 || code > kSerTransLine) return nullptr;
  return kNames[code];
}

LineParameters LineParametersOf(const ElementRecord& r) {
  LineParameters line;
  line.Z0Re = r.LineZ0Resistance;
  line.Z0Im = r.LineZ0Reactance;
  line.Loss = r.LineLoss;
  line.VelocityFactor = r.VelocityFactor;
  line.OpenEndResistance = r.OpenEndResistance;
  line.OpenEndCapacitance = r.OpenEndCapacitance;
  line.ShortEndResistance = r.ShortEndResistance;
  line.ShortEndInductance = r.ShortEndInductance;
  return line;
}

}  // namespace tavelin
