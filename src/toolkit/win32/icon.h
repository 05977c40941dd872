// The program's icon, from its resources (querlan.rc.in).
#pragma once

#include <windows.h>

namespace tk::win32 {

// The icon at the size of a system metric (SM_CXICON for the title bar and Alt+Tab,
// SM_CXSMICON for the small one); the system's application icon for a program file that
// has none, as the test programs.
HICON programIcon(int sizeMetric);

}  // namespace tk::win32
