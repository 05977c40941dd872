// Screen scaling. The program speaks 96-DPI pixels wherever numbers leave it or come from its
// design (window bounds in Setup.txt, the layouts' margins); the client areas, the controls
// and the fonts are in the screen's own pixels, so the proportional layouts draw crisp text
// at 150 % and 200 %. The functions that tell a window's scale came with Windows 10 and are
// looked up at run time, so the program still starts where they are missing (96 DPI or the
// system's, as GetDeviceCaps tells).
#pragma once

#include <windows.h>

#include "toolkit/toolkit.h"

namespace tk::win32 {

constexpr int designDpi = 96;

// Per-monitor aware (version 2 where the system has it): called before the first window,
// for programs whose manifest does not say so already.
void becomeDpiAware();

// The scale of the screen the window is on, and the scale the system started with (that of
// the main screen), as pixels per inch.
int windowDpi(HWND window);
int systemDpi();

// Screen rectangles and design ones. Positions convert at the system's scale, one linear
// map for the whole desktop, so that a stored place finds the same screen again; sizes at
// the scale of the window's screen, so that a window keeps its design size on every screen.
Rect designRect(const RECT& screen, HWND window);
RECT screenRect(const Rect& design, HWND window);
// A screen's area, all of it at the system's scale, as the positions of windows are.
Rect designArea(const RECT& screen);

}  // namespace tk::win32
