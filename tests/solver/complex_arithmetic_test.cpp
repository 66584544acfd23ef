#include "solver/complex_arithmetic.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <random>

#include "support/errors.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using testing::ErrorOf;
using testing::ShownMessage;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kUntouched = 1234.5;  // what the caller left in an output
constexpr double kTruePi = 3.14159265358979323846;

bool Same(double a, double b) { return std::isnan(a) ? std::isnan(b) : a == b; }

class ComplexArithmetic : public ::testing::Test {
 protected:
  testing::RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
};

TEST_F(ComplexArithmetic, AgreesWithStdComplexOverManyDecades) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  std::uniform_int_distribution<int> decade(-6, 6);
  const auto draw = [&] { return mantissa(rng) * std::pow(10.0, decade(rng)); };
  double re = 0, im = 0, magnitude = 0, angle = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::complex<double> z1(draw(), draw()), z2(draw(), draw());
    CProduct(z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    EXPECT_LT(std::abs(std::complex(re, im) - z1 * z2), 1e-14 * std::abs(z1) * std::abs(z2));
    CQuotient(reporting, z1.real(), z1.imag(), z2.real(), z2.imag(), re, im);
    EXPECT_LT(std::abs(std::complex(re, im) - z1 / z2), 1e-13 * std::abs(z1 / z2));
    CPolar(reporting, z1.real(), z1.imag(), magnitude, angle);
    EXPECT_NEAR(magnitude, std::abs(z1), 1e-14 * std::abs(z1));
    EXPECT_NEAR(angle, std::arg(z1), 2.7e-6);  // beyond a right angle from 3.14159 rather than pi
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ComplexArithmetic, ProductAndSumStoreTheFaultingPartThenRaise) {
  double re = kUntouched, im = kUntouched;
  EXPECT_EQ(ErrorOf([&] { CProduct(1, 1e200, 1, 1e200, re, im); }), 6);
  EXPECT_EQ(std::complex(re, im), std::complex(-kInf, kUntouched));  // raised before the imaginary part
  EXPECT_EQ(ErrorOf([&] { CSum(1, 1e308, 2, 1e308, re, im); }), 6);
  EXPECT_EQ(std::complex(re, im), std::complex(3.0, kInf));
}

TEST_F(ComplexArithmetic, QuotientTrapsItsOwnFaults) {
  const ShownMessage division{"Division by Zero Error Occurred", "Complex Arithmetic Module in Routine CQuotient"};
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
    EXPECT_TRUE(Same(re, c.re) && Same(im, c.im)) << c.what << ": " << re << ", " << im;
    EXPECT_EQ(messages.shown, std::vector<ShownMessage>(c.messages, division)) << c.what;
  }
}

TEST_F(ComplexArithmetic, ArctangentRulesAndPolarFaults) {
  // The origin points down; the negative real axis is +pi', never -pi'.
  const double cases[][3] = {{0, 0, -1.570795}, {0, 5, 1.570795},   {-1, 0, 3.14159}, {-1, -0.0, 3.14159},
                             {1, 1, kTruePi / 4}, {-1, 1, 3 * kTruePi / 4 - (kTruePi - 3.14159)},
                             {-1, -1, -3 * kTruePi / 4 + (kTruePi - 3.14159)}};
  for (const auto& [x, y, expected] : cases) {
    double angle = kUntouched;
    MyAtan(reporting, x, y, angle);
    EXPECT_NEAR(angle, expected, 1e-14) << x << ", " << y;
  }
  // A NaN has no quadrant: a NaN angle, silently.
  for (const auto& [x, y] : {std::pair(kNaN, 1.0), std::pair(0.0, kNaN), std::pair(-1.0, kNaN)}) {
    double magnitude = kUntouched, angle = 1.0;
    CPolar(reporting, x, y, magnitude, angle);
    EXPECT_TRUE(std::isnan(magnitude) && std::isnan(angle)) << x << ", " << y;
  }
  EXPECT_TRUE(messages.shown.empty());
  // An overflowing magnitude is reported and skipped; the angle is still computed.
  double magnitude = kUntouched, angle = kUntouched;
  CPolar(reporting, 1e200, 1e200, magnitude, angle);
  EXPECT_EQ(magnitude, kUntouched);
  EXPECT_DOUBLE_EQ(angle, kTruePi / 4);
  // An overflowing ratio is reported and keeps the caller's angle.
  angle = kUntouched;
  MyAtan(reporting, 1e-300, 1e300, angle);
  EXPECT_EQ(angle, kUntouched);
  EXPECT_EQ(messages.shown,
            (std::vector<ShownMessage>{{"Error Code = 6", "Complex Arithmetic Module in Routine CPolar"},
                                       {"Error Code = 6", "Complex Arithmetic Module in Routine MyAtan"}}));
}

}  // namespace
}  // namespace tavelin
