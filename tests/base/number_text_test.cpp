#include "base/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/run_time_error.hpp"

namespace tavelin {
namespace {

const NumberLocale kC{".", ",", "-"};
const NumberLocale kGerman{",", ".", "-"};
const NumberLocale kSwedish{",", "\u00a0", "\u2212"};

int ReadError(std::string_view text, const NumberLocale& locale) {
  try {
    ReadLocaleNumber(text, locale);
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(ReadLocaleNumber, ReadsWhatAUserTypesInTheirLocale) {
  EXPECT_EQ(ReadLocaleNumber("14.2", kC), 14.2);
  EXPECT_EQ(ReadLocaleNumber("  30 ", kC), 30.0);
  EXPECT_EQ(ReadLocaleNumber("\t-5.25", kC), -5.25);
  EXPECT_EQ(ReadLocaleNumber("+1e3", kC), 1000.0);
  EXPECT_EQ(ReadLocaleNumber("2.5E-1", kC), 0.25);
  EXPECT_EQ(ReadLocaleNumber(".5", kC), 0.5);
  EXPECT_EQ(ReadLocaleNumber("7.", kC), 7.0);
  EXPECT_EQ(ReadLocaleNumber("1,5", kGerman), 1.5);
  EXPECT_EQ(ReadLocaleNumber("\u22123,5", kSwedish), -3.5);
  EXPECT_EQ(ReadLocaleNumber("1e-999", kC), 0.0);
}

TEST(ReadLocaleNumber, RefusesEmptyForeignAndGroupedText) {
  for (const char* text : {"", "   ", "abc", "12abc", "1 2", ".", "-", "1e", "1e+", "--1", "0x10",
                           "1,5", "1,000", "NaN", "inf"}) {
    EXPECT_EQ(ReadError(text, kC), err::kTypeMismatch) << '"' << text << '"';
  }
  // In a comma locale a period is a group separator: refused, never read as 1500 or 1.5.
  EXPECT_EQ(ReadError("1.500", kGerman), err::kTypeMismatch);
  EXPECT_EQ(ReadError("14.2", kGerman), err::kTypeMismatch);
  EXPECT_EQ(ReadError("1e999", kC), err::kOverflow);
  EXPECT_EQ(ReadError("-1e400", kC), err::kOverflow);
}

TEST(FormatPattern, ShowsThreeOrFourDecimalsForElementValues) {
  EXPECT_EQ(FormatPattern(50, "#0.000#", kC), "50.000");
  EXPECT_EQ(FormatPattern(0.12345, "#0.000#", kC), "0.1235");
  EXPECT_EQ(FormatPattern(1.2, "#0.000#", kC), "1.200");
  EXPECT_EQ(FormatPattern(0.00001, "#0.000#", kC), "0.000");
  EXPECT_EQ(FormatPattern(0.25, "#0.000#", kC), "0.250");
  EXPECT_EQ(FormatPattern(0.00005, "#0.000#", kC), "0.0001");
  EXPECT_EQ(FormatPattern(9.99995, "#0.000#", kC), "10.000");
  EXPECT_EQ(FormatPattern(123456.78915, "#0.000#", kC), "123456.7892");
  EXPECT_EQ(FormatPattern(1.5, "#0.000#", kGerman), "1,500");
}

TEST(FormatPattern, RoundsDecimalHalvesAwayFromZero) {
  EXPECT_EQ(FormatPattern(0.125, "#0.0#", kC), "0.13");
  EXPECT_EQ(FormatPattern(2.675, "#0.0#", kC), "2.68");  // 2.67499999... in binary, 2.675 typed
  EXPECT_EQ(FormatPattern(-1.25, "#0.0", kC), "-1.3");
  EXPECT_EQ(FormatPattern(0.0005, "#0.00#", kC), "0.001");
  EXPECT_EQ(FormatPattern(99.96, "#0.0", kC), "100.0");
  EXPECT_EQ(FormatPattern(0.1 + 0.2, "#0.00#", kC), "0.30");
}

TEST(FormatPattern, HandlesSignsTinyHugeAndNonFiniteValues) {
  EXPECT_EQ(FormatPattern(3.5, "#0.0#", kC), "3.5");
  EXPECT_EQ(FormatPattern(29.75, "#0.0#", kC), "29.75");
  EXPECT_EQ(FormatPattern(16.625, "#0.0", kC), "16.6");
  EXPECT_EQ(FormatPattern(-0.00001, "#0.000#", kC), "0.000");
  EXPECT_EQ(FormatPattern(-0.0, "#0.0", kC), "0.0");
  EXPECT_EQ(FormatPattern(-12.5, "#0.00#", kC), "-12.50");
  EXPECT_EQ(FormatPattern(1e-300, "#0.0#", kC), "0.0");
  EXPECT_EQ(FormatPattern(1e20, "#0.0", kC), "100000000000000000000.0");
  EXPECT_EQ(FormatPattern(123456789012345678.0, "#0.0", kC), "123456789012346000.0");
  EXPECT_EQ(FormatPattern(1e300, "#0.0", kC).size(), 301u + 2u);
  EXPECT_EQ(FormatPattern(std::numeric_limits<double>::quiet_NaN(), "#0.0", kC), "NaN");
  EXPECT_EQ(FormatPattern(-std::numeric_limits<double>::infinity(), "#0.0", kC), "-Infinity");
}

TEST(FormatGeneral, WritesUpToFifteenSignificantDigits) {
  EXPECT_EQ(FormatGeneral(0.1, kC), "0.1");
  EXPECT_EQ(FormatGeneral(0.1, kGerman), "0,1");
  EXPECT_EQ(FormatGeneral(0.5, kC), "0.5");
  EXPECT_EQ(FormatGeneral(100, kC), "100");
  EXPECT_EQ(FormatGeneral(-2.5, kC), "-2.5");
  EXPECT_EQ(FormatGeneral(1e300, kC), "1E+300");
  EXPECT_EQ(FormatGeneral(0.0001, kC), "0.0001");
  EXPECT_EQ(FormatGeneral(0.00001, kC), "1E-05");
  EXPECT_EQ(FormatGeneral(123456789012345.0, kC), "123456789012345");
  EXPECT_EQ(FormatGeneral(1e15, kC), "1E+15");
  EXPECT_EQ(FormatGeneral(1.0 / 3.0, kC), "0.333333333333333");
  EXPECT_EQ(FormatGeneral(14.199999809265137, kC), "14.1999998092651");
}

}  // namespace
}  // namespace tavelin
