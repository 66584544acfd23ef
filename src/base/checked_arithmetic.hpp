#pragma once

// Per-statement checked arithmetic.
//
// Every arithmetic statement of the solver must store its IEEE result (infinity or NaN included) and
// then raise: 11 for a non-zero finite value divided by zero, 6 for an overflow or an invalid
// operation (0/0, inf - inf, 0 * inf), 5 for the logarithm of a value that is not positive. An
// operation on a NaN or infinite operand that raises no IEEE exception (NaN + 1, inf * 2) raises
// nothing, so NaN flows on silently; underflow is never a fault.
//
// The faults are derived from the operands and the result of each operation rather than from the
// floating-point status flags: the compiler may move arithmetic across the calls that clear and test
// those flags, while this classification gives the same answer at every optimisation level.
//
//   Let(re, Num(a) * c - Num(b) * d);   // stores, then throws RunTimeError(6) on an overflow

#include <cmath>
#include <cstdint>

#include "base/run_time_error.hpp"

namespace tavelin {

// A double on its way through one statement, carrying the first fault the statement met.
class Num {
 public:
  constexpr explicit Num(double value) : value_(value) {}
  constexpr Num(double value, int fault) : value_(value), fault_(fault) {}

  constexpr double Value() const { return value_; }
  constexpr int Fault() const { return fault_; }

 private:
  double value_;
  int fault_ = 0;
};

namespace checked_detail {

inline bool Finite(double x) { return std::isfinite(x); }

inline int SumFault(double a, double b, double r) {
  if (std::isinf(r) && Finite(a) && Finite(b)) return err::kOverflow;
  if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) return err::kOverflow;  // inf - inf
  return 0;
}

inline int ProductFault(double a, double b, double r) {
  if (std::isinf(r) && Finite(a) && Finite(b)) return err::kOverflow;
  if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) return err::kOverflow;  // 0 * inf
  return 0;
}

inline int QuotientFault(double a, double b, double r) {
  if (b == 0.0) {
    if (a == 0.0) return err::kOverflow;  // 0 / 0 is an invalid operation
    if (Finite(a)) return err::kDivisionByZero;
    return 0;  // NaN / 0 and inf / 0 raise nothing in IEEE arithmetic
  }
  if (std::isinf(r) && Finite(a) && Finite(b)) return err::kOverflow;
  if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) return err::kOverflow;  // inf / inf
  return 0;
}

inline Num Combine(const Num& a, const Num& b, double r, int own) {
  if (a.Fault() != 0) return Num(r, a.Fault());
  if (b.Fault() != 0) return Num(r, b.Fault());
  return Num(r, own);
}

}  // namespace checked_detail

inline Num operator+(const Num& a, const Num& b) {
  const double r = a.Value() + b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::SumFault(a.Value(), b.Value(), r));
}
inline Num operator-(const Num& a, const Num& b) {
  const double r = a.Value() - b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::SumFault(a.Value(), -b.Value(), r));
}
inline Num operator*(const Num& a, const Num& b) {
  const double r = a.Value() * b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::ProductFault(a.Value(), b.Value(), r));
}
inline Num operator/(const Num& a, const Num& b) {
  const double r = a.Value() / b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::QuotientFault(a.Value(), b.Value(), r));
}
inline Num operator-(const Num& a) { return Num(-a.Value(), a.Fault()); }

inline Num operator+(const Num& a, double b) { return a + Num(b); }
inline Num operator-(const Num& a, double b) { return a - Num(b); }
inline Num operator*(const Num& a, double b) { return a * Num(b); }
inline Num operator/(const Num& a, double b) { return a / Num(b); }
inline Num operator+(double a, const Num& b) { return Num(a) + b; }
inline Num operator-(double a, const Num& b) { return Num(a) - b; }
inline Num operator*(double a, const Num& b) { return Num(a) * b; }
inline Num operator/(double a, const Num& b) { return Num(a) / b; }

// Ends a statement: stores the value, then raises the statement's fault if it met one.
inline void Let(double& target, const Num& n) {
  target = n.Value();
  if (n.Fault() != 0) throw RunTimeError(n.Fault());
}

// Ends a statement whose value is used rather than stored (a return value, a comparison).
inline double Checked(const Num& n) {
  if (n.Fault() != 0) throw RunTimeError(n.Fault());
  return n.Value();
}

// Library functions. A faulting argument raises before the function is called; a function that
// faults itself raises at once, so nothing of the statement is stored.
inline double Exp(const Num& x) {
  const double a = Checked(x);
  const double r = std::exp(a);
  if (std::isinf(r) && std::isfinite(a)) throw RunTimeError(err::kOverflow);
  return r;
}
inline double Log(const Num& x) {
  const double a = Checked(x);
  if (a <= 0.0) throw RunTimeError(err::kInvalidCall);
  return std::log(a);
}
inline double Sqrt(const Num& x) {
  const double a = Checked(x);
  if (a < 0.0) throw RunTimeError(err::kInvalidCall);
  return std::sqrt(a);
}
inline double Sin(const Num& x) {
  const double a = Checked(x);
  if (std::isinf(a)) throw RunTimeError(err::kOverflow);
  return std::sin(a);
}
inline double Cos(const Num& x) {
  const double a = Checked(x);
  if (std::isinf(a)) throw RunTimeError(err::kOverflow);
  return std::cos(a);
}
inline double Atan(const Num& x) { return std::atan(Checked(x)); }

// Conversion to a 16-bit integer: nearest, halves to even; NaN, infinity and anything outside
// -32768..32767 after rounding is an overflow.
std::int16_t CInt(double value);

// Conversion to single precision; a finite value beyond its range is an overflow. NaN and infinity
// pass unchanged, as IEEE conversion raises nothing for them.
float CSng(double value);

}  // namespace tavelin
