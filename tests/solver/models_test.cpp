#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <string>
#include <tuple>

#include "solver/element_models.hpp"
#include "solver/lines_and_stubs.hpp"
#include "support/recording.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using cplx = std::complex<double>;
using testing::ErrorOf;
using testing::ShownMessage;
using Model = void (*)(ModelContext&, double, double);

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

LineParameters Line(cplx z0, double loss = 0, double vf = 1) { return {z0.real(), z0.imag(), loss, vf}; }

// One frequency step as the scan drives it: the node seeded from the load, then for each element the
// model and what writing its output record does to the node.
class Models : public ::testing::Test {
 protected:
  void Seed(cplx load, cplx voltage = 1.0) {
    node = NodeState{voltage.real(), voltage.imag(), 0, 0, load.real(), load.imag()};
  }
  template <typename M, typename... Arguments>
  void Run(M model, Arguments... arguments) {
    model(context, arguments...);
    node = NodeState{out.VoltageRe, out.VoltageIm, out.CurrentRe, out.CurrentIm, node.NodeImpedanceRe,
                     node.NodeImpedanceIm};
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
  NodeState node;
  ElementOutput out;
  ModelContext context{reporting, node, out};
};

TEST_F(Models, LumpedWorkedValuesOnA50OhmLoad) {
  const std::tuple<Model, double, cplx, cplx, cplx> cases[] = {
      {DoSeriesR, 50, 2.0, 0.02, 100.0},
      {DoShuntR, 50, 1.0, 0.04, 25.0},
      {DoSeriesL, 1, cplx(1, 1.256636), 0.02, cplx(50, 62.8318)},            // 1 uH at 10 MHz
      {DoSeriesC, 100, cplx(1, -3.18310155), 0.02, cplx(50, -159.1550775)},  // 100 pF
  };
  for (const auto& [model, value, v, i, z] : cases) {
    Seed(50);
    Run(model, value, 10.0);
    EXPECT_LT(std::abs(V() - v), 1e-8);
    EXPECT_LT(std::abs(I() - i), 1e-15);
    EXPECT_LT(std::abs(Z() - z), 1e-7);
    EXPECT_EQ(cplx(node.NodeImpedanceRe, node.NodeImpedanceIm), Z());
  }
  // Two 25-ohm series resistors: each divides the node's voltage by its impedance afresh, whatever
  // current was left in the node.
  Seed(50);
  Run(DoSeriesR, 25.0, 10.0);
  node.NodeCurrentRe = 99;
  Run(DoSeriesR, 25.0, 10.0);
  EXPECT_LT(std::abs(I() - 0.02), 1e-15);
  EXPECT_LT(std::abs(V() - 2.0), 1e-14);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Models, AComplexZeroGivesNaNSilentlyAndItFlowsOn) {
  for (Model shunt : {DoShuntR, DoShuntL}) {
    Seed(50);
    Run(shunt, 0.0, 10.0);
    EXPECT_TRUE(std::isnan(out.CurrentRe) && std::isnan(out.ImpedanceRe) && std::isnan(out.ImpedanceIm));
    EXPECT_EQ(out.CurrentIm, 0.0);
    Run(DoSeriesL, 1.0, 10.0);
    EXPECT_TRUE(std::isnan(out.VoltageRe) && std::isnan(out.ImpedanceRe));
  }
  // A short-circuit load: the current's imaginary part is never reached and keeps its value.
  Seed(0);
  out.CurrentIm = 7;
  Run(DoSeriesR, 50.0, 10.0);
  EXPECT_TRUE(std::isnan(out.CurrentRe) && std::isnan(out.VoltageRe) && std::isnan(node.NodeImpedanceRe));
  EXPECT_EQ(out.CurrentIm, 7.0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Models, ZeroCapacitanceOrVelocityFactorAndOverflowRaiseToTheCallerWithNothingWritten) {
  const LineParameters noVelocity{50, 0, 0, 0, 0, 10}, noCapacitance{50, 0, 0, 1, 1000, 0};
  const std::tuple<std::function<void()>, cplx, int> cases[] = {
      {[&] { DoSeriesC(context, 0, 10); }, 50, 11},
      {[&] { DoShuntC(context, 0, 10); }, 50, 11},
      {[&] { DoShuntL(context, 1e300, 1e10); }, 50, 6},     // the reactance overflows
      {[&] { DoSeriesR(context, 1e300, 10); }, 1e-10, 6},  // 1e10 A through 1e300 ohms
      {[&] { DoStubOpen(context, noVelocity, 2, 10); }, 50, 11},
      {[&] { DoStubShorted(context, noVelocity, 2, 10); }, 50, 11},
      {[&] { DoSerTransLine(context, noVelocity, 2, 10); }, 50, 11},
      {[&] { DoStubOpen(context, noCapacitance, 2, 10); }, 50, 11},
  };
  for (const auto& [model, load, error] : cases) {
    Seed(load);
    out = ElementOutput{7, 7, 7, 7, 7, 7};
    EXPECT_EQ(ErrorOf(model), error);
    EXPECT_EQ(V(), cplx(7, 7));
    EXPECT_EQ(Z(), cplx(7, 7));
    EXPECT_EQ(cplx(node.NodeImpedanceRe, node.NodeImpedanceIm), load);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Models, LineWorkedValues) {
  // Quarter and half wave of 50-ohm line on 100 ohms; the small reactances come from 3.14159.
  EXPECT_LT(std::abs(Zin(90, 100, 50) - cplx(25.0, -0.0000498)), 1e-7);
  EXPECT_LT(std::abs(Zin(180, 100, 50) - cplx(100.0, 0.000398)), 5e-7);
  // An ideally shorted 45-degree stub, alone and across a 50-ohm load.
  const cplx stub = Zin(45, 0, 50);
  EXPECT_LT(std::abs(stub - j * 49.99993), 5e-6);
  Seed(50);
  Run(DoStubShorted, Line(50), Metres(45, 10, 1), 10.0);
  EXPECT_LT(std::abs(Z() - 50.0 * stub / (50.0 + stub)), 1e-12);
  EXPECT_EQ(V(), 1.0);
  EXPECT_TRUE(messages.shown.empty());
}

// Lossless lines against the tangent formula, lossy ones against the reflection coefficient, up to
// 650 nepers, where |D|^2 would overflow inside the quotient although the ratio is near 1.
TEST_F(Models, LineInputImpedanceFollowsTheTextbookFormulasAndTendsToZ0) {
  for (cplx z0 : {cplx(50), cplx(300, -4)}) {
    for (cplx zt : {z0, cplx(0), cplx(1e6), cplx(25, -40), cplx(10, 300), cplx(0.1)}) {
      for (double theta = 1; theta < 730; theta += 13) {
        for (double alphaL : {0.0, 0.01, 2.0, 40.0, 650.0}) {
          const double vf = theta < 365 ? 1 : 0.66, mhz = alphaL < 1 ? 1.8 : 430;
          const cplx zin = Zin(theta, zt, z0, LossFor(alphaL, theta, mhz, vf), vf, mhz);
          const cplx expected = alphaL == 0 ? TangentZin(zt, z0, theta) : ReflectionZin(zt, z0, alphaL, theta);
          const std::string what = std::to_string(theta) + " deg, " + std::to_string(alphaL) + " Np";
          EXPECT_LT(std::abs(zin - expected), 1e-9 * (std::abs(expected) + std::abs(z0))) << what;
          if (alphaL >= 40 || zt == z0) {
            EXPECT_LT(std::abs(zin - z0), 1e-12 * std::abs(z0)) << what;
          }
        }
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

// The series line sets the node to Zin and passes the load current on: V = Zin x I_L, I = I_L.
TEST_F(Models, SeriesLinesKeepTheLoadCurrent) {
  const cplx z0(50, -0.4);
  for (cplx load : {z0, cplx(100), cplx(12, -80)}) {
    for (double theta : {10.0, 90.0, 250.0}) {
      for (double alphaL : {0.0, 0.2, 3.0}) {
        Seed(load, cplx(2, -1));  // a node voltage left by elements before the line
        Run(DoSerTransLine, Line(z0, LossFor(alphaL, theta, 10, 1)), Metres(theta, 10, 1), 10.0);
        const cplx zin = ReflectionZin(load, z0, alphaL, theta), iLoad = cplx(2, -1) / load;
        EXPECT_LT(std::abs(Z() - zin), 1e-9 * std::abs(zin));
        EXPECT_LT(std::abs(I() - iLoad), 1e-12 * std::abs(iLoad));
        EXPECT_LT(std::abs(V() - zin * iLoad), 1e-9 * std::abs(zin * iLoad));
        EXPECT_EQ(cplx(node.NodeImpedanceRe, node.NodeImpedanceIm), Z());
      }
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Models, StubsAgainstTheirEndImpedances) {
  const double mhz = 14.2, omega = 2 * 3.14159 * mhz * 1e6;
  const cplx load(50, 20);
  // 5000 ohms across 3 pF at the open end, 0.2 ohms in series with 0.01 uH at the shorted one.
  const LineParameters open{75, 0, 0, 0.66, 5000, 3}, shorted{75, 0, 0, 0.66, 0, 0, 0.2, 0.01};
  const std::pair<const LineParameters&, cplx> ends[] = {{open, 1.0 / (1.0 / 5000.0 + j * omega * 3e-12)},
                                                         {shorted, 0.2 + j * omega * 0.01e-6}};
  for (const auto& [line, end] : ends) {
    for (double theta : {20.0, 160.0, 300.0}) {
      Seed(load);
      Run(line.OpenEndCapacitance > 0 ? DoStubOpen : DoStubShorted, line, Metres(theta, mhz, 0.66), mhz);
      const cplx stub = TangentZin(end, 75, theta);
      EXPECT_LT(std::abs(Z() - load * stub / (load + stub)), 1e-9 * std::abs(Z())) << theta;
    }
  }
  EXPECT_TRUE(messages.shown.empty());
}

// LossyLine's trap: a division by zero (no velocity factor, 0 MHz) is passed over and the next step
// fails on its infinity; an exponential overflow is reported once. Either way nothing is written,
// and the models go on with 0 + j0 for the line.
TEST_F(Models, LineFaultsAreReportedOnceAndLeaveTheResultUnwritten) {
  const double loss = LossFor(800, 90, 10, 1);
  for (const cplx zin : {Zin(90, 100, 50, loss), Zin(90, 100, 50, 0, 0), Zin(90, 100, 50, 0, 1, 0)}) {
    EXPECT_EQ(zin, cplx(7, 7));
  }
  // A failed stub is a 0-ohm shunt: NaN.
  Seed(50);
  Run(DoStubShorted, Line(50, loss), Metres(90, 10, 1), 10.0);
  EXPECT_TRUE(std::isnan(Z().real()));
  // A failed series line sets the impedance and the voltage to zero; the load current stays.
  Seed(50);
  Run(DoSerTransLine, Line(50, loss), Metres(90, 10, 1), 10.0);
  EXPECT_EQ(Z(), 0.0);
  EXPECT_EQ(V(), 0.0);
  EXPECT_EQ(I(), 0.02);
  EXPECT_EQ(messages.shown, std::vector<ShownMessage>(5, ShownMessage{"Error 6 occurred in the LossyLine routine - "
                                                                      "Please check the entered values for accuracy!",
                                                                      "Corvane Common Error Handler"}));
}

}  // namespace
}  // namespace tavelin
