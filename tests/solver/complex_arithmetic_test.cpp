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

using testing::RecordingMessages;
using testing::ShownMessage;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kUntouched = 1234.5;  // what the caller left in an output

template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

class ComplexArithmetic : public ::testing::Test {
 protected:
  RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
};

TEST_F(ComplexArithmetic, WorkedValues) {
  double re = 0.0;
  double im = 0.0;
  CProduct(1, 2, 3, 4, re, im);
  EXPECT_EQ(re, -5.0);
  EXPECT_EQ(im, 10.0);
  CQuotient(reporting, -5, 10, 3, 4, re, im);
  EXPECT_DOUBLE_EQ(re, 1.0);
  EXPECT_DOUBLE_EQ(im, 2.0);
  CParallel(reporting, 100, 0, 100, 0, re, im);
  EXPECT_DOUBLE_EQ(re, 50.0);
  EXPECT_DOUBLE_EQ(im, 0.0);
  CParallel(reporting, 0, 0, 0, -50, re, im);  // 0 / (-j50)
  EXPECT_EQ(re, 0.0);
  EXPECT_EQ(im, 0.0);
  CSum(1.5, -2, 3, 4, re, im);
  EXPECT_EQ(re, 4.5);
  EXPECT_EQ(im, 2.0);
  EXPECT_TRUE(messages.shown.empty());
}

// The routines against the standard library's complex type over values spanning many decades.
TEST_F(ComplexArithmetic, AgreesWithStdComplexOnOrdinaryValues) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> decade(-6, 6);
  const auto draw = [&] { return mantissa(rng) * std::pow(10.0, decade(rng)); };
  for (int i = 0; i < 2000; ++i) {
    const std::complex<double> z1(draw(), draw());
    const std::complex<double> z2(draw(), draw());
    double re = 0.0;
    double im = 0.0;
    CProduct(z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    const std::complex<double> p = z1 * z2;
    EXPECT_NEAR(re, p.real(), 1e-14 * std::abs(p) + 1e-300);
    EXPECT_NEAR(im, p.imag(), 1e-14 * std::abs(p) + 1e-300);

    CQuotient(reporting, z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    const std::complex<double> q = z1 / z2;
    EXPECT_NEAR(re, q.real(), 1e-13 * std::abs(q));
    EXPECT_NEAR(im, q.imag(), 1e-13 * std::abs(q));

    CParallel(reporting, z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    const std::complex<double> par = 1.0 / (1.0 / z1 + 1.0 / z2);
    // Relative to the larger operand: Z1 + Z2 may cancel, which both forms feel the same way.
    const double scale = std::abs(par) + 1e-12 * std::max(std::abs(z1), std::abs(z2));
    EXPECT_NEAR(re, par.real(), 1e-9 * scale);
    EXPECT_NEAR(im, par.imag(), 1e-9 * scale);

    double magnitude = 0.0;
    double angle = 0.0;
    CPolar(reporting, z1.real(), z1.imag(), magnitude, angle);
    EXPECT_NEAR(magnitude, std::abs(z1), 1e-14 * std::abs(z1));
    // The truncated pi moves angles off the second and third quadrants by pi - 3.14159.
    EXPECT_NEAR(angle, std::arg(z1), 2.7e-6);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, ProductAndSumStoreTheRealPartThenRaise) {
  double re = kUntouched;
  double im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CProduct(1e200, 0, 1e200, 0, re, im); }), err::kOverflow);
  EXPECT_EQ(re, kInf);
  EXPECT_EQ(im, kUntouched);

  re = im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CProduct(1, 1e200, 1, 1e200, re, im); }), err::kOverflow);
  EXPECT_EQ(re, -kInf);
  EXPECT_EQ(im, kUntouched);

  re = im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CProduct(1e200, 0, 0, 1e200, re, im); }), err::kOverflow);
  EXPECT_EQ(re, 0.0);
  EXPECT_EQ(im, kInf);

  re = im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CSum(1e308, 0, 1e308, 0, re, im); }), err::kOverflow);
  EXPECT_EQ(re, kInf);
  EXPECT_EQ(im, kUntouched);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, QuotientTraps) {
  const ShownMessage division{"Division by Zero Error Occurred",
                              "Complex Arithmetic Module in Routine CQuotient"};
  struct Case {
    const char* what;
    double a, b, c, d;
    double re, im;  // expected; NaN means NaN
    int messages;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      // 0/0 in the real part: NaN stored, silent return before the imaginary part.
      {"divisor 0 + j0", 1, 1, 0, 0, nan, kUntouched, 0},
      {"zero over zero", 0, 0, 0, 0, nan, kUntouched, 0},
      // |divisor|^2 underflows to 0: the real part divides a non-zero value by it, the imaginary
      // part is 0/0.
      {"underflowing divisor", 1, 0, 1e-170, 0, kInf, nan, 1},
      {"underflowing divisor, both parts", 1, 1, 1e-170, 0, kInf, kInf, 2},
      {"underflowing divisor, negative", -1, -1, 1e-170, 0, -kInf, -kInf, 2},
      // Overflow in |divisor|^2 or in the numerator product: silent, nothing written.
      {"divisor squared overflows", 1, 0, 1e200, 0, kUntouched, kUntouched, 0},
      {"numerator product overflows", 1e200, 0, 1e150, 0, kUntouched, kUntouched, 0},
      // The quotient itself overflows: the real part is stored, then a silent return.
      {"quotient overflows", 1e300, 1, 1e-10, 0, kInf, kUntouched, 0},
  };
  for (const Case& c : cases) {
    messages.shown.clear();
    double re = kUntouched;
    double im = kUntouched;
    EXPECT_EQ(ErrorOf([&] { CQuotient(reporting, c.a, c.b, c.c, c.d, re, im); }), 0) << c.what;
    if (std::isnan(c.re)) {
      EXPECT_TRUE(std::isnan(re)) << c.what;
    } else {
      EXPECT_EQ(re, c.re) << c.what;
    }
    if (std::isnan(c.im)) {
      EXPECT_TRUE(std::isnan(im)) << c.what;
    } else {
      EXPECT_EQ(im, c.im) << c.what;
    }
    ASSERT_EQ(messages.shown.size(), static_cast<size_t>(c.messages)) << c.what;
    for (const ShownMessage& m : messages.shown) EXPECT_EQ(m, division) << c.what;
  }
}

