#include "solver/lines_and_stubs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using cplx = std::complex<double>;
using testing::RecordingMessages;
using testing::ShownMessage;

constexpr double kUntouched = 1234.5;
constexpr double kRadiansPerDegree = 3.14159 / 180;
const cplx j(0, 1);

template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

// Physical length in metres of a line of theta degrees.
double Metres(double theta, double mhz, double vf) { return theta * 299.796 * vf / (360 * mhz); }

// Textbook input impedance of a lossless line.
cplx LosslessZin(cplx zt, cplx z0, double theta) {
  const double t = std::tan(theta * kRadiansPerDegree);
  return z0 * (zt + j * z0 * t) / (z0 + j * zt * t);
}

// Textbook input impedance of a lossy line from the load's reflection coefficient.
cplx ReflectionZin(cplx zt, cplx z0, double alphaL, double theta) {
  const cplx gamma = (zt - z0) / (zt + z0);
  const cplx back = gamma * std::exp(-2.0 * cplx(alphaL, theta * kRadiansPerDegree));
  return z0 * (1.0 + back) / (1.0 - back);
}

// Line loss in dB per 100 feet that gives alphaL nepers over a line of theta degrees.
double LossFor(double alphaL, double theta, double mhz, double vf) {
  return alphaL * 868.8 / (Metres(theta, mhz, vf) * 3.2808333333333333);
}

class Lines : public ::testing::Test {
 protected:
  cplx Zin(double theta, cplx zt, cplx z0, double loss = 0, double vf = 1, double mhz = 10) {
    double re = kUntouched;
    double im = kUntouched;
    LossyLine(reporting, theta, zt.real(), zt.imag(), z0.real(), z0.imag(), loss, vf, mhz, re, im);
    return {re, im};
  }
  void Seed(cplx load) {
    node = NodeState{};
    node.NodeImpedanceRe = load.real();
    node.NodeImpedanceIm = load.imag();
  }
  // A model step followed by what writing the output record does to the node.
  template <typename Model>
  void Run(Model model, const LineParameters& line, double value, double mhz = 10) {
    model(context, line, value, mhz);
    node.NodeVoltageRe = out.VoltageRe;
    node.NodeVoltageIm = out.VoltageIm;
    node.NodeCurrentRe = out.CurrentRe;
    node.NodeCurrentIm = out.CurrentIm;
  }
  cplx V() const { return {out.VoltageRe, out.VoltageIm}; }
  cplx I() const { return {out.CurrentRe, out.CurrentIm}; }
  cplx Z() const { return {out.ImpedanceRe, out.ImpedanceIm}; }

  RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  NodeState node;
  ElementOutput out;
  ModelContext context{reporting, node, out};
};

LineParameters Line(cplx z0, double loss = 0, double vf = 1) {
  LineParameters line;
  line.Z0Re = z0.real();
  line.Z0Im = z0.imag();
  line.Loss = loss;
  line.VelocityFactor = vf;
  return line;
}

void ExpectNear(cplx actual, cplx expected, double tolerance, const std::string& what) {
  EXPECT_NEAR(actual.real(), expected.real(), tolerance) << what;
  EXPECT_NEAR(actual.imag(), expected.imag(), tolerance) << what;
}

