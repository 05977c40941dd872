// Top-level windows: outer bounds in screen coordinates, restored bounds while minimised,
// the layout on every change of size, and text in UTF-8 on our side of the wide calls.
#include <gtest/gtest.h>

#include "core/error.h"
#include "support.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32.h"

namespace {

using tk::win32::nativeHandle;

tk::Rect boundsOf(const tk::Window& window) {
  return {window.left(), window.top(), window.width(), window.height()};
}

TEST(Windows, ReportTheirOuterBoundsAndTheRestoredOnesWhileMinimised) {
  test::TestWindow window;
  window.show();
  window.setLeft(60);
  window.setTop(50);
  window.setWidth(420);
  window.setHeight(260);
  RECT native{};
  GetWindowRect(nativeHandle(window), &native);
  EXPECT_EQ(boundsOf(window), (tk::Rect{60, 50, 420, 260}));
  EXPECT_EQ(boundsOf(window), (tk::Rect{native.left, native.top, native.right - native.left,
                                        native.bottom - native.top}));

  ShowWindow(nativeHandle(window), SW_MINIMIZE);
  EXPECT_EQ(boundsOf(window), (tk::Rect{60, 50, 420, 260}));
  window.setWidth(480);  // kept for when the window comes back
  EXPECT_EQ(window.width(), 480);
  ShowWindow(nativeHandle(window), SW_RESTORE);
  EXPECT_EQ(boundsOf(window), (tk::Rect{60, 50, 480, 260}));
}

TEST(Windows, AMaximisedWindowReportsTheRectangleItCovers) {
  test::TestWindow window;
  window.show();
  ShowWindow(nativeHandle(window), SW_MAXIMIZE);
  RECT native{};
  GetWindowRect(nativeHandle(window), &native);
  EXPECT_EQ(boundsOf(window), (tk::Rect{native.left, native.top, native.right - native.left,
                                        native.bottom - native.top}));
  EXPECT_GT(window.width(), 500);
}

TEST(Windows, LayOutWhenShownAndWhenTheirSizeChangesAlsoWhileHidden) {
  test::TestWindow window;
  std::vector<tk::Size> layouts;
  window.onResize = [&] { layouts.push_back(window.clientSize()); };
  window.setHeight(320);  // hidden
  window.show();
  window.setLeft(90);  // a move is no change of size
  window.setWidth(530);
  RECT client{};
  GetClientRect(nativeHandle(window), &client);
  ASSERT_EQ(layouts.size(), 3u);
  EXPECT_EQ(layouts.back(), (tk::Size{client.right, client.bottom}));
  EXPECT_EQ(layouts[0], layouts[1]);
}

void place(tk::Window& window, const tk::Rect& bounds) {
  window.setLeft(bounds.left);
  window.setTop(bounds.top);
  window.setWidth(bounds.width);
  window.setHeight(bounds.height);
}

TEST(Windows, APlaceNoScreenShowsIsBroughtOntoTheNearestScreenAndOneThatShowsStays) {
  test::TestWindow window;
  window.show();
  for (const tk::Rect& shown : {tk::Rect{60, 50, 420, 260}, tk::Rect{-380, 50, 420, 260}}) {
    place(window, shown);
    window.keepOnScreen();
    EXPECT_EQ(boundsOf(window), shown);
  }
  for (const tk::Rect& lost : {tk::Rect{-3000, 100, 420, 260}, tk::Rect{4000, 5000, 420, 260}}) {
    place(window, lost);
    const RECT stored{lost.left, lost.top, lost.left + lost.width, lost.top + lost.height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&stored, MONITOR_DEFAULTTONEAREST), &monitor);
    window.keepOnScreen();
    RECT placed{}, inside{};
    GetWindowRect(nativeHandle(window), &placed);
    IntersectRect(&inside, &placed, &monitor.rcWork);
    EXPECT_TRUE(EqualRect(&inside, &placed)) << lost.left << ", " << lost.top;
    EXPECT_EQ(window.width(), 420);
  }
}

TEST(Windows, CaptionsAndEditTextsCrossTheWideCallsUnchanged) {
  test::TestWindow window;
  window.setCaption("QUERLAN - Größe Ä");
  EXPECT_EQ(test::windowText(nativeHandle(window)), L"QUERLAN - Größe Ä");
  tk::LabeledEdit edit(window);
  SetWindowTextW(nativeHandle(edit), L"C:\\Messung\\Übung ß.txt");
  EXPECT_EQ(edit.text(), "C:\\Messung\\Übung ß.txt");
  edit.setText("Prüfung");
  EXPECT_EQ(test::windowText(nativeHandle(edit)), L"Prüfung");
}

TEST(Windows, ClosingByTheCloseControlRunsTheCloseHandlerAndAFailedOneKeepsTheWindow) {
  test::TestWindow window;
  window.show();
  bool refuse = true;
  window.onClose = [&] {
    if (refuse) throw core::Error("");
  };
  // The error box of the refused close is confirmed by the test's own timer.
  tk::Timer confirm(window, 20, true);
  confirm.onTimer = [] {
    if (HWND box = test::findDialog()) PostMessageW(box, WM_COMMAND, IDOK, 0);
  };
  SendMessageW(nativeHandle(window), WM_CLOSE, 0, 0);
  EXPECT_TRUE(window.visible());
  refuse = false;
  SendMessageW(nativeHandle(window), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window.visible());
}

}  // namespace