TEST_F(ComplexArithmetic, ParallelPassesProductAndSumErrorsButNotQuotientOnes) {
  double re = kUntouched;
  double im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CParallel(reporting, 1e200, 0, 1e200, 0, re, im); }), err::kOverflow);
  EXPECT_EQ(re, kUntouched);  // the product's overflow leaves before the quotient
  // Z1 = -Z2 (a resonant pair): the sum is 0 + j0, CQuotient gives NaN silently.
  EXPECT_EQ(ErrorOf([&] { CParallel(reporting, 0, 50, 0, -50, re, im); }), 0);
  EXPECT_TRUE(std::isnan(re));
  EXPECT_EQ(im, kUntouched);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, PolarOfThreeFour) {
  double magnitude = 0.0;
  double angle = 0.0;
  CPolar(reporting, 3, 4, magnitude, angle);
  EXPECT_EQ(magnitude, 5.0);
  EXPECT_DOUBLE_EQ(angle, std::atan(4.0 / 3.0));
}

TEST_F(ComplexArithmetic, PolarReportsAnOverflowingMagnitudeAndStillComputesTheAngle) {
  double magnitude = kUntouched;
  double angle = kUntouched;
  CPolar(reporting, 1e200, 1e200, magnitude, angle);
  EXPECT_EQ(magnitude, kUntouched);
  EXPECT_DOUBLE_EQ(angle, std::atan(1.0));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0],
            (ShownMessage{"Error Code = 6", "Complex Arithmetic Module in Routine CPolar"}));
}

TEST_F(ComplexArithmetic, ArctangentRules) {
  struct Case {
    double x, y, angle;
  };
  const double quarter = std::atan(1.0);
  // Angles beyond a right angle are taken from 3.14159 rather than pi.
  constexpr double kTruePi = 3.14159265358979323846;
  constexpr double kPiShortfall = kTruePi - 3.14159;
  const Case cases[] = {
      {0, 0, -1.570795},                   // the origin points down
      {0, 5, 1.570795},   {0, -5, -1.570795},
      {-1, 0, 3.14159},                    // negative real axis: +pi', never -pi'
      {-1, -0.0, 3.14159},
      {1, 1, quarter},    {1, -1, -quarter},
      {-1, 1, 3 * kTruePi / 4 - kPiShortfall},
      {-1, -1, -3 * kTruePi / 4 + kPiShortfall},  // -2.35619
      {2, 0, 0.0},
  };
  for (const Case& c : cases) {
    double angle = kUntouched;
    MyAtan(reporting, c.x, c.y, angle);
    EXPECT_NEAR(angle, c.angle, 1e-14) << c.x << ", " << c.y;
    EXPECT_GT(angle, -3.14159);
    EXPECT_LE(angle, 3.14159);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, ArctangentOverflowKeepsTheCallersAngle) {
  double angle = kUntouched;
  MyAtan(reporting, 1e-300, 1e300, angle);
  EXPECT_EQ(angle, kUntouched);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0],
            (ShownMessage{"Error Code = 6", "Complex Arithmetic Module in Routine MyAtan"}));
}

TEST_F(ComplexArithmetic, NaNGivesANaNAngleSilently) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double points[][2] = {{nan, 1}, {nan, nan}, {0, nan}, {-1, nan}};
  for (const auto& p : points) {
    double magnitude = kUntouched;
    double angle = 1.0;
    CPolar(reporting, p[0], p[1], magnitude, angle);
    EXPECT_TRUE(std::isnan(magnitude));
    EXPECT_TRUE(std::isnan(angle));
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, HyperbolicAndLogarithm) {
  for (double x : {-5.0, -0.5, 0.0, 1e-8, 0.75, 3.0, 20.0, 700.0}) {
    EXPECT_NEAR(Cosh(x), std::cosh(x), 1e-15 * std::cosh(x)) << x;
    EXPECT_NEAR(Sinh(x), std::sinh(x), 1e-15 * std::cosh(x)) << x;
    // cosh^2 - sinh^2 = 1 where the difference is still resolvable.
    if (std::fabs(x) < 10.0) {
      EXPECT_NEAR(Cosh(x) * Cosh(x) - Sinh(x) * Sinh(x), 1.0, 1e-15 * Cosh(x) * Cosh(x)) << x;
    }
  }
  EXPECT_EQ(Cosh(0.0), 1.0);
  EXPECT_EQ(Sinh(0.0), 0.0);
  for (double x : {800.0, -800.0, 710.0}) {
    EXPECT_EQ(ErrorOf([&] { Cosh(x); }), err::kOverflow) << x;
    EXPECT_EQ(ErrorOf([&] { Sinh(x); }), err::kOverflow) << x;
  }
  EXPECT_NEAR(Log10(1000.0), 3.0, 1e-15);
  EXPECT_NEAR(Log10(2.0), 0.30102999566398120, 1e-15);
  EXPECT_NEAR(Log10(1e-300), -300.0, 1e-12);
  EXPECT_EQ(ErrorOf([&] { Log10(0.0); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { Log10(-1.0); }), err::kInvalidCall);
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tavelin
