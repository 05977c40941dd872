// Screen scaling: the program's bounds stay in 96-DPI pixels on every screen while the
// native window takes the screen's pixels, and a change of scale lays the window out again.
// Run at 96 DPI with the other toolkit tests and at 144 DPI (Wine's LogPixels) on its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "support.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/win32.h"
#include "windows/Main.h"

namespace {

using tk::win32::nativeHandle;

RECT screenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

int scaled(int design, int dpi) {
  return MulDiv(design, dpi, 96);
}

TEST(Scaling, BoundsReadAsStoredAndTheScreenGetsThemScaled) {
  TfMain main;
  main.tStart.setEnabled(false);  // no start-up: no settings file, no port
  main.show();
  const HWND native = nativeHandle(main);
  const int dpi = tk::win32::windowDpi(native);
  for (const tk::Rect& stored :
       {tk::Rect{10, 10, 600, 400}, tk::Rect{200, 150, 491, 239}, tk::Rect{-33, 7, 301, 203}}) {
    main.setLeft(stored.left);
    main.setTop(stored.top);
    main.setWidth(stored.width);
    main.setHeight(stored.height);
    EXPECT_EQ((tk::Rect{main.left(), main.top(), main.width(), main.height()}), stored);
    const RECT screen = screenRect(native);
    EXPECT_EQ(screen.left, scaled(stored.left, dpi));
    EXPECT_EQ(screen.top, scaled(stored.top, dpi));
    EXPECT_EQ(screen.right - screen.left, scaled(stored.width, dpi));
    EXPECT_EQ(screen.bottom - screen.top, scaled(stored.height, dpi));
    // The layout's design margin, in the screen's pixels.
    RECT label = screenRect(nativeHandle(main.lBaudRateUsed));
    MapWindowPoints(HWND_DESKTOP, native, reinterpret_cast<POINT*>(&label), 2);
    EXPECT_EQ(label.left, scaled(10, dpi));
  }
}

TEST(Scaling, AChangeOfScaleTakesTheSuggestedPlaceAndLaysTheWindowOutAgain) {
  test::TestWindow window;
  window.show();
  const HWND native = nativeHandle(window);
  std::vector<tk::Size> layouts;
  window.onResize = [&] { layouts.push_back(window.clientSize()); };
  const RECT before = screenRect(native);
  // Bigger, as for a screen with a larger scale, and then the same place once more: the
  // layout runs either way, as fonts and margins follow the scale, not the size.
  for (RECT suggested : {RECT{30, 40, 30 + 800, 40 + 480}, RECT{30, 40, 30 + 800, 40 + 480}}) {
    layouts.clear();
    SendMessageW(native, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    const RECT now = screenRect(native);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    RECT client{};
    GetClientRect(native, &client);
    ASSERT_FALSE(layouts.empty());
    EXPECT_EQ(layouts.back(), (tk::Size{client.right, client.bottom}));
  }
  EXPECT_NE(before.right - before.left, 800);
}

}  // namespace