TEST_F(Lines, WorkedValues) {
  // Quarter and half wave of 50-ohm line on 100 ohms; the small reactances come from 3.14159.
  const cplx quarter = Zin(90, 100, 50);
  EXPECT_NEAR(quarter.real(), 25.0, 5e-5);
  EXPECT_NEAR(quarter.imag(), -0.0000498, 5e-8);
  const cplx half = Zin(180, 100, 50);
  EXPECT_NEAR(half.real(), 100.0, 5e-5);
  EXPECT_NEAR(half.imag(), 0.000398, 5e-7);

  // Shorted stub of 45 degrees, ideal short, across a 50-ohm load.
  const cplx stub = Zin(45, 0, 50);
  ExpectNear(stub, cplx(0, 49.99993), 5e-6, "shorted 45-degree stub");
  Seed(50);
  Run(DoStubShorted, Line(50), Metres(45, 10, 1));
  ExpectNear(Z(), 50.0 * stub / (50.0 + stub), 1e-12, "stub across the load");
  ExpectNear(V(), 1.0, 0, "a stub keeps the node voltage");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, LosslessLineFollowsTheTangentFormula) {
  const cplx loads[] = {100.0, 0.0, cplx(25, -40), 1e6, cplx(10, 300)};
  const cplx impedances[] = {50.0, 75.0, cplx(300, -4)};
  const double factors[] = {1.0, 0.66};
  const double frequencies[] = {1.8, 28.0, 430.0};
  for (cplx zt : loads) {
    for (cplx z0 : impedances) {
      for (double theta = 1; theta < 730; theta += 7) {
        for (double vf : factors) {
          for (double f : frequencies) {
            const cplx expected = LosslessZin(zt, z0, theta);
            ExpectNear(Zin(theta, zt, z0, 0, vf, f), expected,
                       1e-9 * (std::abs(expected) + std::abs(z0)),
                       "theta " + std::to_string(theta));
          }
        }
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, LineTerminatedInItsOwnImpedanceReturnsIt) {
  const cplx impedances[] = {50.0, cplx(75, -3), cplx(300, 10)};
  for (cplx z0 : impedances) {
    for (double theta : {1.0, 45.0, 90.0, 137.0, 360.0, 719.0}) {
      // Up to some 450 nepers on the longest line.
      for (double loss : {0.0, 0.5, 6.0, 200.0, 2000.0}) {
        ExpectNear(Zin(theta, z0, z0, loss), z0, 1e-12 * std::abs(z0),
                   "theta " + std::to_string(theta) + " loss " + std::to_string(loss));
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, LossyLineFollowsTheReflectionFormulaAndTendsToZ0) {
  const cplx loads[] = {cplx(10, -300), 200.0, 0.1};
  const cplx impedances[] = {50.0, cplx(75, -2)};
  for (cplx zt : loads) {
    for (cplx z0 : impedances) {
      for (double theta : {30.0, 100.0, 250.0}) {
        // The largest losses make |D|^2 overflow inside the quotient; the ratio must survive.
        for (double alphaL : {0.01, 0.3, 2.0, 10.0, 40.0, 400.0, 650.0}) {
          const std::string what =
              "theta " + std::to_string(theta) + " alphaL " + std::to_string(alphaL);
          const cplx zin = Zin(theta, zt, z0, LossFor(alphaL, theta, 10, 0.8), 0.8);
          const cplx expected = ReflectionZin(zt, z0, alphaL, theta);
          ExpectNear(zin, expected, 1e-9 * std::abs(expected), what);
          if (alphaL >= 40) ExpectNear(zin, z0, 1e-12 * std::abs(z0), what);
        }
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, TwoLinesInCascadeEqualOneOfTheSummedLength) {
  const cplx z0 = cplx(75, -1.5);
  for (double loss : {0.0, 3.0}) {
    for (double first : {20.0, 90.0, 133.0}) {
      for (double second : {15.0, 90.0, 301.0}) {
        const cplx zt(30, 45);
        const cplx once = Zin(first + second, zt, z0, loss);
        const cplx twice = Zin(second, Zin(first, zt, z0, loss), z0, loss);
        ExpectNear(twice, once, 1e-9 * std::abs(once), "impedance");

        // The same through the series-line model, voltage and current included.
        const LineParameters line = Line(z0, loss);
        Seed(zt);
        Run(DoSerTransLine, line, Metres(first + second, 10, 1));
        const cplx v = V();
        const cplx i = I();
        Seed(zt);
        Run(DoSerTransLine, line, Metres(first, 10, 1));
        Run(DoSerTransLine, line, Metres(second, 10, 1));
        ExpectNear(Z(), once, 1e-9 * std::abs(once), "model impedance");
        ExpectNear(V(), v, 1e-9 * std::abs(v), "model voltage");
        ExpectNear(I(), i, 1e-9 * std::abs(i), "model current");
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

// The series line carries voltage and current by the line equations, so the state after it is the
// one that really puts 1 V across the load.
TEST_F(Lines, SeriesLineCarriesVoltageAndCurrentByTheLineEquations) {
  const cplx loads[] = {100.0, cplx(12, -80), cplx(300, 45)};
  const cplx z0 = 50;
  for (cplx load : loads) {
    for (double theta : {10.0, 90.0, 144.0, 200.0}) {
      Seed(load);
      Run(DoSerTransLine, Line(z0), Metres(theta, 10, 1));
      const double bl = theta * kRadiansPerDegree;
      const cplx iLoad = 1.0 / load;
      ExpectNear(V(), std::cos(bl) + j * iLoad * z0 * std::sin(bl), 1e-12, "voltage");
      ExpectNear(I(), iLoad * std::cos(bl) + j * std::sin(bl) / z0, 1e-12, "current");
      ExpectNear(Z(), LosslessZin(load, z0, theta), 1e-9 * std::abs(Z()), "impedance");
      ExpectNear(V() / I(), Z(), 1e-9 * std::abs(Z()), "Z = V / I");
      // A lossless line passes on the power that it takes.
      EXPECT_NEAR(std::real(V() * std::conj(I())), std::real(1.0 * std::conj(iLoad)),
                  1e-12 * std::abs(iLoad));
    }
  }
  // Quarter wave on 100 ohms: twice the load current, a quarter period ahead.
  Seed(100);
  Run(DoSerTransLine, Line(50), Metres(90, 10, 1));
  ExpectNear(V(), cplx(0, 0.5), 1e-5, "quarter-wave voltage");
  ExpectNear(I(), cplx(0, 0.02), 1e-7, "quarter-wave current");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, MatchedSeriesLineTurnsThePhaseAndShowsItsLoss) {
  for (double loss : {0.0, 1.5, 40.0}) {
    for (double theta : {30.0, 90.0, 250.0}) {
      Seed(50);
      Run(DoSerTransLine, Line(50, loss), Metres(theta, 10, 1));
      const double alphaL = loss / 868.8 * Metres(theta, 10, 1) * 3.2808333333333333;
      const cplx expected = std::exp(cplx(alphaL, theta * kRadiansPerDegree));
      ExpectNear(Z(), 50.0, 1e-9, "impedance");
      ExpectNear(V(), expected, 1e-12 * std::abs(expected), "voltage");
      ExpectNear(I(), expected / 50.0, 1e-12 * std::abs(expected), "current");
    }
  }
}

TEST_F(Lines, StubsAgainstTheirEndImpedances) {
  const double mhz = 14.2;
  const double omega = 2 * 3.14159 * mhz * 1e6;
  const cplx load(50, 20);
  for (double theta : {20.0, 80.0, 160.0, 300.0}) {
    // Open end: 5 kilohms across 3 pF.
    LineParameters open = Line(75, 0, 0.66);
    open.OpenEndResistance = 5000;
    open.OpenEndCapacitance = 3;
    const cplx openEnd = 1.0 / (1.0 / 5000.0 + j * omega * 3e-12);
    Seed(load);
    Run(DoStubOpen, open, Metres(theta, mhz, 0.66), mhz);
    cplx stub = LosslessZin(openEnd, 75, theta);
    ExpectNear(Z(), load * stub / (load + stub), 1e-9 * std::abs(Z()), "open stub");

    // Shorted end: 0.2 ohm and 0.01 uH in series.
    LineParameters shorted = Line(75, 0, 0.66);
    shorted.ShortEndResistance = 0.2;
    shorted.ShortEndInductance = 0.01;
    const cplx shortEnd = 0.2 + j * omega * 0.01e-6;
    Seed(load);
    Run(DoStubShorted, shorted, Metres(theta, mhz, 0.66), mhz);
    stub = LosslessZin(shortEnd, 75, theta);
    ExpectNear(Z(), load * stub / (load + stub), 1e-9 * std::abs(Z()), "shorted stub");
    ExpectNear(V(), 1.0, 0, "stub voltage");
  }
  EXPECT_TRUE(messages.shown.empty());
}

const ShownMessage kOverflowMessage{
    "Error 6 occurred in the LossyLine routine - Please check the entered values for accuracy!",
    "Corvane Common Error Handler"};

TEST_F(Lines, ExponentialOverflowIsReportedOnceAndLeavesTheResultUnwritten) {
  const double loss = LossFor(800, 90, 10, 1);
  EXPECT_EQ(Zin(90, 100, 50, loss), cplx(kUntouched, kUntouched));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], kOverflowMessage);

  // A stub that fails becomes a 0-ohm shunt: NaN, and no message beyond the line's.
  messages.shown.clear();
  Seed(50);
  Run(DoStubShorted, Line(50, loss), Metres(90, 10, 1));
  EXPECT_TRUE(std::isnan(Z().real()));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], kOverflowMessage);

  // A series line that fails leaves nothing behind it: impedance, voltage and current of zero.
  messages.shown.clear();
  Seed(50);
  Run(DoSerTransLine, Line(50, loss), Metres(90, 10, 1));
  EXPECT_EQ(Z(), 0.0);
  EXPECT_EQ(V(), 0.0);
  EXPECT_EQ(I(), 0.0);
  EXPECT_EQ(node.NodeImpedanceRe, 0.0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], kOverflowMessage);
}

TEST_F(Lines, DivisionByZeroInsideTheLineGoesOnSilently) {
  // With no velocity factor the phase constant divides by zero and is passed over; the first
  // message is the invalid product of the next step (infinity times a length of zero).
  EXPECT_EQ(Zin(90, 100, 50, 0, 0), cplx(kUntouched, kUntouched));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], kOverflowMessage);
  // At 0 MHz the length divides by zero instead, with the same outcome.
  messages.shown.clear();
  EXPECT_EQ(Zin(90, 100, 50, 0, 1, 0), cplx(kUntouched, kUntouched));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], kOverflowMessage);
}

TEST_F(Lines, ZeroVelocityFactorOrEndCapacitanceRaisesToTheCaller) {
  using Model = void (*)(ModelContext&, const LineParameters&, double, double);
  LineParameters noVelocity = Line(50, 0, 0);
  noVelocity.OpenEndCapacitance = 10;
  LineParameters noCapacitance = Line(50, 0, 1);
  noCapacitance.OpenEndResistance = 1000;
  const struct {
    Model model;
    LineParameters line;
  } cases[] = {
      {DoStubOpen, noVelocity},
      {DoStubShorted, noVelocity},
      {DoSerTransLine, noVelocity},
      {DoStubOpen, noCapacitance},
  };
  for (const auto& c : cases) {
    Seed(50);
    out = ElementOutput{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(ErrorOf([&] { c.model(context, c.line, 2.0, 10); }), err::kDivisionByZero);
    EXPECT_EQ(out.VoltageRe, kUntouched);
    EXPECT_EQ(out.CurrentRe, kUntouched);
    EXPECT_EQ(out.ImpedanceRe, kUntouched);
    EXPECT_EQ(node.NodeImpedanceRe, 50.0);
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tavelin
