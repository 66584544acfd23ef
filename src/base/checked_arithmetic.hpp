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
//   Let(re, Num(a) * c - Num(b) * d);            // stores, then throws RunTimeError(6) on an overflow
//   if (int f = Store(re, Num(a) * c)) return f;  // stores, and hands the fault to a caller that traps

#include <cmath>
#include <cstdint>

#include "base/run_time_error.hpp"

namespace tavelin {

// A double on its way through one statement, carrying the first fault the statement met. Routines
// that have no trap of their own pass it on as a value; Let and Checked raise it where none stands.
class Num {
 public:
  constexpr explicit Num(double value) noexcept : value_(value) {}
  constexpr Num(double value, int fault) noexcept : value_(value), fault_(fault) {}

  constexpr double Value() const noexcept { return value_; }
  constexpr int Fault() const noexcept { return fault_; }

 private:
  double value_;
  int fault_ = 0;
};

namespace checked_detail {

// An infinite result of finite operands overflowed; a NaN of operands that were no NaN was an
// invalid operation (inf - inf, 0 * inf, inf / inf). <cmath>'s tests are constexpr in the C++ library
// the program is built with; spelled as comparisons with infinity, they made every model step twice
// as slow.
constexpr int ResultFault(double a, double b, double r) noexcept {
  if (std::isinf(r) && std::isfinite(a) && std::isfinite(b)) return err::kOverflow;
  if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) return err::kOverflow;
  return 0;
}

constexpr int QuotientFault(double a, double b, double r) noexcept {
  if (b == 0.0) {
    if (a == 0.0) return err::kOverflow;  // 0 / 0 is an invalid operation
    if (std::isfinite(a)) return err::kDivisionByZero;
    return 0;  // NaN / 0 and inf / 0 raise nothing in IEEE arithmetic
  }
  return ResultFault(a, b, r);
}

constexpr Num Combine(const Num& a, const Num& b, double r, int own) noexcept {
  if (a.Fault() != 0) return Num(r, a.Fault());
  if (b.Fault() != 0) return Num(r, b.Fault());
  return Num(r, own);
}

}  // namespace checked_detail

constexpr Num operator+(const Num& a, const Num& b) noexcept {
  const double r = a.Value() + b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::ResultFault(a.Value(), b.Value(), r));
}
constexpr Num operator-(const Num& a, const Num& b) noexcept {
  const double r = a.Value() - b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::ResultFault(a.Value(), -b.Value(), r));
}
constexpr Num operator*(const Num& a, const Num& b) noexcept {
  const double r = a.Value() * b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::ResultFault(a.Value(), b.Value(), r));
}
constexpr Num operator/(const Num& a, const Num& b) noexcept {
  const double r = a.Value() / b.Value();
  return checked_detail::Combine(a, b, r, checked_detail::QuotientFault(a.Value(), b.Value(), r));
}
constexpr Num operator-(const Num& a) noexcept { return Num(-a.Value(), a.Fault()); }

constexpr Num operator+(const Num& a, double b) noexcept { return a + Num(b); }
constexpr Num operator-(const Num& a, double b) noexcept { return a - Num(b); }
constexpr Num operator*(const Num& a, double b) noexcept { return a * Num(b); }
constexpr Num operator/(const Num& a, double b) noexcept { return a / Num(b); }
constexpr Num operator+(double a, const Num& b) noexcept { return Num(a) + b; }
constexpr Num operator-(double a, const Num& b) noexcept { return Num(a) - b; }
constexpr Num operator*(double a, const Num& b) noexcept { return Num(a) * b; }
constexpr Num operator/(double a, const Num& b) noexcept { return Num(a) / b; }

// Ends a statement in a routine that passes its faults on: stores the value, returns the fault.
[[nodiscard]] constexpr int Store(double& target, const Num& n) noexcept {
  target = n.Value();
  return n.Fault();
}

// Raises a fault that no trap stands for.
inline void Raise(int fault) {
  if (fault != 0) throw RunTimeError(fault);
}

// Ends a statement: stores the value, then raises the statement's fault if it met one.
inline void Let(double& target, const Num& n) { Raise(Store(target, n)); }

// Ends a statement whose value is used rather than stored (a return value, a comparison).
inline double Checked(const Num& n) {
  Raise(n.Fault());
  return n.Value();
}

// Library functions. A faulting argument passes its fault on and the function is not called, so
// nothing of the statement is stored; a function that faults itself carries its own.
inline Num Exp(const Num& x) noexcept {
  if (x.Fault() != 0) return x;
  const double r = std::exp(x.Value());
  return Num(r, std::isinf(r) && std::isfinite(x.Value()) ? err::kOverflow : 0);
}
inline Num Log(const Num& x) noexcept {
  if (x.Fault() != 0) return x;
  if (x.Value() <= 0.0) return Num(x.Value(), err::kInvalidCall);
  return Num(std::log(x.Value()));
}
inline Num Sqrt(const Num& x) noexcept {
  if (x.Fault() != 0) return x;
  if (x.Value() < 0.0) return Num(x.Value(), err::kInvalidCall);
  return Num(std::sqrt(x.Value()));
}
inline Num Sin(const Num& x) noexcept {
  if (x.Fault() != 0) return x;
  if (std::isinf(x.Value())) return Num(x.Value(), err::kOverflow);
  return Num(std::sin(x.Value()));
}
inline Num Cos(const Num& x) noexcept {
  if (x.Fault() != 0) return x;
  if (std::isinf(x.Value())) return Num(x.Value(), err::kOverflow);
  return Num(std::cos(x.Value()));
}
inline Num Atan(const Num& x) noexcept {
  if (x.Fault() != 0) return x;
  return Num(std::atan(x.Value()));
}

// Conversion to a 16-bit integer: nearest, halves to even; NaN, infinity and anything outside
// -32768..32767 after rounding is an overflow.
std::int16_t CInt(double value);

// Conversion to single precision; a finite value beyond its range is an overflow. NaN and infinity
// pass unchanged, as IEEE conversion raises nothing for them.
float CSng(double value);

}  // namespace tavelin
