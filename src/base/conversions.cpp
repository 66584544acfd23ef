#include <cfloat>
#include <cmath>

#include "base/checked_arithmetic.hpp"

namespace tavelin {

std::int16_t CInt(double value) {
  if (!std::isfinite(value)) throw RunTimeError(err::kOverflow);
  // Round half to even without touching the floating-point environment.
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < -32768.0 || whole > 32767.0) throw RunTimeError(err::kOverflow);
  return static_cast<std::int16_t>(whole);
}

float CSng(double value) {
  // Values below this bound round to FLT_MAX; at or above it they round to infinity.
  constexpr double kOverflowBound = 0x1.ffffffp+127;
  if (std::isfinite(value) && std::fabs(value) >= kOverflowBound) throw RunTimeError(err::kOverflow);
  return static_cast<float>(value);
}

}  // namespace tavelin
