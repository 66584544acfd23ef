#include "solver/complex_arithmetic.hpp"

#include <cmath>
#include <limits>
#include <string>

#include "base/checked_arithmetic.hpp"
#include "base/number_text.hpp"

namespace tavelin {

int CProduct(double a, double b, double c, double d, double& re, double& im) noexcept {
  if (const int fault = Store(re, Num(a) * c - Num(b) * d)) return fault;
  return Store(im, Num(a) * d + Num(b) * c);
}

int CSum(double a, double b, double c, double d, double& re, double& im) noexcept {
  if (const int fault = Store(re, Num(a) + c)) return fault;
  return Store(im, Num(b) + d);
}

void CQuotient(const Reporting& reporting, double a, double b, double c, double d, double& re,
               double& im) {
  // Division by zero is reported and passed over; anything else abandons the quotient silently.
  const auto abandons = [&](int fault) {
    if (fault != err::kDivisionByZero) return fault != 0;
    reporting.messages.Show("Division by Zero Error Occurred",
                            "Complex Arithmetic Module in Routine CQuotient");
    return false;
  };
  double den = 0.0;
  double tRe = 0.0;
  double tIm = 0.0;
  if (abandons(Store(den, Num(c) * c + Num(d) * d))) return;
  if (abandons(CProduct(a, b, c, -d, tRe, tIm))) return;
  if (abandons(Store(re, Num(tRe) / den))) return;
  static_cast<void>(abandons(Store(im, Num(tIm) / den)));
}

int CParallel(const Reporting& reporting, double a, double b, double c, double d, double& re,
              double& im) {
  double pRe = 0.0;
  double pIm = 0.0;
  double sRe = 0.0;
  double sIm = 0.0;
  if (const int fault = CProduct(a, b, c, d, pRe, pIm)) return fault;
  if (const int fault = CSum(a, b, c, d, sRe, sIm)) return fault;
  CQuotient(reporting, pRe, pIm, sRe, sIm, re, im);
  return 0;
}

void CPolar(const Reporting& reporting, double x, double y, double& magnitude, double& angle) {
  // Any fault is reported and passed over. The root's argument faults before the root is taken, so
  // the magnitude is then left as it was; MyAtan traps its own.
  const Num root = Sqrt(Num(x) * x + Num(y) * y);
  if (root.Fault() != 0) {
    reporting.messages.Show("Error Code = " + std::to_string(root.Fault()),
                            "Complex Arithmetic Module in Routine CPolar");
  } else {
    magnitude = root.Value();
  }
  MyAtan(reporting, x, y, angle);
}

void MyAtan(const Reporting& reporting, double x, double y, double& angle) {
  // A NaN has no quadrant; the angle follows the magnitude into NaN instead of keeping the
  // caller's stale value.
  if (std::isnan(x) || std::isnan(y)) {
    angle = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  if (x == 0.0) {
    angle = y > 0.0 ? kPi / 2.0 : -kPi / 2.0;
    return;
  }
  const Num ratio = Atan(Num(y) / x);
  const Num turned = x > 0.0 ? ratio : ratio + kPi;
  if (turned.Fault() == err::kDivisionByZero) {
    reporting.messages.Show("Division by Zero Error Occurred - I was dividing " +
                                FormatGeneral(y, reporting.locale) + " by " +
                                FormatGeneral(x, reporting.locale),
                            "Complex Arithmetic Module - Routine MyAtan");
    angle = kPi / 2.0;
  } else if (turned.Fault() != 0) {
    reporting.messages.Show("Error Code = " + std::to_string(turned.Fault()),
                            "Complex Arithmetic Module in Routine MyAtan");
    return;
  } else {
    angle = turned.Value();
  }
  // At most 3 pi' / 2 here, so the wrap cannot fault.
  if (angle > kPi) angle = angle - 2.0 * kPi;
}

Num Cosh(double x) noexcept {
  const Num negative = Exp(Num(-x));
  const Num positive = Exp(Num(x));
  return (positive + negative) / 2.0;
}

Num Sinh(double x) noexcept {
  const Num negative = Exp(Num(-x));
  const Num positive = Exp(Num(x));
  return (positive - negative) / 2.0;
}

double Log10(double x) {
  const Num ln10 = Log(Num(10.0));
  return Checked(Log(Num(x)) / ln10);
}

}  // namespace tavelin
