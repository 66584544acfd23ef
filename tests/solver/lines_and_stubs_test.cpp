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
using testing::ShownMessage;
using LineModel = void (*)(ModelContext&, const LineParameters&, double, double);

constexpr double kUntouched = 1234.5;
constexpr double kRadiansPerDegree = 3.14159 / 180;
constexpr cplx j(0, 1);

// Physical length in metres of a line of theta degrees.
double Metres(double theta, double mhz, double vf) { return theta * 299.796 * vf / (360 * mhz); }

// Line loss in dB per 100 feet that gives alphaL nepers over a line of theta degrees.
double LossFor(double alphaL, double theta, double mhz, double vf) {
  return alphaL * 868.8 / (Metres(theta, mhz, vf) * 3.2808333333333333);
}

// Textbook input impedance of a lossless line.
cplx TangentZin(cplx zt, cplx z0, double theta) {
  const double t = std::tan(theta * kRadiansPerDegree);
  return z0 * (zt + j * z0 * t) / (z0 + j * zt * t);
}

// Textbook input impedance of a lossy line, from the load's reflection coefficient.
cplx ReflectionZin(cplx zt, cplx z0, double alphaL, double theta) {
  const cplx back = (zt - z0) / (zt + z0) * std::exp(-2.0 * cplx(alphaL, theta * kRadiansPerDegree));
  return z0 * (1.0 + back) / (1.0 - back);
}

LineParameters Line(cplx z0, double loss = 0, double vf = 1) {
  LineParameters line;
  line.Z0Re = z0.real();
  line.Z0Im = z0.imag();
  line.Loss = loss;
  line.VelocityFactor = vf;
  return line;
}

class Lines : public ::testing::Test {
 protected:
  cplx Zin(double theta, cplx zt, cplx z0, double loss = 0, double vf = 1, double mhz = 10) {
    double re = kUntouched, im = kUntouched;
    LossyLine(reporting, theta, zt.real(), zt.imag(), z0.real(), z0.imag(), loss, vf, mhz, re, im);
    return {re, im};
  }
  void Seed(cplx load) {
    node = NodeState{};
    node.NodeImpedanceRe = load.real();
    node.NodeImpedanceIm = load.imag();
  }
  // A model, then what writing the output record does to the node.
  void Run(LineModel model, const LineParameters& line, double metres, double mhz = 10) {
    model(context, line, metres, mhz);
    node.NodeVoltageRe = out.VoltageRe;
    node.NodeVoltageIm = out.VoltageIm;
    node.NodeCurrentRe = out.CurrentRe;
    node.NodeCurrentIm = out.CurrentIm;
  }
  cplx V() const { return {out.VoltageRe, out.VoltageIm}; }
  cplx I() const { return {out.CurrentRe, out.CurrentIm}; }
  cplx Z() const { return {out.ImpedanceRe, out.ImpedanceIm}; }

  testing::RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  NodeState node;
  ElementOutput out;
  ModelContext context{reporting, node, out};
};

