#include "base/lenient_number.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace tavelin {

namespace {

constexpr bool IsDropped(char c) noexcept { return c == ' ' || c == '\t' || c == '\n'; }
constexpr bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr int DigitValue(char c) noexcept {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Hexadecimal or octal digits after the prefix. Past 2^53 the sum rounds, but such values lie far
// outside any range a caller accepts, and past the double range it becomes infinity.
constexpr double ReadRadixDigits(std::string_view digits, int radix) noexcept {
  double value = 0.0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d >= radix) break;
    value = value * radix + d;
  }
  return value;
}

double ReadDecimal(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  // Mantissa digits without the period, and where the period stood among them.
  std::string mantissa;
  long long pointPosition = -1;
  while (i < text.size() && IsDigit(text[i])) mantissa.push_back(text[i++]);
  if (i < text.size() && text[i] == '.') {
    pointPosition = static_cast<long long>(mantissa.size());
    ++i;
    while (i < text.size() && IsDigit(text[i])) mantissa.push_back(text[i++]);
  }
  if (mantissa.empty()) return 0.0;  // "", "-", "." and "-." hold no number
  if (pointPosition < 0) pointPosition = static_cast<long long>(mantissa.size());

  // An exponent counts only when at least one digit follows the E and its sign; "5e" reads as 5.
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negativeExponent = text[j] == '-';
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      // Far beyond the double range either way; clamping keeps the sums below from overflowing.
      constexpr long long kClamp = 1000000;
      while (j < text.size() && IsDigit(text[j])) {
        if (exponent < kClamp) exponent = exponent * 10 + (text[j] - '0');
        ++j;
      }
      if (negativeExponent) exponent = -exponent;
    }
  }

  const std::size_t firstNonZero = mantissa.find_first_not_of('0');
  if (firstNonZero == std::string::npos) return negative ? -0.0 : 0.0;

  // Written as digits "e" power, with the period moved to the end of the digits.
  const long long power = exponent - (static_cast<long long>(mantissa.size()) - pointPosition);
  const std::string canonical = mantissa + "e" + std::to_string(power);
  double value = 0.0;
  const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // The power of ten of the leading digit tells an overflow from an underflow.
    const long long leading = pointPosition - static_cast<long long>(firstNonZero) - 1 + exponent;
    value = leading > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double ReadLenientNumber(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (!IsDropped(c)) kept.push_back(c);
  }
  const std::string_view rest(kept);
  if (rest.size() >= 2 && rest[0] == '&') {
    if (rest[1] == 'H' || rest[1] == 'h') return ReadRadixDigits(rest.substr(2), 16);
    if (rest[1] == 'O' || rest[1] == 'o') return ReadRadixDigits(rest.substr(2), 8);
    return 0.0;
  }
  return ReadDecimal(rest);
}

}  // namespace tavelin
