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

// The two sums of the line transformation, numerator and denominator of Zin / Z0.
struct LineSums {
  double nRe = 0.0;  // Zt cosh(gl) + Z0 sinh(gl)
  double nIm = 0.0;
  double dRe = 0.0;  // Z0 cosh(gl) + Zt sinh(gl)
  double dIm = 0.0;
};

// True when CQuotient(a, b, c, d) would overflow before its last two divisions: in |D|^2 or in
// N times the conjugate of D. Finite operands only; the same products and sums, in the same order.
bool QuotientOverflows(double a, double b, double c, double d) {
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

// Each step is one statement of the routine's error handler: a division by zero goes on with the
// next step, any other error is reported and ends the routine with the results unwritten.
void LossyLine(const Reporting& reporting, double theta, double ztRe, double ztIm, double z0Re,
               double z0Im, double loss, double vf, double frequency, double& zinRe,
               double& zinIm) {
  const auto step = [&](auto&& statement) {
    try {
      statement();
      return true;
    } catch (const RunTimeError& e) {
      if (e.Number() == err::kDivisionByZero) return true;
      reporting.messages.Show("Error " + std::to_string(e.Number()) +
                                  " occurred in the LossyLine routine - Please check the entered "
                                  "values for accuracy!",
                              "Corvane Common Error Handler");
      return false;
    }
  };

  double beta = 0.0;    // radians per foot
  double length = 0.0;  // feet
  double alpha = 0.0;   // nepers per foot
  double betaLength = 0.0;
  double sRe = 0.0;
  double sIm = 0.0;
  double cRe = 0.0;
  double cIm = 0.0;
  double aRe = 0.0;
  double aIm = 0.0;
  double bRe = 0.0;
  double bIm = 0.0;
  double d1Re = 0.0;
  double d1Im = 0.0;
  double d2Re = 0.0;
  double d2Im = 0.0;
  double qRe = 0.0;
  double qIm = 0.0;
  LineSums sums;

  if (!step([&] {
        Let(beta, (Num(2.0) * kPi * frequency) / (Num(kFeetPerMetre) * vf * kLightSpeed));
      }))
    return;
  if (!step([&] {
        Let(length, (Num(theta) * kLightSpeed * vf * kFeetPerMetre) / (Num(360.0) * frequency));
      }))
    return;
  if (!step([&] { Let(alpha, Num(loss) / (Num(kDbPerNeper) * 100.0)); })) return;
  if (!step([&] { Let(betaLength, Num(beta) * length); })) return;

  // S = sinh(al + jbl), C = cosh(al + jbl), each function taken once. Sin faults where Cos does and
  // Cosh where Sinh does, always with 6, which ends the routine: taking all four in the first
  // statement raises what the four statements raised one by one.
  double cosBl = 0.0;
  double sinBl = 0.0;
  double sinhAl = 0.0;
  double coshAl = 0.0;
  if (!step([&] {
        cosBl = Cos(Num(betaLength));
        const double alphaLength = Checked(Num(alpha) * length);
        sinhAl = Sinh(alphaLength);
        coshAl = Cosh(alphaLength);
        sinBl = Sin(Num(betaLength));
        Let(sRe, Num(cosBl) * sinhAl);
      }))
    return;
  if (!step([&] { Let(sIm, Num(sinBl) * coshAl); })) return;
  if (!step([&] { Let(cRe, Num(cosBl) * coshAl); })) return;
  if (!step([&] { Let(cIm, Num(sinBl) * sinhAl); })) return;

  if (!step([&] { CProduct(ztRe, ztIm, cRe, cIm, aRe, aIm); })) return;
  if (!step([&] { CProduct(z0Re, z0Im, sRe, sIm, bRe, bIm); })) return;
  if (!step([&] { CProduct(z0Re, z0Im, cRe, cIm, d1Re, d1Im); })) return;
  if (!step([&] { CProduct(ztRe, ztIm, sRe, sIm, d2Re, d2Im); })) return;

  if (!step([&] { Let(sums.nRe, Num(aRe) + bRe); })) return;
  if (!step([&] { Let(sums.nIm, Num(aIm) + bIm); })) return;
  if (!step([&] { Let(sums.dRe, Num(d1Re) + d2Re); })) return;
  if (!step([&] { Let(sums.dIm, Num(d1Im) + d2Im); })) return;

  if (!step([&] { LineQuotient(reporting, sums, qRe, qIm); })) return;
  step([&] { CProduct(z0Re, z0Im, qRe, qIm, zinRe, zinIm); });
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
  CParallel(context.reporting, line.OpenEndResistance, 0.0, 0.0, endReactance, endRe, endIm);

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
  NodeState& node = context.node;
  ElementOutput& out = context.output;

  const double loadRe = node.NodeImpedanceRe;
  const double loadIm = node.NodeImpedanceIm;
  const double theta = ElectricalLength(value, frequency, line.VelocityFactor);

  double zinRe = 0.0;
  double zinIm = 0.0;
  LossyLine(context.reporting, theta, loadRe, loadIm, line.Z0Re, line.Z0Im, line.Loss,
            line.VelocityFactor, frequency, zinRe, zinIm);
  out.ImpedanceRe = zinRe;
  out.ImpedanceIm = zinIm;
  node.NodeImpedanceRe = zinRe;
  node.NodeImpedanceIm = zinIm;

  // The line's own rule: the load-side current flows at both ends, and the voltage is whatever
  // that current makes across the transformed impedance.
  CQuotient(context.reporting, node.NodeVoltageRe, node.NodeVoltageIm, loadRe, loadIm,
            node.NodeCurrentRe, node.NodeCurrentIm);
  out.CurrentRe = node.NodeCurrentRe;
  out.CurrentIm = node.NodeCurrentIm;
  CProduct(zinRe, zinIm, node.NodeCurrentRe, node.NodeCurrentIm, out.VoltageRe, out.VoltageIm);
}

}  // namespace tavelin
