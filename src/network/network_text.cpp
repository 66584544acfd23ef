#include "network/network_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <span>

#include "base/number_text.hpp"

namespace tavelin {

namespace {

struct Field {
  const char* name;
  double ElementRecord::*member;
  const char* meaning;
};

constexpr Field kFields[] = {
    {"rload", &ElementRecord::LoadResistance, "load resistance, ohms"},
    {"xload", &ElementRecord::LoadReactance, "load reactance, ohms"},
    {"z0", &ElementRecord::LineZ0Resistance, "characteristic impedance, resistive part, ohms"},
    {"z0x", &ElementRecord::LineZ0Reactance, "characteristic impedance, reactive part, ohms"},
    {"loss", &ElementRecord::LineLoss, "matched loss, dB per 100 feet"},
    {"vf", &ElementRecord::VelocityFactor, "velocity factor"},
    {"ropen", &ElementRecord::OpenEndResistance, "resistance across the open end, ohms"},
    {"copen", &ElementRecord::OpenEndCapacitance, "capacitance across the open end, pF"},
    {"rshort", &ElementRecord::ShortEndResistance, "resistance of the short, ohms"},
    {"lshort", &ElementRecord::ShortEndInductance, "inductance of the short, uH"},
};

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::optional<double> ParseNumber(std::string_view text) noexcept {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int16_t> ParseInt16(std::string_view text) noexcept {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || value < -32768 || value > 32767) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

std::optional<std::int16_t> TypeCode(std::string_view word) noexcept {
  for (std::int16_t code = kSeriesR; code <= kSerTransLine; ++code) {
    if (word == ElementTypeName(code)) return code;
  }
  return ParseInt16(word);
}

// Fields that a line must carry even when they are zero, so a description reads back as written.
constexpr bool Required(std::string_view name, std::int16_t type, bool first) noexcept {
  if (first && name == "rload") return true;
  const bool line = type >= kStubOpen && type <= kSerTransLine;
  if (line && (name == "z0" || name == "vf")) return true;
  return type == kStubOpen && (name == "ropen" || name == "copen");
}

// Takes the next line off text, without its comment and line end.
std::string_view TakeLine(std::string_view& text) noexcept {
  const std::size_t newline = text.find('\n');
  std::string_view line = text.substr(0, newline);
  text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
  if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

constexpr const Field* FindField(std::string_view name) noexcept {
  for (const Field& f : kFields) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

bool Given(const std::vector<std::string_view>& given, std::string_view name) noexcept {
  return std::find(given.begin(), given.end(), name) != given.end();
}

// One name=value word of the given line into record; given collects the names so far.
void ReadField(std::string_view word, int line, std::vector<std::string_view>& given, ElementRecord& record) {
  const std::size_t equals = word.find('=');
  if (equals == std::string_view::npos) {
    throw NetworkTextError(line, "expected name=value, found \"" + std::string(word) + "\"");
  }
  const std::string_view name = word.substr(0, equals);
  const std::string_view number = word.substr(equals + 1);
  if (Given(given, name)) throw NetworkTextError(line, "\"" + std::string(name) + "\" given twice");
  given.push_back(name);
  if (name == "extra") {
    const std::optional<std::int16_t> extra = ParseInt16(number);
    if (!extra) throw NetworkTextError(line, "extra must be an integer from -32768 to 32767");
    record.ExtraWord = *extra;
    return;
  }
  const Field* field = FindField(name);
  if (field == nullptr) throw NetworkTextError(line, "unknown field \"" + std::string(name) + "\"");
  const std::optional<double> parsed = ParseNumber(number);
  if (!parsed) throw NetworkTextError(line, std::string(name) + " \"" + std::string(number) + "\" is not a number");
  record.*(field->member) = *parsed;
}

// The element of one line: its type, its value, then its fields.
ElementRecord ParseElement(const std::vector<std::string_view>& words, int line, bool first) {
  ElementRecord record;
  const std::optional<std::int16_t> code = TypeCode(words[0]);
  if (!code) throw NetworkTextError(line, "unknown element type \"" + std::string(words[0]) + "\"");
  record.ElementType = *code;
  if (words.size() < 2) throw NetworkTextError(line, "the element's value is missing");
  const std::optional<double> value = ParseNumber(words[1]);
  if (!value) throw NetworkTextError(line, "the value \"" + std::string(words[1]) + "\" is not a number");
  record.ElementValue = *value;

  std::vector<std::string_view> given;
  for (std::size_t i = 2; i < words.size(); ++i) ReadField(words[i], line, given, record);
  for (const Field& f : kFields) {
    if (Required(f.name, record.ElementType, first) && !Given(given, f.name)) {
      throw NetworkTextError(line, std::string("this element needs ") + f.name + "= (" + f.meaning + ")");
    }
  }
  return record;
}

}  // namespace

NetworkTextError::NetworkTextError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

std::vector<ElementRecord> ParseNetworkText(std::string_view text) {
  std::vector<ElementRecord> records;
  for (int line = 1; !text.empty(); ++line) {
    const std::vector<std::string_view> words = Words(TakeLine(text));
    if (!words.empty()) records.push_back(ParseElement(words, line, records.empty()));
  }
  return records;
}

std::string FormatNetworkText(const std::vector<ElementRecord>& records) {
  std::string text;
  for (const ElementRecord& r : records) {
    const std::optional<std::string_view> name = ElementTypeName(r.ElementType);
    text += name ? std::string(*name) : std::to_string(r.ElementType);
    text += ' ' + FormatShortest(r.ElementValue);
    for (const Field& f : kFields) {
      const double v = r.*(f.member);
      if (v != 0.0 || std::signbit(v) || Required(f.name, r.ElementType, &r == &records.front())) {
        text += std::string(" ") + f.name + '=' + FormatShortest(v);
      }
    }
    if (r.ExtraWord != 0) text += " extra=" + std::to_string(r.ExtraWord);
    text += '\n';
  }
  return text;
}

std::vector<std::byte> EncodeElementFile(const std::vector<ElementRecord>& records) {
  std::vector<std::byte> bytes(records.size() * kElementRecordLength);
  for (std::size_t i = 0; i < records.size(); ++i) {
    EncodeElementRecord(records[i], std::span<std::byte, kElementRecordLength>(
                                        bytes.data() + i * kElementRecordLength, kElementRecordLength));
  }
  return bytes;
}

std::vector<ElementRecord> DecodeElementFile(const std::vector<std::byte>& bytes) {
  std::vector<ElementRecord> records(bytes.size() / kElementRecordLength);
  for (std::size_t i = 0; i < records.size(); ++i) {
    DecodeElementRecord(std::span<const std::byte, kElementRecordLength>(
                            bytes.data() + i * kElementRecordLength, kElementRecordLength),
                        records[i]);
  }
  return records;
}

}  // namespace tavelin
