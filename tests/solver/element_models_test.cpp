#include "solver/element_models.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

#include "base/run_time_error.hpp"
#include "support/recording.hpp"

namespace tavelin {
namespace {

using cplx = std::complex<double>;
using testing::RecordingMessages;

constexpr double kUntouched = 1234.5;

template <typename F>
int ErrorOf(F&& statement) {
  try {
    statement();
  } catch (const RunTimeError& e) {
    return e.Number();
  }
  return 0;
}

// One frequency step as the scan drives it: node state seeded from the load, a model, then the
// output's voltage and current carried into the node as the output record is written.
class Step {
 public:
  explicit Step(cplx load) {
    node.NodeImpedanceRe = load.real();
    node.NodeImpedanceIm = load.imag();
  }
  template <typename Model>
  void Run(Model model, double value, double frequency) {
    model(context, value, frequency);
    node.NodeVoltageRe = out.VoltageRe;
    node.NodeVoltageIm = out.VoltageIm;
    node.NodeCurrentRe = out.CurrentRe;
    node.NodeCurrentIm = out.CurrentIm;
  }
  cplx Voltage() const { return {out.VoltageRe, out.VoltageIm}; }
  cplx Current() const { return {out.CurrentRe, out.CurrentIm}; }
  cplx Impedance() const { return {out.ImpedanceRe, out.ImpedanceIm}; }
  cplx NodeImpedance() const { return {node.NodeImpedanceRe, node.NodeImpedanceIm}; }