TEST_F(Lines, WorkedValues) {
  // Quarter and half wave of 50-ohm line on 100 ohms; the small reactances come from 3.14159.
  const cplx quarter = Zin(90, 100, 50);
  EXPECT_NEAR(quarter.real(), 25.0, 5e-5);
  EXPECT_NEAR(quarter.imag(), -0.0000498, 5e-8);
  const cplx half = Zin(180, 100, 50);
  EXPECT_NEAR(half.real(), 100.0, 5e-5);
  EXPECT_NEAR(half.imag(), 0.000398, 5e-7);
  // An ideally shorted 45-degree stub, alone and across a 50-ohm load.
  const cplx stub = Zin(45, 0, 50);
  EXPECT_LT(std::abs(stub - j * 49.99993), 5e-6);
  Seed(50);
  Run(DoStubShorted, Line(50), Metres(45, 10, 1));
  EXPECT_LT(std::abs(Z() - 50.0 * stub / (50.0 + stub)), 1e-12);
  EXPECT_EQ(V(), 1.0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, LosslessLineFollowsTheTangentFormula) {
  for (cplx zt : {cplx(100), cplx(0), cplx(25, -40), cplx(1e6), cplx(10, 300)}) {
    for (cplx z0 : {cplx(50), cplx(300, -4)}) {
      for (double theta = 1; theta < 730; theta += 7) {
        for (double vf : {1.0, 0.66}) {
          for (double mhz : {1.8, 430.0}) {
            const cplx expected = TangentZin(zt, z0, theta);
            EXPECT_LT(std::abs(Zin(theta, zt, z0, 0, vf, mhz) - expected),
                      1e-9 * (std::abs(expected) + std::abs(z0)))
                << theta;
          }
        }
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

// Up to 650 nepers, where |D|^2 overflows inside the quotient although the ratio is near 1.
TEST_F(Lines, LossyLineFollowsTheReflectionFormulaAndTendsToZ0) {
  for (cplx z0 : {cplx(50), cplx(75, -2)}) {
    for (cplx zt : {z0, cplx(10, -300), cplx(200), cplx(0.1)}) {
      for (double theta : {30.0, 100.0, 719.0}) {
        for (double alphaL : {0.0, 0.01, 0.3, 2.0, 10.0, 40.0, 400.0, 650.0}) {
          const std::string what = std::to_string(theta) + " deg, " + std::to_string(alphaL);
          const cplx zin = Zin(theta, zt, z0, LossFor(alphaL, theta, 10, 0.8), 0.8);
          const cplx expected = ReflectionZin(zt, z0, alphaL, theta);
          EXPECT_LT(std::abs(zin - expected), 1e-9 * std::abs(expected)) << what;
          if (alphaL >= 40 || zt == z0) {
            EXPECT_LT(std::abs(zin - z0), 1e-12 * std::abs(z0)) << what;
          }
        }
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, TwoLinesInCascadeEqualOneOfTheSummedLength) {
  const cplx z0(75, -1.5), zt(30, 45);
  for (double loss : {0.0, 3.0}) {
    for (double first : {20.0, 90.0, 133.0}) {
      for (double second : {15.0, 90.0, 301.0}) {
        const cplx once = Zin(first + second, zt, z0, loss);
        EXPECT_LT(std::abs(Zin(second, Zin(first, zt, z0, loss), z0, loss) - once),
                  1e-9 * std::abs(once));
        // Through the series-line model, as the scan runs it.
        Seed(zt);
        Run(DoSerTransLine, Line(z0, loss), Metres(first, 10, 1));
        Run(DoSerTransLine, Line(z0, loss), Metres(second, 10, 1));
        EXPECT_LT(std::abs(Z() - once), 1e-9 * std::abs(once));
      }
    }
  }
}

// A series line passes the load-side current to its input and scales the voltage to the new
// impedance: V = Zin x I_L, I = I_L, Z = Zin.
TEST_F(Lines, SeriesLineKeepsTheLoadCurrentAndScalesTheVoltage) {
  const cplx z0(50, -0.4);
  for (cplx load : {z0, cplx(100), cplx(12, -80)}) {
    for (double theta : {10.0, 90.0, 250.0}) {
      for (double alphaL : {0.0, 0.2, 3.0}) {
        Seed(load);
        node.NodeVoltageRe = 2.0;  // a node voltage left by elements before the line
        node.NodeVoltageIm = -1.0;
        Run(DoSerTransLine, Line(z0, LossFor(alphaL, theta, 10, 1)), Metres(theta, 10, 1));
        const cplx zin = ReflectionZin(load, z0, alphaL, theta);
        const cplx iLoad = cplx(2.0, -1.0) / load;
        EXPECT_LT(std::abs(Z() - zin), 1e-9 * std::abs(zin));
        EXPECT_LT(std::abs(I() - iLoad), 1e-12 * std::abs(iLoad));
        EXPECT_LT(std::abs(V() - zin * iLoad), 1e-9 * std::abs(zin * iLoad));
        EXPECT_EQ(cplx(node.NodeImpedanceRe, node.NodeImpedanceIm), Z());
      }
    }
  }
  // First element on a matched 50-ohm load: 50 ohms, 0.02 A and 1 V whatever the length.
  for (double theta : {30.0, 90.0, 400.0}) {
    Seed(50);
    Run(DoSerTransLine, Line(50), Metres(theta, 10, 1));
    EXPECT_LT(std::abs(Z() - 50.0), 1e-9);
    EXPECT_LT(std::abs(I() - 0.02), 1e-15);
    EXPECT_LT(std::abs(V() - 1.0), 1e-10);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lines, StubsAgainstTheirEndImpedances) {
  const double mhz = 14.2, omega = 2 * 3.14159 * mhz * 1e6;
  const cplx load(50, 20);
  LineParameters open = Line(75, 0, 0.66), shorted = Line(75, 0, 0.66);
  open.OpenEndResistance = 5000;  // across 3 pF
  open.OpenEndCapacitance = 3;
  shorted.ShortEndResistance = 0.2;  // in series with 0.01 uH
  shorted.ShortEndInductance = 0.01;
  const cplx openEnd = 1.0 / (1.0 / 5000.0 + j * omega * 3e-12);
  const cplx shortEnd = 0.2 + j * omega * 0.01e-6;
  for (double theta : {20.0, 80.0, 160.0, 300.0}) {
    Seed(load);
    Run(DoStubOpen, open, Metres(theta, mhz, 0.66), mhz);
    cplx stub = TangentZin(openEnd, 75, theta);
    EXPECT_LT(std::abs(Z() - load * stub / (load + stub)), 1e-9 * std::abs(Z())) << theta;
    Seed(load);
    Run(DoStubShorted, shorted, Metres(theta, mhz, 0.66), mhz);
    stub = TangentZin(shortEnd, 75, theta);
    EXPECT_LT(std::abs(Z() - load * stub / (load + stub)), 1e-9 * std::abs(Z())) << theta;
  }
  EXPECT_TRUE(messages.shown.empty());
}

const ShownMessage kLineError{
    "Error 6 occurred in the LossyLine routine - Please check the entered values for accuracy!",
    "Corvane Common Error Handler"};

TEST_F(Lines, ExponentialOverflowIsReportedOnceAndLeavesTheResultUnwritten) {
  const double loss = LossFor(800, 90, 10, 1);
  EXPECT_EQ(Zin(90, 100, 50, loss), cplx(kUntouched, kUntouched));
  // A failed stub is a 0-ohm shunt: NaN, and no message beyond the line's.
  Seed(50);
  Run(DoStubShorted, Line(50, loss), Metres(90, 10, 1));
  EXPECT_TRUE(std::isnan(Z().real()));
  // A failed series line sets the impedance and the voltage to zero; the load current stays.
  Seed(50);
  Run(DoSerTransLine, Line(50, loss), Metres(90, 10, 1));
  EXPECT_EQ(Z(), 0.0);
  EXPECT_EQ(V(), 0.0);
  EXPECT_EQ(I(), 0.02);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(3, kLineError));
}

TEST_F(Lines, DivisionByZeroInsideTheLineGoesOnSilently) {
  // With no velocity factor, or at 0 MHz, a division by zero is passed over; the message that
  // follows is the next step's infinity times zero.
  EXPECT_EQ(Zin(90, 100, 50, 0, 0), cplx(kUntouched, kUntouched));
  EXPECT_EQ(Zin(90, 100, 50, 0, 1, 0), cplx(kUntouched, kUntouched));
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(2, kLineError));
}

TEST_F(Lines, ZeroVelocityFactorOrEndCapacitanceRaisesToTheCaller) {
  LineParameters noVelocity = Line(50, 0, 0), noCapacitance = Line(50);
  noVelocity.OpenEndCapacitance = 10;
  noCapacitance.OpenEndResistance = 1000;
  const struct {
    LineModel model;
    LineParameters line;
  } cases[] = {{DoStubOpen, noVelocity},
               {DoStubShorted, noVelocity},
               {DoSerTransLine, noVelocity},
               {DoStubOpen, noCapacitance}};
  for (const auto& c : cases) {
    Seed(50);
    out = ElementOutput{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
    int error = 0;
    try {
      c.model(context, c.line, 2.0, 10);
    } catch (const RunTimeError& e) {
      error = e.Number();
    }
    EXPECT_EQ(error, err::kDivisionByZero);
    EXPECT_EQ(out.VoltageRe, kUntouched);
    EXPECT_EQ(out.ImpedanceRe, kUntouched);
    EXPECT_EQ(node.NodeImpedanceRe, 50.0);
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace tavelin
