// What the toolkit tests share: a message loop with a deadline, the program's modal boxes,
// and a plain test window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/toolkit.h"

namespace test {

// Runs the backend's message loop until `done` holds or about `timeoutMs` have passed;
// returns whether `done` holds. The deadline only keeps a failing test from hanging.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// The first visible dialog-class window (message box, file dialog) of this thread, or null.
HWND findDialog();
// The text of a message box.
std::wstring messageBoxText(HWND box);
bool hasIcon(HWND box);
std::wstring windowText(HWND window);

// Posts a key to the control that has the focus, as the keyboard would.
void pressKey(WPARAM virtualKey);
// Posts Alt and a letter to the control that has the focus.
void pressAlt(wchar_t letter);

// A window with the program's fonts; it is never the first window of the process (see
// toolkit_main.cpp), so closing it never ends the loop.
class TestWindow : public tk::Window {
 public:
  TestWindow() : tk::Window({"Test", {40, 40, 500, 300}, {"MS Sans Serif", -14}}) {}
};

}  // namespace test
