#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <random>

#include "base/run_time_error.hpp"
#include "solver/complex_arithmetic.hpp"
#include "solver/element_models.hpp"
#include "solver/lines_and_stubs.hpp"
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

TEST_F(ComplexArithmetic, QuotientTrapsItsOwnFaults) {
  const ShownMessage division{"Division by Zero Error Occurred", "Complex Arithmetic Module in Routine CQuotient"};
  const struct { const char* what; double a, b, c, d, re, im; size_t messages; } cases[] = {
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
  double re = kUntouched, im = kUntouched;  // CProduct stores the overflowing real part and stops there
  EXPECT_EQ(std::tuple(CProduct(1e200, 1, 1e200, 1, re, im), re, im), std::tuple(6, kInf, kUntouched));
}

// The origin points down; the negative real axis is +pi', never -pi'. A NaN has no quadrant.
TEST_F(ComplexArithmetic, ArctangentRulesAndPolarFaults) {
  const double cases[][3] = {{0, 0, -1.570795}, {0, 5, 1.570795}, {0, -5, -1.570795}, {-1, 0, 3.14159}, {-1, -0.0, 3.14159},
                             {1, 1, kTruePi / 4}, {-1, 1, 3 * kTruePi / 4 - (kTruePi - 3.14159)},
                             {-1, -1, -3 * kTruePi / 4 + (kTruePi - 3.14159)}, {kNaN, 1, kNaN}, {-1, kNaN, kNaN}};
  for (const auto& [x, y, expected] : cases) {
    double angle = kUntouched;
    MyAtan(reporting, x, y, angle);
    EXPECT_TRUE(std::isnan(expected) ? std::isnan(angle) : std::abs(angle - expected) < 1e-9) << x << ", " << y;
  }
  EXPECT_TRUE(messages.shown.empty());
  // Overflow: the magnitude is reported and skipped, the angle computed; a ratio keeps the caller's angle.
  double magnitude = kUntouched, angle = kUntouched;
  CPolar(reporting, 1e200, 1e200, magnitude, angle);
  EXPECT_EQ(std::pair(magnitude, angle), std::pair(kUntouched, std::atan(1.0)));
  angle = kUntouched;
  MyAtan(reporting, 1e-300, 1e300, angle);
  EXPECT_EQ(angle, kUntouched);
  EXPECT_EQ(messages.shown, (std::vector<ShownMessage>{{"Error Code = 6", "Complex Arithmetic Module in Routine CPolar"},
                                                       {"Error Code = 6", "Complex Arithmetic Module in Routine MyAtan"}}));
}

using cplx = std::complex<double>;
using Model = void (*)(ModelContext&, double, double);
constexpr cplx j(0, 1);

// Length in metres of a line of theta degrees; loss in dB per 100 feet for alphaL nepers over it.
double Metres(double theta, double mhz, double vf) { return theta * 299.796 * vf / (360 * mhz); }
double LossFor(double alphaL, double theta, double mhz, double vf) {
  return alphaL * 868.8 / (Metres(theta, mhz, vf) * 3.2808333333333333);
}
// Textbook input impedance of a line, from the load's reflection coefficient (angles with 3.14159).
cplx ReflectionZin(cplx zt, cplx z0, double alphaL, double theta) {
  const cplx back = (zt - z0) / (zt + z0) * std::exp(-2.0 * cplx(alphaL, theta * 3.14159 / 180));
  return z0 * (1.0 + back) / (1.0 - back);
}
LineParameters Line(cplx z0, double loss = 0) { return {z0.real(), z0.imag(), loss, 1}; }

// One frequency step: the node seeded from the load, then each model and its record's write-back.
class Models : public ::testing::Test {
 protected:
  void Seed(cplx load, cplx voltage = 1.0) { node = {voltage.real(), voltage.imag(), 0, 0, load.real(), load.imag()}; }
  template <typename M, typename... Arguments>
  void Run(M model, Arguments... arguments) {
    model(context, arguments...);
    node = {out.VoltageRe, out.VoltageIm, out.CurrentRe, out.CurrentIm, node.ImpedanceRe, node.ImpedanceIm};
  }
  cplx Zin(double theta, cplx zt, cplx z0, double loss = 0, double vf = 1, double mhz = 10) {
    double re = 7, im = 7;
    LossyLine(reporting, theta, zt.real(), zt.imag(), z0.real(), z0.imag(), loss, vf, mhz, re, im);
    return {re, im};
  }
  cplx V() const { return {out.VoltageRe, out.VoltageIm}; }
  cplx I() const { return {out.CurrentRe, out.CurrentIm}; }
  cplx Z() const { return {out.ImpedanceRe, out.ImpedanceIm}; }

  testing::RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  NodeValues node;
  NodeValues out;
  ModelContext context{reporting, node, out};
};

// On a 50-ohm load at 10 MHz; the shunt and the second series element recompute the current from the node.
TEST_F(Models, WorkedValuesOnA50OhmLoad) {
  const std::tuple<std::vector<std::pair<Model, double>>, cplx, cplx, cplx> cases[] = {
      {{{DoSeriesR, 50}}, 2.0, 0.02, 100.0}, {{{DoShuntR, 50}}, 1.0, 0.04, 25.0},
      {{{DoSeriesL, 1}}, cplx(1, 1.256636), 0.02, cplx(50, 62.8318)},
      {{{DoSeriesC, 100}}, cplx(1, -3.18310155), 0.02, cplx(50, -159.1550775)},
      {{{DoShuntL, 1}}, 1.0, cplx(0.02, -1 / 62.8318), 1.0 / cplx(0.02, -1 / 62.8318)},
      {{{DoShuntC, 100}}, 1.0, cplx(0.02, 1 / 159.1550775), 1.0 / cplx(0.02, 1 / 159.1550775)},
      {{{DoSeriesR, 25}, {DoSeriesR, 25}}, 2.0, 0.02, 100.0}};
  for (const auto& [elements, v, i, z] : cases) {
    Seed(50);
    for (const auto& [model, value] : elements) node.CurrentRe = 99, Run(model, value, 10.0);
    EXPECT_LT(std::abs(V() - v), 1e-8) << V();
    EXPECT_LT(std::abs(I() - i), 1e-12) << I();
    EXPECT_LT(std::abs(Z() - z), 1e-6) << Z();
    EXPECT_EQ(cplx(node.ImpedanceRe, node.ImpedanceIm), Z());
  }
  // A shunt of 0 ohms and a short-circuit load give NaN silently; an output never reached keeps its value.
  Seed(0);
  out.CurrentIm = 7;
  Run(DoSeriesR, 50.0, 10.0);
  EXPECT_TRUE(std::isnan(out.CurrentRe) && std::isnan(out.VoltageRe) && out.CurrentIm == 7.0);
  Seed(50);
  Run(DoShuntR, 0.0, 10.0);
  EXPECT_TRUE(std::isnan(out.CurrentRe) && std::isnan(out.ImpedanceRe) && out.CurrentIm == 0.0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Models, ZeroCapacitanceOrVelocityFactorAndOverflowRaiseToTheCallerWithNothingWritten) {
  const LineParameters noVelocity{50, 0, 0, 0, 0, 10}, noCapacitance{50, 0, 0, 1, 1000, 0};
  const std::tuple<std::function<void()>, cplx, int> cases[] = {
      {[&] { DoSeriesC(context, 0, 10); }, 50, 11},        {[&] { DoShuntC(context, 0, 10); }, 50, 11},
      {[&] { DoShuntL(context, 1e300, 1e10); }, 50, 6},    {[&] { DoSeriesR(context, 1e300, 10); }, 1e-10, 6},
      {[&] { DoStubOpen(context, noVelocity, 2, 10); }, 50, 11}, {[&] { DoStubShorted(context, noVelocity, 2, 10); }, 50, 11},
      {[&] { DoSerTransLine(context, noVelocity, 2, 10); }, 50, 11}, {[&] { DoStubOpen(context, noCapacitance, 2, 10); }, 50, 11}};
  for (const auto& [model, load, error] : cases) {
    Seed(load);
    out = NodeValues{7, 7, 7, 7, 7, 7};
    EXPECT_EQ(testing::ErrorOf(model), error);
    EXPECT_EQ(std::tuple(V(), Z(), cplx(node.ImpedanceRe, node.ImpedanceIm)), std::tuple(cplx(7, 7), cplx(7, 7), load));
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Models, LinesAndStubs) {
  // Quarter and half wave on 100 ohms (reactances from 3.14159), a shorted stub, a matched line, lossy lines.
  EXPECT_LT(std::abs(Zin(90, 100, 50) - cplx(25.0, -0.0000498)), 1e-7);
  EXPECT_LT(std::abs(Zin(180, 100, 50) - cplx(100.0, 0.000398)), 5e-7);
  EXPECT_LT(std::abs(Zin(45, 0, 50) - j * 49.99993), 5e-6);
  EXPECT_LT(std::abs(Zin(77, cplx(300, -4), cplx(300, -4), 3.1) - cplx(300, -4)), 1e-9);
  for (const auto& [zt, theta, alphaL] : {std::tuple(cplx(25, -40), 30.0, 0.01), {cplx(10, 300), 200, 2}, {1e6, 700, 40}}) {
    const cplx expected = ReflectionZin(zt, cplx(50, -0.5), alphaL, theta);
    EXPECT_LT(std::abs(Zin(theta, zt, cplx(50, -0.5), LossFor(alphaL, theta, 10, 1)) - expected), 1e-9 * std::abs(expected));
  }
  // The stubs' end impedances: 5000 ohms across 3 pF open, 0.2 ohms and 0.01 uH shorted; added in shunt.
  const double w = 2 * 3.14159 * 14.2e6, theta = 160;
  const cplx open = 1.0 / (1.0 / 5000.0 + j * w * 3e-12), shorted = 0.2 + j * w * 0.01e-6, load(50, 20);
  for (const auto& [model, line, end] : {std::tuple(&DoStubOpen, LineParameters{75, 0, 0, 1, 5000, 3}, open),
                                         {&DoStubShorted, LineParameters{75, 0, 0, 1, 0, 0, 0.2, 0.01}, shorted}}) {
    Seed(load);
    Run(model, line, Metres(theta, 14.2, 1), 14.2);
    const cplx stub = ReflectionZin(end, 75, 0, theta);
    EXPECT_LT(std::abs(Z() - load * stub / (load + stub)), 1e-9 * std::abs(Z()));
    EXPECT_EQ(V(), 1.0);
  }
  // A series line passes the load current on, V = Zin x I_L, I = I_L.
  Seed(cplx(12, -80), cplx(2, -1));
  Run(DoSerTransLine, Line(cplx(50, -0.4), LossFor(0.2, 250, 10, 1)), Metres(250, 10, 1), 10.0);
  const cplx zin = ReflectionZin(cplx(12, -80), cplx(50, -0.4), 0.2, 250), iLoad = cplx(2, -1) / cplx(12, -80);
  EXPECT_LT(std::abs(Z() - zin) + std::abs(I() - iLoad) + std::abs(V() - zin * iLoad), 1e-9 * std::abs(zin));
  EXPECT_EQ(cplx(node.ImpedanceRe, node.ImpedanceIm), Z());
  EXPECT_TRUE(messages.shown.empty());
}

// An exponential overflow is reported once and writes nothing; models go on with 0 + j0. A division by
// zero (no velocity factor, 0 MHz) is passed over.
TEST_F(Models, LineFaultsAreReportedOnceAndLeaveTheResultUnwritten) {
  const double loss = LossFor(800, 90, 10, 1);
  for (const cplx zin : {Zin(90, 100, 50, loss), Zin(90, 100, 50, 0, 0), Zin(90, 100, 50, 0, 1, 0)}) EXPECT_EQ(zin, cplx(7, 7));
  Seed(50);
  Run(DoStubShorted, Line(50, loss), Metres(90, 10, 1), 10.0);
  EXPECT_TRUE(std::isnan(Z().real()));
  Seed(50);
  Run(DoSerTransLine, Line(50, loss), Metres(90, 10, 1), 10.0);
  EXPECT_EQ(std::tuple(Z(), V(), I()), std::tuple(cplx(0), cplx(0), cplx(0.02)));
  // The series line's last product traps nothing: 2500 ohms times 1e306 A stores +inf and raises 6.
  Seed(1, 1e306);
  EXPECT_EQ(testing::ErrorOf([&] { DoSerTransLine(context, Line(50), Metres(90, 10, 1), 10.0); }), 6);
  EXPECT_TRUE(std::isinf(V().real()) && I() == cplx(1e306) && std::abs(Z() - 2500.0) < 0.5);
  EXPECT_EQ(messages.shown, std::vector<testing::ShownMessage>(5, {"Error 6 occurred in the LossyLine routine - Please "
                                                                   "check the entered values for accuracy!",
                                                                   "Corvane Common Error Handler"}));
}

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

// Length 0 divides the load by Z0 and multiplies again: wherever CQuotient neither overflows nor gives up,
// bit for bit, messages included. The load has no zero part, as the line adds signed zeros to it.
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
    if (CProduct(c, d, qRe, qIm, re, im) != 0) continue;  // the product overflows
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
