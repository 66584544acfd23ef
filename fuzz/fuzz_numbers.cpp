// The number readers and writers: locale-aware reading of a text box, the lenient reading of the
// steps entry, and the digit patterns and general format, each written value read back.
//
// Input: the whole input is the text; its first 8 bytes are also the double to format.

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "app/configure_dialog.hpp"
#include "base/lenient_number.hpp"
#include "base/number_text.hpp"
#include "base/run_time_error.hpp"
#include "fuzz_support.hpp"

using namespace tavelin;
using namespace tavelin::fuzz;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What ReadLocaleNumber must make of text in the C locale, by strtod on a text that has been
// checked against the grammar: blanks around, sign, digits with at most one period and at least one
// digit, an optional exponent with digits. Nothing for a text outside the grammar.
std::optional<double> ReferenceCNumber(std::string text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.erase(text.begin());
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return std::strtod(text.c_str(), nullptr);
}

// The text as the C locale would have it: the locale's separator and minus become "." and "-". A
// period, or a character that turns into one, is no number in a locale with another separator.
std::optional<std::string> InCLocale(const std::string& text, const NumberLocale& locale) {
  if (locale.decimal == ".") return text;
  if (text.find('.') != std::string::npos) return std::nullopt;
  std::string c = text;
  for (const auto& [from, to] : {std::pair{locale.decimal, std::string(".")}, std::pair{locale.minus, std::string("-")}}) {
    if (from == to) continue;
    for (std::size_t at = c.find(from); at != std::string::npos; at = c.find(from, at + to.size())) {
      c.replace(at, from.size(), to);
    }
  }
  return c;
}

void CheckLocaleReading(const std::string& text) {
  for (int l = 0; l < kLocaleCount; ++l) {
    const NumberLocale locale = LocaleNumber(l);
    const std::optional<std::string> c = InCLocale(text, locale);
    const std::optional<double> reference = c ? ReferenceCNumber(*c) : std::nullopt;
    const std::string where = " (locale " + std::to_string(l) + "): " + text;
    try {
      const double value = ReadLocaleNumber(text, locale);
      Check(!std::isnan(value) && !std::isinf(value), "a text read as NaN or infinity" + where);
      Check(reference.has_value(), "a text outside the grammar was read" + where);
      Check(value == *reference, "a text read as another number" + where);
    } catch (const RunTimeError& e) {
      Check(e.Number() == err::kTypeMismatch || e.Number() == err::kOverflow,
            "reading raised error " + std::to_string(e.Number()) + where);
      Check(!reference.has_value() || (e.Number() == err::kOverflow && std::isinf(*reference)),
            "a number was refused" + where);
    }
  }
}

// The lenient reading by its rules: blanks dropped, "&H" and "&O" digits, else the longest leading
// decimal number, by strtod.
std::optional<double> ReferenceLenient(const std::string& text) {
  std::string t;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') t.push_back(c);
  }
  if (t.size() >= 2 && t[0] == '&') {
    const char kind = static_cast<char>(t[1] | 0x20);
    if (kind != 'h' && kind != 'o') return 0.0;
    const int radix = kind == 'h' ? 16 : 8;
    std::size_t n = 2;
    while (n < t.size() && std::isxdigit(static_cast<unsigned char>(t[n])) &&
           std::stoi(std::string(1, t[n]), nullptr, 16) < radix) {
      ++n;
    }
    if (n - 2 > 13) return std::nullopt;  // beyond 2^52 the sum is rounded along the way
    return n == 2 ? 0.0 : static_cast<double>(std::stoull(t.substr(2, n - 2), nullptr, radix));
  }
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    if (j < t.size() && IsDigit(t[j])) {
      while (j < t.size() && IsDigit(t[j])) ++j;
      end = j;
    }
  }
  return std::strtod(t.substr(0, end).c_str(), nullptr);
}

// The steps entry: a count that cannot be stored is refused, anything else is stored rounded.
void CheckStepsEntry(const std::string& text) {
  const double value = ReadLenientNumber(text);
  Check(!std::isnan(value), "the steps entry read NaN: " + text);
  const std::optional<double> reference = ReferenceLenient(text);
  Check(!reference || value == *reference, "the steps entry read another number: " + text);
  const std::optional<std::int16_t> steps = ReadStepCountEntry(text);
  if (value >= -32768.5 && value <= 32767.5) {
    // Halves go to the even neighbour, so both ends of the range may be taken or refused.
    if (value > -32768.5 && value < 32767.5) Check(steps.has_value(), "a storable count refused: " + text);
    if (steps) Check(std::fabs(*steps - value) <= 0.5, "a count stored wrongly: " + text);
  } else {
    Check(!steps.has_value(), "a count out of range stored: " + text);
  }
}

void CheckFormatting(double value) {
  struct Pattern {
    const char* text;
    std::size_t fewest;  // decimals always shown
    int decimals;        // decimals at most
  };
  static constexpr std::array<Pattern, 4> kPatterns = {
      {{"#0.000#", 3, 4}, {"#0.00#", 2, 3}, {"#0.0#", 1, 2}, {"#0.0", 1, 1}}};
  for (int l = 0; l < kLocaleCount; ++l) {
    const NumberLocale locale = LocaleNumber(l);
    const std::string general = FormatGeneral(value, locale);
    if (!std::isfinite(value)) {
      Check(general == (std::isnan(value) ? "NaN" : value < 0 ? "-Infinity" : "Infinity"),
            "general format of a non-finite value: " + general);
      continue;
    }
    // Within a 15-digit rounding of the largest double, the digits shown lie beyond it.
    const bool beyond = std::fabs(value) > 1.797693134862315e308;
    try {
      const double back = ReadLocaleNumber(general, locale);
      Check(std::fabs(back - value) <= 5.1e-15 * std::fabs(value), "general format off: " + general);
    } catch (const RunTimeError& e) {
      Check(beyond && e.Number() == err::kOverflow, "general format does not read back: " + general);
    }
    for (const auto& [pattern, fewest, decimals] : kPatterns) {
      const std::string text = FormatPattern(value, pattern, locale);
      const std::size_t point = text.find(locale.decimal);
      Check(point != std::string::npos && point > 0, std::string(pattern) + " without whole digits: " + text);
      const std::size_t shown = text.size() - point - locale.decimal.size();
      Check(shown >= fewest && shown <= static_cast<std::size_t>(decimals),
            std::string(pattern) + " with the wrong number of decimals: " + text);
      double back = 0.0;
      try {
        back = ReadLocaleNumber(text, locale);
      } catch (const RunTimeError& e) {
        Check(beyond && e.Number() == err::kOverflow, std::string(pattern) + " does not read back: " + text);
        continue;
      }
      // Half of the last decimal, and the 15 significant digits the value is taken at.
      const double tolerance = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 1e-14 * std::fabs(value);
      Check(std::fabs(back - value) <= tolerance, std::string(pattern) + " off: " + text);
      Check(text.front() != '-' || back != 0.0, std::string(pattern) + " a negative zero: " + text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckLocaleReading(text);
  CheckStepsEntry(text);
  if (size >= 8) {
    double value;
    std::memcpy(&value, data, sizeof value);
    CheckFormatting(value);
  }
  return 0;
}
