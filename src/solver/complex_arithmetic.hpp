#pragma once

// Complex routines of the solver. A complex value is a pair of doubles; results come back through
// by-reference outputs, and an output that a routine does not reach keeps the caller's value.
// CQuotient, CPolar and MyAtan trap their own run-time errors and report them through the message
// boxes. The others have no trap: they return the error number of the statement that faulted (0 for
// none), having stored what that statement stored, and the caller traps or raises it; Log10 raises.

#include "base/checked_arithmetic.hpp"
#include "base/messages.hpp"

namespace tavelin {

// The program's truncated pi; every angle of the solver and the plot uses it.
inline constexpr double kPi = 3.14159;
// Degrees per radian that agree with kPi (180 / 3.14159).
inline constexpr double kDegreesPerRadian = 57.295827908797776;

[[nodiscard]] int CProduct(double a, double b, double c, double d, double& re, double& im) noexcept;
[[nodiscard]] int CSum(double a, double b, double c, double d, double& re, double& im) noexcept;
void CQuotient(const Reporting& reporting, double a, double b, double c, double d, double& re,
               double& im);
[[nodiscard]] int CParallel(const Reporting& reporting, double a, double b, double c, double d,
                            double& re, double& im);
void CPolar(const Reporting& reporting, double x, double y, double& magnitude, double& angle);
void MyAtan(const Reporting& reporting, double x, double y, double& angle);
Num Cosh(double x) noexcept;
Num Sinh(double x) noexcept;
double Log10(double x);

}  // namespace tavelin
