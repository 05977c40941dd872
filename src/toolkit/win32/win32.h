// The Win32 backend's native handles, for tests that drive the real controls.
#pragma once

#include <windows.h>

#include "toolkit/toolkit.h"

namespace tk::win32 {

HWND nativeHandle(Window& window);
HWND nativeHandle(Control& control);

}  // namespace tk::win32
