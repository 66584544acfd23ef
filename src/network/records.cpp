#include <bit>
#include <cstring>

#include "network/element_record.hpp"
#include "network/output_record.hpp"

namespace tavelin {

static_assert(std::endian::native == std::endian::little, "record files are little-endian");

namespace {

template <typename T>
void Get(std::span<const std::byte> bytes, std::size_t offset, T& value) noexcept {
  std::memcpy(&value, bytes.data() + offset, sizeof value);
}

template <typename T>
void Put(std::span<std::byte> bytes, std::size_t offset, const T& value) noexcept {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// Each field with its byte offset, once for reading and writing alike.
template <typename Record, typename Visit>
constexpr void ElementFields(Record& r, Visit&& visit) {
  visit(0, r.LoadResistance);
  visit(8, r.LoadReactance);
  visit(16, r.unread1);
  visit(40, r.LineZ0Resistance);
  visit(48, r.LineZ0Reactance);
  visit(56, r.unread2);
  visit(64, r.LineLoss);
  visit(72, r.VelocityFactor);
  visit(80, r.ElementValue);
  visit(88, r.OpenEndResistance);
  visit(96, r.OpenEndCapacitance);
  visit(104, r.ShortEndResistance);
  visit(112, r.ShortEndInductance);
  visit(120, r.ElementType);
  visit(122, r.ExtraWord);
}

template <typename Record, typename Visit>
constexpr void OutputFields(Record& r, Visit&& visit) {
  visit(0, r.Frequency);
  visit(8, r.Node.VoltageRe);
  visit(16, r.Node.VoltageIm);
  visit(24, r.Node.CurrentRe);
  visit(32, r.Node.CurrentIm);
  visit(40, r.Node.ImpedanceRe);
  visit(48, r.Node.ImpedanceIm);
  visit(56, r.ElementValue);
  visit(64, r.ElementType);
  visit(66, r.ExtraWord);
}

// True when the fields, in table order, follow one another with no gap or overlap and fill length bytes,
// so no byte of a record is left unwritten or written twice.
template <typename Record, typename Table>
constexpr bool FillsRecord(Table table, std::size_t length) {
  Record r{};
  std::size_t next = 0;
  bool adjoining = true;
  table(r, [&](std::size_t offset, const auto& field) {
    adjoining = adjoining && offset == next;
    next = offset + sizeof field;
  });
  return adjoining && next == length;
}

static_assert(FillsRecord<ElementRecord>([](auto& r, auto&& v) { ElementFields(r, v); }, kElementRecordLength));
static_assert(FillsRecord<OutputRecord>([](auto& r, auto&& v) { OutputFields(r, v); }, kOutputRecordLength));

}  // namespace

void DecodeElementRecord(std::span<const std::byte, kElementRecordLength> bytes, ElementRecord& r) noexcept {
  ElementFields(r, [&](std::size_t offset, auto& field) { Get(bytes, offset, field); });
}

void EncodeElementRecord(const ElementRecord& r, std::span<std::byte, kElementRecordLength> bytes) noexcept {
  ElementFields(r, [&](std::size_t offset, const auto& field) { Put(bytes, offset, field); });
}

void DecodeOutputRecord(std::span<const std::byte, kOutputRecordLength> bytes, OutputRecord& r) noexcept {
  OutputFields(r, [&](std::size_t offset, auto& field) { Get(bytes, offset, field); });
}

void EncodeOutputRecord(const OutputRecord& r, std::span<std::byte, kOutputRecordLength> bytes) noexcept {
  OutputFields(r, [&](std::size_t offset, const auto& field) { Put(bytes, offset, field); });
}

LineParameters LineParametersOf(const ElementRecord& r) noexcept {
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
