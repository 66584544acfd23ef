#include "base/number_text.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "support/recording.hpp"

namespace tavelin {
namespace {

using testing::ErrorOf;

const NumberLocale kC{".", ",", "-"};
const NumberLocale kGerman{",", ".", "-"};
const NumberLocale kSwedish{",", "\u00a0", "\u2212"};

TEST(ReadLocaleNumber, ReadsTheLocalesDecimalsAndRefusesAnythingElse) {
  const std::tuple<const char*, const NumberLocale&, double> good[] = {
      {"14.2", kC, 14.2}, {"  30 ", kC, 30}, {"\t-5.25", kC, -5.25}, {"+1e3", kC, 1000}, {"2.5E-1", kC, 0.25},
      {".5", kC, 0.5},    {"7.", kC, 7},     {"1e-999", kC, 0},       {"1,5", kGerman, 1.5},
      {"\u22123,5", kSwedish, -3.5}};
  for (const auto& [text, locale, value] : good) EXPECT_EQ(ReadLocaleNumber(text, locale), value) << text;
  for (const char* text : {"", "   ", "abc", "12abc", "1 2", ".", "-", "1e", "1e+", "--1", "0x10", "1,5", "1,000",
                           "NaN", "inf"}) {
    EXPECT_EQ(ErrorOf([&] { ReadLocaleNumber(text, kC); }), 13) << '"' << text << '"';
  }
  // In a comma locale a period groups digits: refused, never read as 1500 or 1.5.
  for (const char* text : {"1.500", "14.2"}) EXPECT_EQ(ErrorOf([&] { ReadLocaleNumber(text, kGerman); }), 13) << text;
  for (const char* text : {"1e999", "-1e400"}) EXPECT_EQ(ErrorOf([&] { ReadLocaleNumber(text, kC); }), 6) << text;
}

TEST(FormatPattern, RoundsHalvesAwayFromZeroAtTheLastPlaceholder) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::tuple<double, const char*, const char*> cases[] = {
      {50, "#0.000#", "50.000"}, {0.12345, "#0.000#", "0.1235"}, {1.2, "#0.000#", "1.200"}, {29.75, "#0.0#", "29.75"},
      {0.00001, "#0.000#", "0.000"}, {9.99995, "#0.000#", "10.000"}, {123456.78915, "#0.000#", "123456.7892"},
      {0.125, "#0.0#", "0.13"}, {-1.25, "#0.0", "-1.3"}, {-12.5, "#0.00#", "-12.50"}, {-0.00001, "#0.000#", "0.000"},
      {1e-300, "#0.0#", "0.0"}, {nan, "#0.0", "NaN"}, {-inf, "#0.0", "-Infinity"},
      {123456789012345678.0, "#0.0", "123456789012346000.0"}, {2.675, "#0.0#", "2.68"},  // 2.67499999... in binary
  };
  for (const auto& [value, pattern, text] : cases) EXPECT_EQ(FormatPattern(value, pattern, kC), text) << value;
  EXPECT_EQ(FormatPattern(1.5, "#0.000#", kGerman), "1,500");
  EXPECT_EQ(FormatPattern(1e300, "#0.0", kC), "1" + std::string(300, '0') + ".0");
}

TEST(FormatGeneral, WritesUpToFifteenSignificantDigits) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"},   {100, "100"},       {-2.5, "-2.5"},   {1e300, "1E+300"}, {0.0001, "0.0001"},
      {0.00001, "1E-05"}, {123456789012345.0, "123456789012345"}, {1e15, "1E+15"},
      {1.0 / 3.0, "0.333333333333333"}, {14.199999809265137, "14.1999998092651"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatGeneral(value, kC), text) << value;
  EXPECT_EQ(FormatGeneral(0.1, kGerman), "0,1");
}

}  // namespace
}  // namespace tavelin
