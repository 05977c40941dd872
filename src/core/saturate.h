// A wide intermediate result as an int, held at the nearest end of int's range: for metrics
// and positions computed from any font size or window size the user may ask for.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

namespace core {

inline int saturate(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace core
