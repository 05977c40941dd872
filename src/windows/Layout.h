// What the proportional layouts of both windows share.
#pragma once

#include <cstdint>

#include "toolkit/toolkit.h"

namespace layout {

// The room between the controls and the window's edges, in 96-DPI pixels.
constexpr int designMargin = 10;

// a * b / c, the product taken wide so that no client size can overflow it.
inline int mulDiv(int a, int b, int c) {
  return static_cast<int>(std::int64_t{a} * b / c);
}

// The font of one layout pass: Arial with a character height of 8/5 row units.
inline tk::Font rowFont(int rowUnit) {
  return {"Arial", -mulDiv(rowUnit, 8, 5)};
}

// One layout pass over a window's client area divided into rows, in the screen's pixels.
struct Pass {
  Pass(const tk::Window& window, int rowCount)
      : width(window.clientSize().width),
        height(window.clientSize().height),
        rows(rowCount),
        unit(height / rowCount),
        margin(window.pixels(designMargin)),
        font(rowFont(unit)) {}
  // The top of a row: proportional to the client height itself, not a multiple of the unit.
  int top(int row) const { return mulDiv(height, row, rows); }

  int width;
  int height;
  int rows;
  int unit;
  int margin;
  tk::Font font;
};

// Places a control in the order left, top, height, width, font: a font change comes last,
// so that a control sizing itself to its font has the final say.
inline void place(tk::Control& control, int left, int top, int height, int width,
                  const tk::Font& font) {
  control.setLeft(left);
  control.setTop(top);
  control.setHeight(height);
  control.setWidth(width);
  control.setFont(font);
}

}  // namespace layout
