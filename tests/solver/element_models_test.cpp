#include "solver/element_models.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using cplx = std::complex<double>;
using Model = void (*)(ModelContext&, double, double);

constexpr double kUntouched = 1234.5;

// One frequency step as the scan drives it: the node seeded from the load, then for each element
// the model and what writing its output record does to the node.
struct Step {
  explicit Step(cplx load, cplx voltage = 1.0) {
    node.NodeImpedanceRe = load.real();
    node.NodeImpedanceIm = load.imag();
    node.NodeVoltageRe = voltage.real();
    node.NodeVoltageIm = voltage.imag();
  }
  void Run(Model model, double value, double mhz) {
    model(context, value, mhz);
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

TEST(LumpedElements, WorkedValuesOnA50OhmLoad) {
  const struct {
    Model model;
    double value;
    cplx v, i, z;
  } cases[] = {
      {DoSeriesR, 50, 2.0, 0.02, 100.0},
      {DoShuntR, 50, 1.0, 0.04, 25.0},
      {DoSeriesL, 1, cplx(1, 1.256636), 0.02, cplx(50, 62.8318)},    // 1 uH at 10 MHz
      {DoSeriesC, 100, cplx(1, -3.18310155), 0.02, cplx(50, -159.1550775)},  // 100 pF
  };
  for (const auto& c : cases) {
    Step s(50.0);
    s.Run(c.model, c.value, 10);
    EXPECT_LT(std::abs(s.V() - c.v), 1e-8);
    EXPECT_LT(std::abs(s.I() - c.i), 1e-15);
    EXPECT_LT(std::abs(s.Z() - c.z), 1e-7);
    EXPECT_EQ(cplx(s.node.NodeImpedanceRe, s.node.NodeImpedanceIm), s.Z());
    EXPECT_TRUE(s.messages.shown.empty());
  }
  // Each series element divides the node's voltage by its impedance afresh; a current left in
  // the node does not count.
  Step s(50.0);
  s.Run(DoSeriesR, 25, 10);
  s.node.NodeCurrentRe = 99;
  s.Run(DoSeriesR, 25, 10);
  EXPECT_LT(std::abs(s.I() - 0.02), 1e-15);
  EXPECT_LT(std::abs(s.V() - 2.0), 1e-14);
}

// Textbook impedance of each model: omega in rad/s from 3.14159, values in ohms, uH and pF.
cplx ElementImpedance(int type, double value, double mhz) {
  const double omega = 2 * 3.14159 * mhz * 1e6;
  if (type <= 1) return value;
  if (type <= 3) return cplx(0, omega * value * 1e-6);
  return cplx(0, -1 / (omega * value * 1e-12));
}

TEST(LumpedElements, SeriesAddsAndShuntCombinesInParallel) {
  const Model models[] = {DoSeriesR, DoShuntR, DoSeriesL, DoShuntL, DoSeriesC, DoShuntC};
  const double values[] = {33, 470, 2.2, 0.8, 150, 47};
  for (int type = 0; type < 6; ++type) {
    const bool series = type % 2 == 0;
    for (cplx load : {cplx(50), cplx(12, -80), cplx(300, 45), cplx(0.5, 0.1)}) {
      for (cplx v : {cplx(1), cplx(0.3, -0.7)}) {  // as the load or an earlier element left it
        for (double mhz : {0.1, 3.5, 14.2, 146.0}) {
          Step s(load, v);
          s.Run(models[type], values[type], mhz);
          const cplx zx = ElementImpedance(type, values[type], mhz);
          const cplx expected = series ? load + zx : load * zx / (load + zx);
          EXPECT_LT(std::abs(s.Z() - expected), 1e-10 * std::abs(expected)) << type;
          EXPECT_LT(std::abs(s.V() / s.I() - s.Z()), 1e-12 * std::abs(expected)) << type;
          if (series) {
            EXPECT_LT(std::abs(s.I() - v / load), 1e-13 * std::abs(v / load)) << type;
          } else {
            EXPECT_EQ(s.V(), v) << type;
          }
        }
      }
    }
  }
}

TEST(LumpedElements, ZeroCapacitanceAndOverflowRaiseToTheCaller) {
  const struct {
    Model model;
    double value, load;
    int error;
  } cases[] = {
      {DoSeriesC, 0, 50, err::kDivisionByZero},
      {DoShuntC, 0, 50, err::kDivisionByZero},
      {DoShuntL, 1e300, 50, err::kOverflow},    // the reactance overflows
      {DoSeriesR, 1e300, 1e-10, err::kOverflow},  // 1e10 A through 1e300 ohms
  };
  for (const auto& c : cases) {
    Step s(c.load);
    s.out = ElementOutput{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
    int error = 0;
    try {
      c.model(s.context, c.value, 1e10);
    } catch (const RunTimeError& e) {
      error = e.Number();
    }
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(s.out.VoltageRe, kUntouched);
    EXPECT_EQ(s.out.ImpedanceRe, kUntouched);
    EXPECT_EQ(s.node.NodeImpedanceRe, c.load);
    EXPECT_TRUE(s.messages.shown.empty());
  }
}

TEST(LumpedElements, ComplexZeroGivesNaNSilentlyAndItFlowsOn) {
  for (Model shunt : {DoShuntR, DoShuntL}) {
    Step s(50.0);
    s.Run(shunt, 0, 10);
    EXPECT_TRUE(std::isnan(s.out.CurrentRe));
    EXPECT_EQ(s.out.CurrentIm, 0.0);
    EXPECT_TRUE(std::isnan(s.out.ImpedanceRe) && std::isnan(s.out.ImpedanceIm));
    s.Run(DoSeriesL, 1, 10);
    EXPECT_TRUE(std::isnan(s.out.VoltageRe) && std::isnan(s.out.ImpedanceRe));
    EXPECT_TRUE(s.messages.shown.empty());
  }
  // A short-circuit load: the current's imaginary part is never reached and keeps its value.
  Step s(0.0);
  s.out.CurrentIm = kUntouched;
  s.Run(DoSeriesR, 50, 10);
  EXPECT_TRUE(std::isnan(s.out.CurrentRe));
  EXPECT_EQ(s.out.CurrentIm, kUntouched);
  EXPECT_TRUE(std::isnan(s.out.VoltageRe) && std::isnan(s.node.NodeImpedanceRe));
  EXPECT_TRUE(s.messages.shown.empty());
}

}  // namespace
}  // namespace tavelin
