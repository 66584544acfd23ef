#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <tuple>

#include "base/checked_arithmetic.hpp"
#include "base/lenient_number.hpp"
#include "base/number_text.hpp"
#include "base/record_files.hpp"
#include "support/recording.hpp"
#include "support/temp_dir.hpp"

namespace tavelin {
namespace {
TEST(ReadLenientNumber, TakesTheLongestLeadingNumberWhereverBlanksStand) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<std::string, double> cases[] = {
      {"150", 150}, {"12abc", 12}, {"", 0}, {"abc", 0}, {"-12.5", -12.5}, {"+7", 7}, {".5", 0.5}, {"-", 0}, {"--7", 0},
      {"1.2.3", 1.2}, {"1,5", 1}, {"0x1F", 0}, {"1.5e2", 150}, {"25E-1", 2.5}, {"5e+", 5}, {"1d2", 1}, {" 1 5 0", 150},
      {"1\t5\n0", 150}, {"- 7", -7}, {"1\r5", 1},
      // Hexadecimal and octal after an ampersand, without 16-bit two's complement: a caller refuses 65535.
      {"&H1F", 31}, {"&h1f", 31}, {"&O17", 15}, {"& H 1 F", 31}, {"&HFFFF", 65535}, {"&O78", 7}, {"&H", 0},
      {"&X1", 0}, {"&H-1", 0}, {"-&H1", 0}, {"&H1.5", 1},
      // Beyond the double range: infinity of its sign; below it: zero.
      {"1e400", inf}, {"-1e400", -inf}, {"1" + std::string(400, '0'), inf}, {"0.001e311", 1e308}, {"1e-400", 0},
      {"&H" + std::string(300, 'F'), inf}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLenientNumber(text), value) << '"' << text << '"';
  EXPECT_TRUE(std::signbit(ReadLenientNumber("-0")));
}

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

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(CheckedArithmetic, AStatementStoresItsResultThenRaisesItsFirstFault) {
  // What, the statement, its error, the value it stores (NaN: a NaN).
  const std::tuple<const char*, Num, int, double> cases[] = {
      {"1 / 0", Num(1.0) / 0.0, 11, kInf},                {"-2 / 0", Num(-2.0) / 0.0, 11, -kInf},
      {"0 / 0", Num(0.0) / 0.0, 6, kNaN},                 {"product", Num(1e200) * 1e200, 6, kInf},
      {"sum", Num(DBL_MAX) + DBL_MAX, 6, kInf},           {"difference", Num(-DBL_MAX) - DBL_MAX, 6, -kInf},
      {"quotient", Num(1e300) / 1e-300, 6, kInf},         {"inf - inf", Num(kInf) - kInf, 6, kNaN},
      {"0 * inf", Num(0.0) * kInf, 6, kNaN},              {"inf / inf", Num(kInf) / kInf, 6, kNaN},
      {"NaN + 1", Num(kNaN) + 1.0, 0, kNaN},              {"NaN / 0", Num(kNaN) / 0.0, 0, kNaN},
      {"inf * 2", Num(kInf) * 2.0, 0, kInf},              {"inf / 0", Num(kInf) / 0.0, 0, kInf},
      {"underflow", Num(1e-200) * 1e-200, 0, 0.0},        {"5 / inf", Num(5.0) / kInf, 0, 0.0},
      {"clean", Num(1.0) * 3.0 - Num(2.0) * 4.0, 0, -5.0},
      {"division by zero, then overflow", Num(1.0) / 0.0 + Num(1e300) * 1e300, 11, kInf},
      {"overflow inside, NaN at the end", Num(1e300) * 1e300 - Num(1e300) * 1e300, 6, kNaN},
  };
  for (const auto& [what, expression, error, stored] : cases) {
    double target = 42.0;
    EXPECT_EQ(ErrorOf([&] { Let(target, expression); }), error) << what;
    EXPECT_TRUE(std::isnan(stored) ? std::isnan(target) : target == stored) << what << ": " << target;
  }
}

TEST(Conversions, CIntHalvesToEvenWithinSixteenBitsAndCSngOverflowsBeyondSingleRange) {
  const std::pair<double, int> rounded[] = {{0.5, 0},    {1.5, 2},    {2.5, 2},   {-0.5, 0},        {-1.5, -2},
                                            {-2.5, -2},  {2.4999, 2}, {2.5001, 3}, {13.5, 14}, {0x1.fffdfffffffffp+14, 32767},
                                            {-32768.5, -32768}};
  for (const auto& [in, out] : rounded) EXPECT_EQ(CInt(in), out) << in;
  for (double bad : {32767.5, -0x1.0001000000001p+15, kInf, kNaN}) EXPECT_EQ(ErrorOf([&] { CInt(bad); }), 6) << bad;
  // Single precision overflows only from the largest single plus half its last place (a tie goes to the
  // even neighbour, which lies beyond); NaN and infinity pass.
  EXPECT_EQ(static_cast<double>(CSng(14.2)), 14.199999809265137);
  EXPECT_EQ(std::tuple(CSng(0x1.fffffefffffffp+127), CSng(-0x1.fffffefffffffp+127), CSng(1e-50)), std::tuple(FLT_MAX, -FLT_MAX, 0.0f));
  for (double x : {0x1.ffffffp+127, -0x1.ffffffp+127, 1e300}) EXPECT_EQ(ErrorOf([&] { CSng(x); }), 6) << x;
  EXPECT_TRUE(CSng(-kInf) == -std::numeric_limits<float>::infinity() && std::isnan(CSng(kNaN)));
}


#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";
#endif

struct RecordFilesTest : ::testing::Test {
  testing::TempDir dir;
  RecordFiles files;
};

TEST_F(RecordFilesTest, HandsOutTheLowestFreeHandleAndOpensOnlyRegularFiles) {
  files.Open(1, dir.File("a"), 4);  // created
  files.Open(2, dir.File("b"), 4);
  EXPECT_EQ(files.FreeFile(), 3);
  files.Close(1);
  EXPECT_EQ(files.FreeFile(), 1);
  EXPECT_NO_THROW(files.Close(1));
  EXPECT_EQ(ErrorOf([&] { files.Open(2, dir.File("c"), 4); }), 52);
  for (const std::string& path : {std::string(), dir.Path().string(), std::string(kNullDevice)}) {
    EXPECT_EQ(ErrorOf([&] { files.Open(3, path, 4); }), 75) << path;
  }
  EXPECT_EQ(ErrorOf([&] { files.Open(3, dir.File("no/such/folder.dat"), 4); }), 76);
  files.CloseAll();
  EXPECT_EQ(ErrorOf([&] { files.Length(2); }), 52);
}

// Nothing already at the name is opened, and the created file is held while a handle on it stays open.
TEST_F(RecordFilesTest, CreateTakesOnlyANewNameAndHoldsTheFileAgainstRemove) {
  const std::vector<std::byte> old{std::byte{1}};
  testing::WriteBytes(dir.File("old"), old);
  const std::pair<std::string, int> refused[] = {
      {dir.File("old"), 17}, {dir.Path().string(), 75}, {dir.File("no/such.dat"), 76}, {"", 75}};
  for (const auto& [path, error] : refused) EXPECT_EQ(ErrorOf([&] { files.Create(1, path, 4); }), error) << path;
  EXPECT_EQ(testing::ReadBytes(dir.File("old")), old);
  files.Create(1, dir.File("new"), 4);
  files.OpenSame(2, 1, 4);
  files.Close(1);  // the other handle keeps the hold
  EXPECT_THROW(RecordFiles::Remove(dir.File("new")), FileInUseError);
  files.Close(2);
  EXPECT_EQ(ErrorOf([&] { RecordFiles::Remove(dir.File("new")); }), 0);
  EXPECT_EQ(ErrorOf([&] { RecordFiles::Remove(dir.File("new")); }), 53);
}

}  // namespace
}  // namespace tavelin
