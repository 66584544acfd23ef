#include "base/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

#include "base/run_time_error.hpp"

namespace tavelin {

namespace {

constexpr bool IsBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
constexpr bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr bool TakePrefix(std::string_view& rest, std::string_view prefix) noexcept {
  if (prefix.empty() || rest.substr(0, prefix.size()) != prefix) return false;
  rest.remove_prefix(prefix.size());
  return true;
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

// Decimal digits of |value| at 15 significant digits, and the power of ten of the first digit.
void SignificantDigits(double value, std::string& digits, int& exponent) {
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, 14);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  digits.clear();
  for (char c : text.substr(0, e)) {
    if (IsDigit(c)) digits.push_back(c);
  }
  exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
}

// Reading a number: each step takes its part off the front of rest and writes it to ascii in the C
// locale, for from_chars.

constexpr std::string_view TrimBlanks(std::string_view text) noexcept {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// An optional sign: '-' or the locale's minus sign, or a '+' that is dropped. True when negative.
bool TakeSign(std::string_view& rest, const NumberLocale& locale, std::string& ascii) {
  if (TakePrefix(rest, "-") || TakePrefix(rest, locale.minus)) {
    ascii.push_back('-');
    return true;
  }
  TakePrefix(rest, "+");
  return false;
}

// A run of digits, perhaps empty; returns how many.
std::size_t TakeDigits(std::string_view& rest, std::string& ascii) {
  std::size_t count = 0;
  while (count < rest.size() && IsDigit(rest[count])) ++count;
  ascii.append(rest.substr(0, count));
  rest.remove_prefix(count);
  return count;
}

// An optional exponent: E or e, a sign, at least one digit. Returns its value, held below 10^6 so that
// a long run of digits cannot overflow; that is far beyond the double range either way.
long TakeExponent(std::string_view& rest, const NumberLocale& locale, std::string& ascii) {
  if (rest.empty() || (rest.front() != 'e' && rest.front() != 'E')) return 0;
  rest.remove_prefix(1);
  ascii.push_back('e');
  const bool negative = TakeSign(rest, locale, ascii);
  const std::size_t start = ascii.size();
  if (TakeDigits(rest, ascii) == 0) throw RunTimeError(err::kTypeMismatch);
  long exponent = 0;
  for (std::size_t i = start; i < ascii.size(); ++i) {
    if (exponent < 100000) exponent = exponent * 10 + (ascii[i] - '0');
  }
  return negative ? -exponent : exponent;
}

// The value of ascii. Beyond the double range it is too small to hold, and reads as zero, when
// underflows is set; otherwise it is an overflow (6).
double FromAscii(const std::string& ascii, bool underflows) {
  double value = 0.0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (underflows) return ascii.front() == '-' ? -0.0 : 0.0;
    throw RunTimeError(err::kOverflow);
  }
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) {
    throw RunTimeError(err::kTypeMismatch);
  }
  return value;
}

}  // namespace

double ReadLocaleNumber(std::string_view text, const NumberLocale& locale) {
  std::string_view rest = TrimBlanks(text);
  std::string ascii;
  TakeSign(rest, locale, ascii);
  const int integerDigits = static_cast<int>(TakeDigits(rest, ascii));
  std::size_t fractionDigits = 0;
  if (TakePrefix(rest, locale.decimal)) {
    ascii.push_back('.');
    fractionDigits = TakeDigits(rest, ascii);
  }
  if (integerDigits == 0 && fractionDigits == 0) throw RunTimeError(err::kTypeMismatch);
  const long exponent = TakeExponent(rest, locale, ascii);
  if (!rest.empty()) throw RunTimeError(err::kTypeMismatch);
  return FromAscii(ascii, exponent + integerDigits < 0);
}

std::string FormatPattern(double value, std::string_view pattern, const NumberLocale& locale) {
  if (!std::isfinite(value)) return NonFiniteText(value);

  const std::size_t point = pattern.find('.');
  const std::string_view whole = pattern.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
  int minWhole = 0;
  for (char c : whole) minWhole += c == '0' ? 1 : 0;
  int minFraction = 0;
  for (char c : fraction) minFraction += c == '0' ? 1 : 0;
  const int maxFraction = static_cast<int>(fraction.size());

  // Place the 15 significant digits on a fixed grid: digit i stands for 10^(exponent - i).
  std::string digits;
  int exponent = 0;
  SignificantDigits(value, digits, exponent);
  const int wholeCount = std::max(exponent + 1, 0);
  std::string fixed(static_cast<std::size_t>(wholeCount + maxFraction), '0');
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int slot = wholeCount - 1 - (exponent - static_cast<int>(i));
    if (slot >= 0 && slot < static_cast<int>(fixed.size())) fixed[static_cast<std::size_t>(slot)] = digits[i];
  }
  // Half away from zero on the first digit dropped, the one worth 10^-(maxFraction + 1).
  const int droppedIndex = exponent + maxFraction + 1;
  bool roundUp = false;
  if (droppedIndex >= 0 && droppedIndex < static_cast<int>(digits.size())) {
    roundUp = digits[static_cast<std::size_t>(droppedIndex)] >= '5';
  }
  if (roundUp) {
    int i = static_cast<int>(fixed.size()) - 1;
    while (i >= 0 && fixed[static_cast<std::size_t>(i)] == '9') fixed[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++fixed[static_cast<std::size_t>(i)];
    } else {
      fixed.insert(fixed.begin(), '1');
    }
  }
  std::string wholeDigits = fixed.substr(0, fixed.size() - static_cast<std::size_t>(maxFraction));
  std::string fractionDigits = fixed.substr(fixed.size() - static_cast<std::size_t>(maxFraction));
  while (!wholeDigits.empty() && wholeDigits.front() == '0' &&
         static_cast<int>(wholeDigits.size()) > minWhole) {
    wholeDigits.erase(wholeDigits.begin());
  }
  while (static_cast<int>(wholeDigits.size()) < minWhole) wholeDigits.insert(wholeDigits.begin(), '0');
  while (static_cast<int>(fractionDigits.size()) > minFraction && fractionDigits.back() == '0') {
    fractionDigits.pop_back();
  }

  const bool zero = wholeDigits.find_first_not_of('0') == std::string::npos &&
                    fractionDigits.find_first_not_of('0') == std::string::npos;
  std::string text = (value < 0 && !zero) ? "-" : "";
  text += wholeDigits;
  if (!fractionDigits.empty()) text += locale.decimal + fractionDigits;
  return text;
}

std::string FormatGeneral(double value, const NumberLocale& locale) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  char buffer[40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text;
  for (const char* p = buffer; p != result.ptr; ++p) {
    if (*p == '.') {
      text += locale.decimal;
    } else {
      text.push_back(*p == 'e' ? 'E' : *p);
    }
  }
  return text;
}

std::string FormatShortest(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace tavelin
