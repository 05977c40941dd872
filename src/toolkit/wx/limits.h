// The X server's limits: window sizes and positions are 16-bit there, and GTK keeps windows
// within them. Geometry is clamped before it reaches wx, so that what a window reports (and
// what its layout computes from) is what the screen really has, whatever a settings file says.
#pragma once

#include <algorithm>

namespace tk::wx {

constexpr int maxCoordinate = 32767;

inline int clampPosition(int value) {
  return std::clamp(value, -maxCoordinate, maxCoordinate);
}
inline int clampExtent(int value) {
  return std::clamp(value, 0, maxCoordinate);
}

}  // namespace tk::wx
