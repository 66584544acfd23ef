#include "solver/lines_and_stubs.hpp"

#include <cmath>
#include <string>

#include "base/checked_arithmetic.hpp"
#include "solver/complex_arithmetic.hpp"
#include "solver/element_models.hpp"

namespace tavelin {

namespace {

constexpr double kLightSpeed = 299.796;                 // metres per microsecond
constexpr double kFeetPerMetre = 3.2808333333333333;
constexpr double kDbPerNeper = 8.688;

// A local result of the routines, which deliver a complex value as two doubles.
struct Complex {
  double re = 0.0;
  double im = 0.0;
};

// The two sums of the line transformation, numerator and denominator of Zin / Z0.
struct LineSums {
  double nRe = 0.0;  // Zt cosh(gl) + Z0 sinh(gl)
  double nIm = 0.0;
  double dRe = 0.0;  // Z0 cosh(gl) + Zt sinh(gl)
  double dIm = 0.0;
};

// True when CQuotient(a, b, c, d) would overflow before its last two divisions: in |D|^2 or in
// N times the conjugate of D. Finite operands only; the same products and sums, in the same order.
constexpr bool QuotientOverflows(double a, double b, double c, double d) noexcept {
  const double terms[] = {c * c,  d * d, c * c + d * d,  a * c, b * -d,
                          a * -d, b * c, a * c - b * -d, a * -d + b * c};
  for (const double t : terms) {
    if (std::isinf(t)) return true;
  }
  return false;
}

// N / D through CQuotient. For a line of some hundreds of nepers both sums pass 1e154, so |D|^2
// would overflow and CQuotient would give up silently, although the ratio is close to 1. There,
// and only there, both are divided by a power of two near |D|, which is exact and leaves the ratio
// as it was; everywhere else the division is CQuotient's own, to the last bit.
void LineQuotient(const Reporting& reporting, const LineSums& sums, double& qRe, double& qIm) {
  double nRe = sums.nRe;
  double nIm = sums.nIm;
  double dRe = sums.dRe;
  double dIm = sums.dIm;
  const bool finite =
      std::isfinite(nRe) && std::isfinite(nIm) && std::isfinite(dRe) && std::isfinite(dIm);
  const double denominator = std::fmax(std::fabs(dRe), std::fabs(dIm));
  if (finite && denominator > 0.0 && QuotientOverflows(nRe, nIm, dRe, dIm)) {
    const int exponent = std::ilogb(denominator);
    nRe = std::ldexp(nRe, -exponent);
    nIm = std::ldexp(nIm, -exponent);
    dRe = std::ldexp(dRe, -exponent);
    dIm = std::ldexp(dIm, -exponent);
  }
  CQuotient(reporting, nRe, nIm, dRe, dIm, qRe, qIm);
}

}  // namespace

// Every step stores into locals and a division by zero goes on with the next one, so all steps run
// and the first other fault is the one reported; it ends the routine with the results unwritten.
// It is looked at before the quotient, which shows messages of its own, and after the last product.
void LossyLine(const Reporting& reporting, double theta, double ztRe, double ztIm, double z0Re,
               double z0Im, double loss, double vf, double frequency, double& zinRe,
               double& zinIm) {
  int ending = 0;
  const auto step = [&ending](int fault) {
    if (ending == 0 && fault != err::kDivisionByZero) ending = fault;
  };
  const auto value = [&step](const Num& n) {
    step(n.Fault());
    return n.Value();
  };
  const auto ends = [&] {
    if (ending == 0) return false;
    reporting.messages.Show("Error " + std::to_string(ending) +
                                " occurred in the LossyLine routine - Please check the entered "
                                "values for accuracy!",
                            "Corvane Common Error Handler");
    return true;
  };

  const double beta =  // radians per foot
      value((Num(2.0) * kPi * frequency) / (Num(kFeetPerMetre) * vf * kLightSpeed));
  const double length =  // feet
      value((Num(theta) * kLightSpeed * vf * kFeetPerMetre) / (Num(360.0) * frequency));
  const double alpha = value(Num(loss) / (Num(kDbPerNeper) * 100.0));  // nepers per foot
  const double betaLength = value(Num(beta) * length);

  // S = sinh(al + jbl), C = cosh(al + jbl), each function taken once: Sin faults where Cos does and
  // Cosh where Sinh does, always with 6.
  const double alphaLength = value(Num(alpha) * length);
  const Num cosBl = Cos(Num(betaLength));
  const Num sinBl = Sin(Num(betaLength));
  const Num sinhAl = Sinh(alphaLength);
  const Num coshAl = Cosh(alphaLength);
  const double sRe = value(cosBl * sinhAl);
  const double sIm = value(sinBl * coshAl);
  const double cRe = value(cosBl * coshAl);
  const double cIm = value(sinBl * sinhAl);

  Complex a;
  Complex b;
  Complex d1;
  Complex d2;
  step(CProduct(ztRe, ztIm, cRe, cIm, a.re, a.im));
  step(CProduct(z0Re, z0Im, sRe, sIm, b.re, b.im));
  step(CProduct(z0Re, z0Im, cRe, cIm, d1.re, d1.im));
  step(CProduct(ztRe, ztIm, sRe, sIm, d2.re, d2.im));
  const LineSums sums{value(Num(a.re) + b.re), value(Num(a.im) + b.im), value(Num(d1.re) + d2.re),
                      value(Num(d1.im) + d2.im)};
  if (ends()) return;

  Complex q;
  LineQuotient(reporting, sums, q.re, q.im);
  step(CProduct(z0Re, z0Im, q.re, q.im, zinRe, zinIm));
  static_cast<void>(ends());
}

namespace {

// Electrical length in degrees; a velocity factor of 0 raises 11 here, before any line routine.
double ElectricalLength(double value, double frequency, double velocityFactor) {
  double theta = 0.0;
  Let(theta, (Num(value) * 360.0 * frequency) / (Num(kLightSpeed) * velocityFactor));
  return theta;
}

}  // namespace

void DoStubOpen(ModelContext& context, const LineParameters& line, double value,
                double frequency) {
  const double theta = ElectricalLength(value, frequency, line.VelocityFactor);

  double endReactance = 0.0;
  Let(endReactance,
      Num(-1000000.0) / (Num(2.0) * kPi * frequency * line.OpenEndCapacitance));
  double endRe = 0.0;
  double endIm = 0.0;
  Raise(CParallel(context.reporting, line.OpenEndResistance, 0.0, 0.0, endReactance, endRe, endIm));

  double zinRe = 0.0;
  double zinIm = 0.0;
  LossyLine(context.reporting, theta, endRe, endIm, line.Z0Re, line.Z0Im, line.Loss,
            line.VelocityFactor, frequency, zinRe, zinIm);
  AddShuntImpedance(context, zinRe, zinIm);
}

void DoStubShorted(ModelContext& context, const LineParameters& line, double value,
                   double frequency) {
  const double theta = ElectricalLength(value, frequency, line.VelocityFactor);

  double endReactance = 0.0;
  Let(endReactance, Num(2.0) * line.ShortEndInductance * kPi * frequency);

  double zinRe = 0.0;
  double zinIm = 0.0;
  LossyLine(context.reporting, theta, line.ShortEndResistance, endReactance, line.Z0Re,
            line.Z0Im, line.Loss, line.VelocityFactor, frequency, zinRe, zinIm);
  AddShuntImpedance(context, zinRe, zinIm);
}

void DoSerTransLine(ModelContext& context, const LineParameters& line, double value,
                    double frequency) {
  NodeValues& node = context.node;
  NodeValues& out = context.output;

  const double loadRe = node.ImpedanceRe;
  const double loadIm = node.ImpedanceIm;
  const double theta = ElectricalLength(value, frequency, line.VelocityFactor);

  double zinRe = 0.0;
  double zinIm = 0.0;
  LossyLine(context.reporting, theta, loadRe, loadIm, line.Z0Re, line.Z0Im, line.Loss,
            line.VelocityFactor, frequency, zinRe, zinIm);
  out.ImpedanceRe = zinRe;
  out.ImpedanceIm = zinIm;
  node.ImpedanceRe = zinRe;
  node.ImpedanceIm = zinIm;

  // The line's own rule: the load-side current flows at both ends, and the voltage is whatever
  // that current makes across the transformed impedance.
  CQuotient(context.reporting, node.VoltageRe, node.VoltageIm, loadRe, loadIm,
            node.CurrentRe, node.CurrentIm);
  out.CurrentRe = node.CurrentRe;
  out.CurrentIm = node.CurrentIm;
  Raise(CProduct(zinRe, zinIm, node.CurrentRe, node.CurrentIm, out.VoltageRe, out.VoltageIm));
}

}  // namespace tavelin
