#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "base/run_time_error.hpp"
#include "solver/complex_arithmetic.hpp"
#include "solver/lines_and_stubs.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

struct Zin {
  double re = 7, im = 7;
  std::vector<testing::ShownMessage> shown;
};

Zin LossyLineOf(double theta, double ztRe, double ztIm, double z0Re, double z0Im, double loss, double mhz) {
  testing::RecordingMessages messages;
  Zin z;
  LossyLine(Reporting{messages, {}}, theta, ztRe, ztIm, z0Re, z0Im, loss, 1.0, mhz, z.re, z.im);
  z.shown = messages.shown;
  return z;
}

// Huge but representable impedances come through whole and silently: a line of length 0 gives its load
// back, a line terminated in Z0 gives Z0 back whatever its loss (400 nepers over 90 degrees at 10 MHz).
TEST(LineQuotient, HugeButRepresentableImpedancesComeThroughWhole) {
  const double cases[][9] = {
      // theta, Zt, Z0, loss, MHz, expected Zin
      {0, 1e164, 0, 50, 0, 0, 1, 1e164, 0},      {0, 1e164, 0, 0, 50, 0, 1, 1e164, 0},
      {0, 1e163, 0, 50, 0, 0, 1, 1e163, 0},      {0, 3e300, -2e300, 75, 25, 0, 1, 3e300, -2e300},
      {90, 50, 0, 50, 0, 14133, 10, 50, 0},     {90, 50, -20, 50, -20, 14133, 10, 50, -20}};
  for (const auto& c : cases) {
    const Zin z = LossyLineOf(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    EXPECT_NEAR(z.re, c[7], std::fabs(c[7]) * 1e-12) << c[1] << " on Z0 " << c[3] << " + j" << c[4];
    EXPECT_NEAR(z.im, c[8], std::fabs(c[7]) * 1e-9 + std::fabs(c[8]) * 1e-12) << c[1];
    EXPECT_TRUE(z.shown.empty()) << z.shown.front().text;
  }
}

// A line of length 0 divides its load by Z0 and multiplies by Z0 again. Wherever that division, done as
// CQuotient does it, neither overflows nor gives up, the line's result is the same to the last bit,
// messages included. Z0 may have a part of 0; the load may not, as the line adds signed zeros to it.
TEST(LineQuotient, BitForBitTheUnscaledDivisionWhereverThatSucceeds) {
  constexpr double kUnwritten = -123.25;
  std::mt19937_64 random(20261207);
  std::uniform_int_distribution<int> exponent(-1070, 1024);
  std::uniform_real_distribution<double> mantissa(0.5, 1.0);
  std::bernoulli_distribution negative(0.5), zero(0.05);
  const auto operand = [&](bool mayBeZero) {
    if (mayBeZero && zero(random)) return 0.0;
    const double m = std::ldexp(mantissa(random), exponent(random));
    return negative(random) ? -m : m;
  };
  int compared = 0;
  for (int i = 0; i < 200000; ++i) {
    const double a = operand(false), b = operand(false), c = operand(true), d = operand(true);
    testing::RecordingMessages messages;
    double qRe = kUnwritten, qIm = kUnwritten, re = 0, im = 0;
    CQuotient(Reporting{messages, {}}, a, b, c, d, qRe, qIm);
    if (qRe == kUnwritten || qIm == kUnwritten) continue;  // it gave up
    try {
      CProduct(c, d, qRe, qIm, re, im);
    } catch (const RunTimeError&) {
      continue;  // the product overflows
    }
    const Zin z = LossyLineOf(0, a, b, c, d, 0, 1);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(z.re), std::bit_cast<std::uint64_t>(re)) << a << ' ' << b << ' ' << c << ' ' << d;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(z.im), std::bit_cast<std::uint64_t>(im)) << a << ' ' << b << ' ' << c << ' ' << d;
    ASSERT_EQ(z.shown, messages.shown) << a << ' ' << b << ' ' << c << ' ' << d;
    ++compared;
  }
  EXPECT_GT(compared, 50000);
}

}  // namespace
}  // namespace tavelin
