#pragma once

// Complex routines of the solver. A complex value is a pair of doubles; results come back through
// by-reference outputs, and an output that a routine does not reach keeps the caller's value.
// CQuotient, CPolar and MyAtan trap their own run-time errors and report them through the message
// boxes; the other routines let RunTimeError pass to the caller.

#include "base/messages.hpp"

namespace tavelin {

// The program's truncated pi; every angle of the solver and the plot uses it.
inline constexpr double kPi = 3.14159;
// Degrees per radian that agree with kPi (180 / 3.14159).
inline constexpr double kDegreesPerRadian = 57.295827908797776;

void CProduct(double a, double b, double c, double d, double& re, double& im);
void CSum(double a, double b, double c, double d, double& re, double& im);
void CQuotient(const Reporting& reporting, double a, double b, double c, double d, double& re,
               double& im);
void CParallel(const Reporting& reporting, double a, double b, double c, double d, double& re,
               double& im);
void CPolar(const Reporting& reporting, double x, double y, double& magnitude, double& angle);
void MyAtan(const Reporting& reporting, double x, double y, double& angle);
double Cosh(double x);
double Sinh(double x);
double Log10(double x);

}  // namespace tavelin
