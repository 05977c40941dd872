#include "support.h"

#include "toolkit/win32/window.h"

namespace test {
namespace {

BOOL CALLBACK findVisibleDialog(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  // A thread timer wakes the loop, so that the deadline is looked at while nothing happens.
  const UINT_PTR waker = SetTimer(nullptr, 0, 10, nullptr);
  const DWORD start = GetTickCount();
  bool holds = done();
  while (!holds && GetTickCount() - start < timeoutMs) {
    tk::win32::pumpMessage(tk::win32::OnQuit::passOn);
    holds = done();
  }
  KillTimer(nullptr, waker);
  return holds;
}

HWND findDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findVisibleDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring windowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

// The message is the box's one static control that holds text (the icon is another one).
std::wstring messageBoxText(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    const bool isIcon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (_wcsicmp(className, L"Static") == 0 && !isIcon && !windowText(child).empty()) {
      return windowText(child);
    }
  }
  return {};
}

bool hasIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const bool isIcon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (isIcon && IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0) {
      return true;
    }
  }
  return false;
}

void pressKey(WPARAM virtualKey) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
  PostMessageW(GetFocus(), WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageW(GetFocus(), WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void pressAlt(wchar_t letter) {
  PostMessageW(GetFocus(), WM_SYSCHAR, letter, 1 | (1u << 29));
}

}  // namespace test
