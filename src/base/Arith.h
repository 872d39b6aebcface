#pragma once

// The game computes in wide integers and in floating point and stores into 16-bit fields. A store
// that does not fit saturates instead of wrapping: no sign flips, never undefined behaviour.

#include <cmath>
#include <cstdint>
#include <limits>

namespace pelaryn {

constexpr int16_t Sat16(int64_t v) {
  if (v > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (v < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(v);
}

constexpr int32_t Sat32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Nearest integer, ties to even (the default rounding mode), clamped so that the conversion is
// always defined.
inline int64_t Round(double v) {
  if (std::isnan(v)) return 0;
  constexpr double limit = 9.0e18;
  if (v > limit) return static_cast<int64_t>(limit);
  if (v < -limit) return -static_cast<int64_t>(limit);
  return static_cast<int64_t>(std::nearbyint(v));
}

inline int64_t RoundF(float v) {
  return Round(static_cast<double>(std::nearbyint(v)));
}

inline int64_t Floor(double v) {
  return Round(std::floor(v));
}

constexpr int Sign(int64_t v) {
  return (v > 0) - (v < 0);
}
constexpr int Sign(double v) {
  return (v > 0) - (v < 0);
}

}  // namespace pelaryn