  RecordingMessages messages;
  Reporting reporting{messages, NumberLocale{}};
  NodeState node;
  ElementOutput out;
  ModelContext context{reporting, node, out};
};

void ExpectNear(cplx actual, cplx expected, double tolerance, const char* what) {
  EXPECT_NEAR(actual.real(), expected.real(), tolerance) << what;
  EXPECT_NEAR(actual.imag(), expected.imag(), tolerance) << what;
}

TEST(LumpedElements, WorkedValuesOnA50OhmLoad) {
  {
    Step s(50.0);
    s.Run(DoSeriesR, 50, 10);
    ExpectNear(s.Current(), 0.02, 1e-15, "SeriesR current");
    ExpectNear(s.Voltage(), 2.0, 1e-15, "SeriesR voltage");
    ExpectNear(s.Impedance(), 100.0, 1e-12, "SeriesR impedance");
    ExpectNear(s.NodeImpedance(), 100.0, 1e-12, "SeriesR node impedance");
    EXPECT_TRUE(s.messages.shown.empty());
  }
  {
    Step s(50.0);
    s.Run(DoShuntR, 50, 10);
    ExpectNear(s.Voltage(), 1.0, 0, "ShuntR voltage");
    ExpectNear(s.Current(), 0.04, 1e-15, "ShuntR current");
    ExpectNear(s.Impedance(), 25.0, 1e-12, "ShuntR impedance");
  }
  {
    Step s(50.0);
    s.Run(DoSeriesL, 1, 10);  // 1 uH at 10 MHz
    ExpectNear(s.Current(), 0.02, 1e-15, "SeriesL current");
    ExpectNear(s.Voltage(), cplx(1, 1.256636), 1e-12, "SeriesL voltage");
    ExpectNear(s.Impedance(), cplx(50, 62.8318), 1e-9, "SeriesL impedance");
  }
  {
    Step s(50.0);
    s.Run(DoSeriesC, 100, 10);  // 100 pF at 10 MHz
    ExpectNear(s.Impedance(), cplx(50, -159.1550775), 5e-8, "SeriesC impedance");
  }
}

TEST(LumpedElements, EachSeriesElementRecomputesItsCurrentFromTheNodeLeftBehind) {
  Step s(50.0);
  s.Run(DoSeriesR, 25, 10);
  // A current left in the node must not matter: the next element divides voltage by impedance.
  s.node.NodeCurrentRe = 99.0;
  s.node.NodeCurrentIm = -99.0;
  s.Run(DoSeriesR, 25, 10);
  ExpectNear(s.Current(), 0.02, 1e-15, "current after two 25-ohm resistors");
  ExpectNear(s.Voltage(), 2.0, 1e-14, "voltage after two 25-ohm resistors");
  ExpectNear(s.Impedance(), 100.0, 1e-12, "impedance after two 25-ohm resistors");
}

// Reactance of each lumped model from its textbook formula, with omega in rad/s from 3.14159.
cplx ElementImpedance(int type, double value, double mhz) {
  const double omega = 2 * 3.14159 * mhz * 1e6;
  switch (type) {
    case 0: case 1: return value;
    case 2: case 3: return cplx(0, omega * value * 1e-6);
    default: return cplx(0, -1 / (omega * value * 1e-12));
  }
}

TEST(LumpedElements, SeriesAddsAndShuntCombinesInParallelWithVoltageOverCurrentConsistent) {
  using Model = void (*)(ModelContext&, double, double);
  struct Kind {
    Model model;
    bool series;
    double value;
  };
  const Kind kinds[] = {
      {DoSeriesR, true, 33},  {DoShuntR, false, 470},  {DoSeriesL, true, 2.2},
      {DoShuntL, false, 0.8}, {DoSeriesC, true, 150},  {DoShuntC, false, 47},
  };
  const cplx loads[] = {50.0, cplx(12, -80), cplx(300, 45), cplx(0.5, 0.1)};
  const cplx voltages[] = {1.0, cplx(0.3, -0.7)};  // as the load or an earlier element left it
  const double frequencies[] = {0.1, 3.5, 14.2, 146};
  for (int type = 0; type < 6; ++type) {
    const Kind& kind = kinds[type];
    for (cplx load : loads) {
      for (cplx v : voltages) {
        for (double f : frequencies) {
          Step s(load);
          s.node.NodeVoltageRe = v.real();
          s.node.NodeVoltageIm = v.imag();
          s.Run(kind.model, kind.value, f);
          const cplx zx = ElementImpedance(type, kind.value, f);
          const cplx expected = kind.series ? load + zx : load * zx / (load + zx);
          const double tol = 1e-10 * std::abs(expected);
          ExpectNear(s.Impedance(), expected, tol, "combined impedance");
          ExpectNear(s.NodeImpedance(), s.Impedance(), 0, "node impedance follows");
          ExpectNear(s.Voltage() / s.Current(), s.Impedance(), tol, "Z = V / I");
          if (kind.series) {
            ExpectNear(s.Current(), v / load, 1e-12 * std::abs(v / load), "series current");
          } else {
            ExpectNear(s.Voltage(), v, 0, "shunt keeps the voltage");
          }
          // Reactances take no real power; resistors take |I|^2 R or |V|^2 / R.
          const double pLoad = std::real(v * std::conj(v / load));
          const double pIn = std::real(s.Voltage() * std::conj(s.Current()));
          double absorbed = 0;
          if (type == 0) absorbed = std::norm(v / load) * kind.value;
          if (type == 1) absorbed = std::norm(v) / kind.value;
          EXPECT_NEAR(pIn, pLoad + absorbed, 1e-10 * (std::abs(pIn) + 1e-12)) << type;
        }
      }
    }
  }
}

TEST(LumpedElements, ZeroCapacitanceAndOverflowRaiseToTheCallerWithTheOutputAsItStood) {
  using Model = void (*)(ModelContext&, double, double);
  struct Case {
    Model model;
    double value;
    double frequency;
    int error;
  };
  const Case cases[] = {
      {DoSeriesC, 0, 10, err::kDivisionByZero},
      {DoShuntC, 0, 10, err::kDivisionByZero},
      {DoSeriesL, 1e300, 1e10, err::kOverflow},
      {DoShuntL, 1e300, 1e10, err::kOverflow},
      {DoSeriesR, 1e300, 10, err::kOverflow},  // 1 V / 1e-10 ohm times 1e300 ohm
  };
  for (const Case& c : cases) {
    Step s(c.model == DoSeriesR ? cplx(1e-10, 0) : cplx(50, 0));
    s.out = ElementOutput{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
    const cplx before = s.NodeImpedance();
    EXPECT_EQ(ErrorOf([&] { c.model(s.context, c.value, c.frequency); }), c.error);
    EXPECT_EQ(s.out.VoltageRe, kUntouched);
    EXPECT_EQ(s.out.ImpedanceRe, kUntouched);
    EXPECT_EQ(s.NodeImpedance(), before);
    EXPECT_TRUE(s.messages.shown.empty());
  }
}

TEST(LumpedElements, ComplexZeroGivesNaNSilentlyAndItFlowsOn) {
  {
    Step s(50.0);
    s.Run(DoShuntR, 0, 10);
    EXPECT_TRUE(std::isnan(s.out.CurrentRe));
    EXPECT_EQ(s.out.CurrentIm, 0.0);
    EXPECT_TRUE(std::isnan(s.out.ImpedanceRe));
    EXPECT_TRUE(std::isnan(s.out.ImpedanceIm));
    s.Run(DoSeriesL, 1, 10);
    EXPECT_TRUE(std::isnan(s.out.VoltageRe));
    EXPECT_TRUE(std::isnan(s.out.ImpedanceRe));
    EXPECT_TRUE(s.messages.shown.empty());
  }
  {
    Step s(50.0);
    s.Run(DoShuntL, 0, 10);
    EXPECT_TRUE(std::isnan(s.out.ImpedanceRe));
    EXPECT_TRUE(s.messages.shown.empty());
  }
  {
    // A short-circuit load: the load current's real part is NaN and its imaginary part is never
    // reached, so it keeps what the output held.
    Step s(0.0);
    s.out.CurrentIm = kUntouched;
    s.Run(DoSeriesR, 50, 10);
    EXPECT_TRUE(std::isnan(s.out.CurrentRe));
    EXPECT_EQ(s.out.CurrentIm, kUntouched);
    EXPECT_TRUE(std::isnan(s.out.VoltageRe));
    EXPECT_TRUE(std::isnan(s.NodeImpedance().real()));
    EXPECT_TRUE(s.messages.shown.empty());
  }
}

}  // namespace
}  // namespace tavelin
