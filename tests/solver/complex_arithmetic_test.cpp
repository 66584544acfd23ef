#include "solver/complex_arithmetic.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <random>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using testing::ShownMessage;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kUntouched = 1234.5;  // what the caller left in an output
constexpr double kTruePi = 3.14159265358979323846;

template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

// NaN matches NaN.
void ExpectSame(double actual, double expected, const char* what) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(actual)) << what;
  } else {
    EXPECT_EQ(actual, expected) << what;
  }
}

class ComplexArithmetic : public ::testing::Test {
 protected:
  testing::RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
};

TEST_F(ComplexArithmetic, WorkedValuesAndStdComplexOverManyDecades) {
  double re = 0, im = 0;
  CProduct(1, 2, 3, 4, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(-5.0, 10.0));
  CQuotient(reporting, -5, 10, 3, 4, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(1.0, 2.0));
  CParallel(reporting, 100, 0, 100, 0, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(50.0, 0.0));
  CParallel(reporting, 0, 0, 0, -50, re, im);  // 0 / (-j50)
  EXPECT_EQ(std::complex(re, im), std::complex(0.0, 0.0));

  std::mt19937 rng(7);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  std::uniform_int_distribution<int> decade(-6, 6);
  const auto draw = [&] { return mantissa(rng) * std::pow(10.0, decade(rng)); };
  for (int i = 0; i < 2000; ++i) {
    const std::complex<double> z1(draw(), draw()), z2(draw(), draw());
    const double size = std::abs(z1) * std::abs(z2);
    CProduct(z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    EXPECT_LT(std::abs(std::complex(re, im) - z1 * z2), 1e-14 * size);
    CQuotient(reporting, z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    EXPECT_LT(std::abs(std::complex(re, im) - z1 / z2), 1e-13 * std::abs(z1 / z2));
    double magnitude = 0, angle = 0;
    CPolar(reporting, z1.real(), z1.imag(), magnitude, angle);
    EXPECT_NEAR(magnitude, std::abs(z1), 1e-14 * std::abs(z1));
    // Beyond a right angle the angle is taken from 3.14159 rather than pi.
    EXPECT_NEAR(angle, std::arg(z1), 2.7e-6);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, ProductAndSumStoreTheFaultingPartThenRaise) {
  double re = kUntouched, im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CProduct(1, 1e200, 1, 1e200, re, im); }), err::kOverflow);
  EXPECT_EQ(re, -kInf);
  EXPECT_EQ(im, kUntouched);  // raised before the imaginary part
  EXPECT_EQ(ErrorOf([&] { CSum(1, 1e308, 2, 1e308, re, im); }), err::kOverflow);
  EXPECT_EQ(re, 3.0);
  EXPECT_EQ(im, kInf);
}

TEST_F(ComplexArithmetic, QuotientTraps) {
  const ShownMessage division{"Division by Zero Error Occurred",
                              "Complex Arithmetic Module in Routine CQuotient"};
  const struct {
    const char* what;
    double a, b, c, d, re, im;
    size_t messages;
  } cases[] = {
      // 0/0 in the real part: NaN stored, silent return before the imaginary part.
      {"divisor 0 + j0", 1, 1, 0, 0, kNaN, kUntouched, 0},
      // |divisor|^2 underflows to 0: a non-zero value over it is reported, 0/0 is not.
      {"underflowing divisor", 1, 0, 1e-170, 0, kInf, kNaN, 1},
      {"underflowing divisor, both parts", -1, -1, 1e-170, 0, -kInf, -kInf, 2},
      // Overflow in |divisor|^2 or in the numerator: silent, nothing written.
      {"divisor squared overflows", 1, 0, 1e200, 0, kUntouched, kUntouched, 0},
      {"numerator overflows", 1e200, 0, 1e150, 0, kUntouched, kUntouched, 0},
      {"quotient overflows", 1e300, 1, 1e-10, 0, kInf, kUntouched, 0},
  };
  for (const auto& c : cases) {
    messages.shown.clear();
    double re = kUntouched, im = kUntouched;
    EXPECT_EQ(ErrorOf([&] { CQuotient(reporting, c.a, c.b, c.c, c.d, re, im); }), 0) << c.what;
    ExpectSame(re, c.re, c.what);
    ExpectSame(im, c.im, c.what);
    EXPECT_EQ(messages.shown, std::vector<ShownMessage>(c.messages, division)) << c.what;
  }
}

