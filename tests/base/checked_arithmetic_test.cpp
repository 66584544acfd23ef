#include "base/checked_arithmetic.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace tavelin {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Runs one statement and returns the error it raised (0 for none).
template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

TEST(CheckedArithmetic, FaultsStoreTheirResultThenRaiseTheRightNumber) {
  struct Case {
    const char* what;
    Num expression;
    int error;
    double stored;  // NaN means "stored value is NaN"
  };
  const Case cases[] = {
      {"non-zero / 0", Num(1.0) / 0.0, err::kDivisionByZero, kInf},
      {"negative / 0", Num(-2.0) / 0.0, err::kDivisionByZero, -kInf},
      {"0 / 0", Num(0.0) / 0.0, err::kOverflow, kNaN},
      {"product overflow", Num(1e200) * 1e200, err::kOverflow, kInf},
      {"sum overflow", Num(DBL_MAX) + DBL_MAX, err::kOverflow, kInf},
      {"difference overflow", Num(-DBL_MAX) - DBL_MAX, err::kOverflow, -kInf},
      {"quotient overflow", Num(1e300) / 1e-300, err::kOverflow, kInf},
      {"inf - inf", Num(kInf) - kInf, err::kOverflow, kNaN},
      {"0 * inf", Num(0.0) * kInf, err::kOverflow, kNaN},
      {"inf / inf", Num(kInf) / kInf, err::kOverflow, kNaN},
  };
  for (const Case& c : cases) {
    double target = 42.0;
    EXPECT_EQ(ErrorOf([&] { Let(target, c.expression); }), c.error) << c.what;
    if (std::isnan(c.stored)) {
      EXPECT_TRUE(std::isnan(target)) << c.what;
    } else {
      EXPECT_EQ(target, c.stored) << c.what;
    }
  }
}

TEST(CheckedArithmetic, NaNInfinityAndUnderflowPassSilently) {
  double target = 0.0;
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(kNaN) + 1.0); }), 0);
  EXPECT_TRUE(std::isnan(target));
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(kNaN) / 0.0); }), 0);
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(kInf) * 2.0); }), 0);
  EXPECT_EQ(target, kInf);
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(kInf) / 0.0); }), 0);
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(1e-200) * 1e-200); }), 0);
  EXPECT_EQ(target, 0.0);
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(5.0) / kInf); }), 0);
}

TEST(CheckedArithmetic, ACompoundStatementRaisesItsFirstFaultAfterStoring) {
  double target = 0.0;
  // The division by zero comes first; the overflow after it does not change the number.
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(1.0) / 0.0 + Num(1e300) * 1e300); }),
            err::kDivisionByZero);
  EXPECT_EQ(target, kInf);
  // An intermediate overflow is a fault even when the statement's value ends up NaN.
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(1e300) * 1e300 - Num(1e300) * 1e300); }), err::kOverflow);
  EXPECT_TRUE(std::isnan(target));
  // A clean statement stores exactly what plain arithmetic gives.
  Let(target, Num(1.0) * 3.0 - Num(2.0) * 4.0);
  EXPECT_EQ(target, -5.0);
}

TEST(CheckedArithmetic, LibraryFunctionsRaiseBeforeStoringAnything) {
  double target = 7.0;
  EXPECT_EQ(ErrorOf([&] { Let(target, Num(Exp(Num(800.0)))); }), err::kOverflow);
  EXPECT_EQ(target, 7.0);
  EXPECT_EQ(Exp(Num(-800.0)), 0.0);  // underflow is no fault
  EXPECT_EQ(ErrorOf([&] { Log(Num(0.0)); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { Log(Num(-1.0)); }), err::kInvalidCall);
  EXPECT_TRUE(std::isnan(Log(Num(kNaN))));
  // A faulting argument is raised before the function runs.
  EXPECT_EQ(ErrorOf([&] { Sqrt(Num(1e200) * 1e200); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([&] { Atan(Num(1.0) / 0.0); }), err::kDivisionByZero);
  EXPECT_EQ(ErrorOf([&] { Sin(Num(kInf)); }), err::kOverflow);
  EXPECT_DOUBLE_EQ(Sqrt(Num(9.0)), 3.0);
}

TEST(Conversions, SixteenBitIntegersRoundHalvesToEvenAndOverflowAtTheEdges) {
  const struct {
    double in;
    int out;
  } cases[] = {{0.5, 0},        {1.5, 2},        {2.5, 2},         {3.5, 4},       {-0.5, 0},
               {-1.5, -2},      {-2.5, -2},      {12.5, 12},       {13.5, 14},     {2.4999, 2},
               {2.5001, 3},     {32767.0, 32767}, {32767.49, 32767}, {-32768.0, -32768},
               {-32768.5, -32768}, {49.5, 50},   {48.5, 48}};
  for (const auto& c : cases) EXPECT_EQ(CInt(c.in), c.out) << c.in;
  for (double bad : {32767.5, 32768.0, -32769.0, -32768.51, 1e10, kInf, -kInf, kNaN}) {
    EXPECT_EQ(ErrorOf([&] { CInt(bad); }), err::kOverflow) << bad;
  }
}

TEST(Conversions, SinglePrecisionOverflowsOnlyBeyondItsRange) {
  EXPECT_EQ(static_cast<double>(CSng(14.2)), 14.199999809265137);
  EXPECT_EQ(CSng(static_cast<double>(FLT_MAX)), FLT_MAX);
  EXPECT_EQ(CSng(-static_cast<double>(FLT_MAX)), -FLT_MAX);
  EXPECT_EQ(CSng(3.4028235e38), FLT_MAX);  // rounds down to the largest single
  EXPECT_EQ(CSng(1e-50), 0.0f);
  EXPECT_EQ(ErrorOf([] { CSng(3.5e38); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CSng(-1e300); }), err::kOverflow);
  EXPECT_EQ(CSng(kInf), std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(CSng(kNaN)));
}

}  // namespace
}  // namespace tavelin
