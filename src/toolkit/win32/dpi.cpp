#include "toolkit/win32/dpi.h"

namespace tk::win32 {
namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForSystem = UINT(WINAPI*)();
using SetAwarenessContext = BOOL(WINAPI*)(HANDLE);
using SetAwareness = BOOL(WINAPI*)();

// The awareness contexts are handles with fixed values (winuser.h, Windows 10 1607 on).
const auto perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
const auto perMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

template <typename Function>
Function user32Function(const char* name) {
  // The cast between function types is how GetProcAddress is meant to be used.
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int deviceDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : designDpi;
}

int toDesign(int value, int dpi) {
  return MulDiv(value, designDpi, dpi);
}

int toScreen(int value, int dpi) {
  return MulDiv(value, dpi, designDpi);
}

}  // namespace

void becomeDpiAware() {
  // Where a manifest has set the awareness already, both calls fail and change nothing.
  if (const auto setContext =
          user32Function<SetAwarenessContext>("SetProcessDpiAwarenessContext")) {
    if (!setContext(perMonitorAwareV2)) setContext(perMonitorAware);
    return;
  }
  // Windows 7 and 8 know only system awareness, which still draws crisp on the main screen.
  if (const auto setAware = user32Function<SetAwareness>("SetProcessDPIAware")) setAware();
}

int windowDpi(HWND window) {
  static const auto forWindow = user32Function<DpiForWindow>("GetDpiForWindow");
  const UINT dpi = forWindow != nullptr && window != nullptr ? forWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : systemDpi();
}

int systemDpi() {
  static const int dpi = [] {
    static const auto forSystem = user32Function<DpiForSystem>("GetDpiForSystem");
    const UINT system = forSystem != nullptr ? forSystem() : 0;
    return system > 0 ? static_cast<int>(system) : deviceDpi();
  }();
  return dpi;
}

Rect designRect(const RECT& screen, HWND window) {
  const int dpi = windowDpi(window);
  return {toDesign(screen.left, systemDpi()), toDesign(screen.top, systemDpi()),
          toDesign(screen.right - screen.left, dpi), toDesign(screen.bottom - screen.top, dpi)};
}

RECT screenRect(const Rect& design, HWND window) {
  const int dpi = windowDpi(window);
  const int left = toScreen(design.left, systemDpi());
  const int top = toScreen(design.top, systemDpi());
  return {left, top, left + toScreen(design.width, dpi), top + toScreen(design.height, dpi)};
}

Rect designArea(const RECT& screen) {
  const int dpi = systemDpi();
  return {toDesign(screen.left, dpi), toDesign(screen.top, dpi),
          toDesign(screen.right - screen.left, dpi), toDesign(screen.bottom - screen.top, dpi)};
}

}  // namespace tk::win32
