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

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool TakePrefix(std::string_view& rest, std::string_view prefix) {
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

}  // namespace

double ReadLocaleNumber(std::string_view text, const NumberLocale& locale) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  std::string ascii;
  std::string_view rest = text;
  if (TakePrefix(rest, "-") || TakePrefix(rest, locale.minus)) {
    ascii.push_back('-');
  } else {
    TakePrefix(rest, "+");
  }
  std::size_t mantissaDigits = 0;
  int integerDigits = 0;
  while (!rest.empty() && IsDigit(rest.front())) {
    ascii.push_back(rest.front());
    rest.remove_prefix(1);
    ++mantissaDigits;
    ++integerDigits;
  }
  if (TakePrefix(rest, locale.decimal)) {
    ascii.push_back('.');
    while (!rest.empty() && IsDigit(rest.front())) {
      ascii.push_back(rest.front());
      rest.remove_prefix(1);
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) throw RunTimeError(err::kTypeMismatch);
  long exponent = 0;
  if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
    rest.remove_prefix(1);
    ascii.push_back('e');
    bool negative = false;
    if (TakePrefix(rest, "-") || TakePrefix(rest, locale.minus)) {
      ascii.push_back('-');
      negative = true;
    } else {
      TakePrefix(rest, "+");
    }
    std::size_t exponentDigits = 0;
    while (!rest.empty() && IsDigit(rest.front())) {
      ascii.push_back(rest.front());
      if (exponent < 100000) exponent = exponent * 10 + (rest.front() - '0');
      rest.remove_prefix(1);
      ++exponentDigits;
    }
    if (exponentDigits == 0) throw RunTimeError(err::kTypeMismatch);
    if (negative) exponent = -exponent;
  }
  if (!rest.empty()) throw RunTimeError(err::kTypeMismatch);

  double value = 0.0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small to hold reads as zero; too large is an overflow.
    if (exponent + integerDigits < 0) return ascii.front() == '-' ? -0.0 : 0.0;
    throw RunTimeError(err::kOverflow);
  }
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) {
    throw RunTimeError(err::kTypeMismatch);
  }
  return value;
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

}  // namespace tavelin
