#pragma once

#include <string>
#include <string_view>

namespace tavelin {

// The separators of the user's locale, as the windows take them from the system.
struct NumberLocale {
  std::string decimal = ".";
  std::string group = ",";
  std::string minus = "-";
};

// Reads a main-window text box: blanks around the number are ignored, the decimal separator is the
// locale's, an exponent is allowed. Group separators are refused rather than dropped, so "1.500"
// typed in a German locale is not silently read as 1500. An empty or non-numeric text raises 13;
// a number beyond the double range raises 6.
double ReadLocaleNumber(std::string_view text, const NumberLocale& locale);

// Digit patterns such as "#0.000#", "#0.00#", "#0.0#" and "#0.0": each 0 a digit always shown,
// each # one shown only when significant, no grouping. The value is taken at 15 significant digits
// and rounded half away from zero at the last placeholder; a result that rounds to zero carries no
// minus sign.
std::string FormatPattern(double value, std::string_view pattern, const NumberLocale& locale);

// The general number format: up to 15 significant digits, scientific notation ("1E+300", "1E-05")
// when the exponent is below -4 or above 14.
std::string FormatGeneral(double value, const NumberLocale& locale);

// The shortest text, with a period, that reads back as the same double ("0.1", "1e+300").
std::string FormatShortest(double value);

}  // namespace tavelin
