#include "base/checked_arithmetic.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <tuple>

#include "support/recording.hpp"

namespace tavelin {
namespace {

using testing::ErrorOf;

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

TEST(CheckedArithmetic, LibraryFunctionsRaiseBeforeAnythingIsStored) {
  double target = 7.0;
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(Exp(Num(800.0)))); }), 6);
  EXPECT_EQ(std::tuple(target, Exp(Num(-800.0))), std::tuple(7.0, 0.0));  // underflow is no fault
  EXPECT_EQ(std::tuple(ErrorOf([] { Log(Num(0.0)); }), ErrorOf([] { Log(Num(-1.0)); }), ErrorOf([] { Sin(Num(kInf)); }),
                       ErrorOf([] { Sqrt(Num(1e200) * 1e200); }), ErrorOf([] { Atan(Num(1.0) / 0.0); })),
            std::tuple(5, 5, 6, 6, 11));
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

}  // namespace
}  // namespace tavelin