TEST_F(ComplexArithmetic, PolarAndArctangentRules) {
  const struct {
    double x, y, angle;
  } cases[] = {
      {0, 0, -1.570795},  // the origin points down
      {0, 5, 1.570795},
      {-1, 0, 3.14159},   // negative real axis: +pi', never -pi'
      {-1, -0.0, 3.14159},
      {1, 1, kTruePi / 4},
      {-1, 1, 3 * kTruePi / 4 - (kTruePi - 3.14159)},
      {-1, -1, -3 * kTruePi / 4 + (kTruePi - 3.14159)},  // -2.35619
  };
  for (const auto& c : cases) {
    double angle = kUntouched;
    MyAtan(reporting, c.x, c.y, angle);
    EXPECT_NEAR(angle, c.angle, 1e-14) << c.x << ", " << c.y;
  }
  double magnitude = kUntouched, angle = kUntouched;
  CPolar(reporting, 3, 4, magnitude, angle);
  EXPECT_EQ(magnitude, 5.0);
  EXPECT_DOUBLE_EQ(angle, std::atan(4.0 / 3.0));
  EXPECT_TRUE(messages.shown.empty());

  // An overflowing magnitude is reported and skipped; the angle is still computed.
  magnitude = angle = kUntouched;
  CPolar(reporting, 1e200, 1e200, magnitude, angle);
  EXPECT_EQ(magnitude, kUntouched);
  EXPECT_DOUBLE_EQ(angle, kTruePi / 4);
  // An overflowing ratio is reported and keeps the caller's angle.
  angle = kUntouched;
  MyAtan(reporting, 1e-300, 1e300, angle);
  EXPECT_EQ(angle, kUntouched);
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{
                {"Error Code = 6", "Complex Arithmetic Module in Routine CPolar"},
                {"Error Code = 6", "Complex Arithmetic Module in Routine MyAtan"}}));
}

TEST_F(ComplexArithmetic, NaNGivesANaNAngleSilently) {
  for (const auto& p : {std::complex(kNaN, 1.0), std::complex(0.0, kNaN), std::complex(-1.0, kNaN)}) {
    double magnitude = kUntouched, angle = 1.0;
    CPolar(reporting, p.real(), p.imag(), magnitude, angle);
    EXPECT_TRUE(std::isnan(magnitude));
    EXPECT_TRUE(std::isnan(angle));
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, HyperbolicAndLogarithm) {
  for (double x : {-5.0, -0.5, 0.0, 1e-8, 0.75, 3.0, 20.0, 700.0}) {
    EXPECT_NEAR(Cosh(x), std::cosh(x), 1e-15 * std::cosh(x)) << x;
    EXPECT_NEAR(Sinh(x), std::sinh(x), 1e-15 * std::cosh(x)) << x;
  }
  EXPECT_EQ(Cosh(0.0), 1.0);
  EXPECT_EQ(Sinh(0.0), 0.0);
  for (double x : {800.0, -800.0, 710.0}) {
    EXPECT_EQ(ErrorOf([&] { Cosh(x); }), err::kOverflow) << x;
    EXPECT_EQ(ErrorOf([&] { Sinh(x); }), err::kOverflow) << x;
  }
  EXPECT_NEAR(Log10(1000.0), 3.0, 1e-15);
  EXPECT_NEAR(Log10(2.0), 0.30102999566398120, 1e-15);
  EXPECT_EQ(ErrorOf([&] { Log10(0.0); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { Log10(-1.0); }), err::kInvalidCall);
}

}  // namespace
}  // namespace tavelin
