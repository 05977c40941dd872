// Where a window may stay when its stored place is applied. A window can be seen when some
// screen's work area shows a piece of its title bar big enough to take it with the mouse:
// the title bar is the window's top titleBar pixels, the piece at least grip pixels wide and
// gripHeight high (or as much as a smaller window has). Anything less, as after a monitor
// was removed or the resolution lowered, and the window goes to the nearest work area.
#include <algorithm>
#include <cstdint>

#include "toolkit/toolkit.h"

namespace tk {
namespace {

constexpr std::int64_t titleBar = 24;
constexpr std::int64_t grip = 32;
constexpr std::int64_t gripHeight = 8;

// Rectangles taken wide: a stored place may lie anywhere an int reaches.
struct Span {
  std::int64_t left, top, right, bottom;
  explicit Span(const Rect& rect)
      : left(rect.left),
        top(rect.top),
        right(left + std::max(rect.width, 0)),
        bottom(top + std::max(rect.height, 0)) {}
  std::int64_t width() const { return std::max<std::int64_t>(right - left, 0); }
  std::int64_t height() const { return std::max<std::int64_t>(bottom - top, 0); }
};

Span overlap(Span a, const Span& b) {
  a.left = std::max(a.left, b.left);
  a.top = std::max(a.top, b.top);
  a.right = std::min(a.right, b.right);
  a.bottom = std::min(a.bottom, b.bottom);
  return a;
}

bool showsTitleBar(const Span& window, const Span& area) {
  Span bar = window;
  bar.bottom = std::min(bar.bottom, bar.top + titleBar);
  const Span piece = overlap(bar, area);
  return piece.width() > 0 && piece.height() > 0 && piece.width() >= std::min(grip, bar.width()) &&
         piece.height() >= std::min(gripHeight, bar.height());
}

// The gap between two rectangles, squared; 0 when they touch or overlap.
std::int64_t gap(const Span& a, const Span& b) {
  const std::int64_t dx = std::max<std::int64_t>({b.left - a.right, a.left - b.right, 0});
  const std::int64_t dy = std::max<std::int64_t>({b.top - a.bottom, a.top - b.bottom, 0});
  return dx * dx + dy * dy;
}

// As Windows picks the nearest monitor: the one sharing the most of the window, or else the
// one closest to it.
const Rect& nearest(const Span& window, const std::vector<Rect>& workAreas) {
  const auto shared = [&](const Rect& area) {
    const Span piece = overlap(window, Span(area));
    return piece.width() * piece.height();
  };
  return *std::min_element(workAreas.begin(), workAreas.end(), [&](const Rect& a, const Rect& b) {
    const std::int64_t sharedA = shared(a), sharedB = shared(b);
    if (sharedA != sharedB) return sharedA > sharedB;
    return gap(window, Span(a)) < gap(window, Span(b));
  });
}

// The window inside the area, as far as the area reaches; one larger than the area is
// made to fit it.
Rect moveOnto(const Rect& window, const Rect& area) {
  const int width = std::clamp(window.width, 0, std::max(area.width, 0));
  const int height = std::clamp(window.height, 0, std::max(area.height, 0));
  const int left = static_cast<int>(std::clamp<std::int64_t>(
      window.left, area.left, std::int64_t{area.left} + area.width - width));
  const int top = static_cast<int>(std::clamp<std::int64_t>(
      window.top, area.top, std::int64_t{area.top} + area.height - height));
  return {left, top, width, height};
}

}  // namespace

Rect placeOnScreen(const Rect& bounds, const std::vector<Rect>& workAreas) {
  const Span window(bounds);
  const bool seen = std::any_of(workAreas.begin(), workAreas.end(), [&](const Rect& area) {
    return showsTitleBar(window, Span(area));
  });
  if (seen || workAreas.empty()) return bounds;
  return moveOnto(bounds, nearest(window, workAreas));
}

}  // namespace tk
