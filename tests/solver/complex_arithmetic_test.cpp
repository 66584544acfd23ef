#include "solver/complex_arithmetic.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <tuple>

#include "support/recording.hpp"
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

TEST_F(ComplexArithmetic, WorkedValues) {
  double re = 0, im = 0, magnitude = 0, angle = 0;
  CProduct(1, 2, 3, 4, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(-5.0, 10.0));
  CQuotient(reporting, -5, 10, 3, 4, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(1.0, 2.0));
  CSum(1.5, -2, 0.25, 4, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(1.75, 2.0));
  CParallel(reporting, 100, 0, 100, 0, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(50.0, 0.0));
  CParallel(reporting, 0, 0, 0, -50, re, im);
  EXPECT_EQ(std::complex(re, im), std::complex(0.0, 0.0));
  CParallel(reporting, 30, 40, 0, -50, re, im);  // (30 + j40) || -j50 = 2000 - j1500 over 30 - j10
  EXPECT_NEAR(std::abs(std::complex(re, im) - std::complex(75.0, -25.0)), 0, 1e-12);
  CPolar(reporting, 3, -4, magnitude, angle);
  EXPECT_EQ(magnitude, 5);
  EXPECT_DOUBLE_EQ(angle, -std::atan(4.0 / 3.0));
  EXPECT_EQ(std::tuple(Cosh(0), Sinh(0)), std::tuple(1.0, 0.0));
  EXPECT_DOUBLE_EQ(Cosh(2), (std::exp(2.0) + std::exp(-2.0)) / 2);
  EXPECT_DOUBLE_EQ(Sinh(-2), (std::exp(-2.0) - std::exp(2.0)) / 2);
  EXPECT_NEAR(Log10(1000), 3, 1e-15);
  EXPECT_EQ(std::tuple(ErrorOf([] { Cosh(800); }), ErrorOf([] { Sinh(-800); }), ErrorOf([] { Log10(0); }),
                       ErrorOf([] { Log10(-1); })), std::tuple(6, 6, 5, 5));
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

// The origin points down; the negative real axis is +pi', never -pi'. A NaN has no quadrant.
TEST_F(ComplexArithmetic, ArctangentRulesAndPolarFaults) {
  const double cases[][3] = {{0, 0, -1.570795}, {0, 5, 1.570795}, {0, -5, -1.570795}, {-1, 0, 3.14159},
                             {-1, -0.0, 3.14159}, {1, 1, kTruePi / 4}, {-1, 1, 3 * kTruePi / 4 - (kTruePi - 3.14159)},
                             {-1, -1, -3 * kTruePi / 4 + (kTruePi - 3.14159)}, {kNaN, 1, kNaN}, {-1, kNaN, kNaN}};
  for (const auto& [x, y, expected] : cases) {
    double angle = kUntouched;
    MyAtan(reporting, x, y, angle);
    EXPECT_TRUE(std::isnan(expected) ? std::isnan(angle) : std::abs(angle - expected) < 1e-9) << x << ", " << y;
  }
  EXPECT_TRUE(messages.shown.empty());
  // An overflowing magnitude is reported and skipped, the angle still computed; an overflowing ratio is
  // reported and keeps the caller's angle.
  double magnitude = kUntouched, angle = kUntouched;
  CPolar(reporting, 1e200, 1e200, magnitude, angle);
  EXPECT_EQ(std::pair(magnitude, angle), std::pair(kUntouched, std::atan(1.0)));
  angle = kUntouched;
  MyAtan(reporting, 1e-300, 1e300, angle);
  EXPECT_EQ(angle, kUntouched);
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{"Error Code = 6", "Complex Arithmetic Module in Routine CPolar"},
                                                       {"Error Code = 6", "Complex Arithmetic Module in Routine MyAtan"}}));
}

}  // namespace
}  // namespace tavelin
