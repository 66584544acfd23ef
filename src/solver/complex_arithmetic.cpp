#include "solver/complex_arithmetic.hpp"

#include <cmath>
#include <limits>
#include <string>

#include "base/checked_arithmetic.hpp"
#include "base/number_text.hpp"

namespace tavelin {

namespace {

// A handler that resumes with the next statement on some errors and leaves the routine on others.
// Runs one statement; returns false when the routine must return.
template <typename Statement, typename Handler>
bool Guarded(Statement&& statement, Handler&& handler) {
  try {
    statement();
    return true;
  } catch (const RunTimeError& e) {
    return handler(e.Number());
  }
}

}  // namespace

void CProduct(double a, double b, double c, double d, double& re, double& im) {
  Let(re, Num(a) * c - Num(b) * d);
  Let(im, Num(a) * d + Num(b) * c);
}

void CSum(double a, double b, double c, double d, double& re, double& im) {
  Let(re, Num(a) + c);
  Let(im, Num(b) + d);
}

void CQuotient(const Reporting& reporting, double a, double b, double c, double d, double& re,
               double& im) {
  // Division by zero is reported and passed over; anything else abandons the quotient silently.
  const auto handler = [&](int number) {
    if (number != err::kDivisionByZero) return false;
    reporting.messages.Show("Division by Zero Error Occurred",
                            "Complex Arithmetic Module in Routine CQuotient");
    return true;
  };
  double den = 0.0;
  double tRe = 0.0;
  double tIm = 0.0;
  if (!Guarded([&] { Let(den, Num(c) * c + Num(d) * d); }, handler)) return;
  if (!Guarded([&] { CProduct(a, b, c, -d, tRe, tIm); }, handler)) return;
  if (!Guarded([&] { Let(re, Num(tRe) / den); }, handler)) return;
  Guarded([&] { Let(im, Num(tIm) / den); }, handler);
}

void CParallel(const Reporting& reporting, double a, double b, double c, double d, double& re,
               double& im) {
  double pRe = 0.0;
  double pIm = 0.0;
  double sRe = 0.0;
  double sIm = 0.0;
  CProduct(a, b, c, d, pRe, pIm);
  CSum(a, b, c, d, sRe, sIm);
  CQuotient(reporting, pRe, pIm, sRe, sIm, re, im);
}

void CPolar(const Reporting& reporting, double x, double y, double& magnitude, double& angle) {
  const auto handler = [&](int number) {
    reporting.messages.Show("Error Code = " + std::to_string(number),
                            "Complex Arithmetic Module in Routine CPolar");
    return true;
  };
  Guarded([&] { Let(magnitude, Num(Sqrt(Num(x) * x + Num(y) * y))); }, handler);
  Guarded([&] { MyAtan(reporting, x, y, angle); }, handler);
}

void MyAtan(const Reporting& reporting, double x, double y, double& angle) {
  // A NaN has no quadrant; the angle follows the magnitude into NaN instead of keeping the
  // caller's stale value.
  if (std::isnan(x) || std::isnan(y)) {
    angle = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  try {
    if (x == 0.0) {
      angle = y > 0.0 ? kPi / 2.0 : -kPi / 2.0;
      return;
    }
    if (x > 0.0) Let(angle, Num(Atan(Num(y) / x)));
    if (x < 0.0) Let(angle, Num(Atan(Num(y) / x)) + kPi);
  } catch (const RunTimeError& e) {
    if (e.Number() != err::kDivisionByZero) {
      reporting.messages.Show("Error Code = " + std::to_string(e.Number()),
                              "Complex Arithmetic Module in Routine MyAtan");
      return;
    }
    reporting.messages.Show("Division by Zero Error Occurred - I was dividing " +
                                FormatGeneral(y, reporting.locale) + " by " +
                                FormatGeneral(x, reporting.locale),
                            "Complex Arithmetic Module - Routine MyAtan");
    angle = kPi / 2.0;
  }
  try {
    if (angle > kPi) Let(angle, Num(angle) - 2.0 * kPi);
  } catch (const RunTimeError& e) {
    reporting.messages.Show("Error Code = " + std::to_string(e.Number()),
                            "Complex Arithmetic Module in Routine MyAtan");
  }
}

double Cosh(double x) {
  const double negative = Exp(Num(-x));
  const double positive = Exp(Num(x));
  return Checked((Num(positive) + negative) / 2.0);
}

double Sinh(double x) {
  const double negative = Exp(Num(-x));
  const double positive = Exp(Num(x));
  return Checked((Num(positive) - negative) / 2.0);
}

double Log10(double x) {
  const double ln10 = Log(Num(10.0));
  return Checked(Num(Log(Num(x))) / ln10);
}

}  // namespace tavelin
