// keepAwake() on Windows. The execution state belongs to the thread that sets it and lasts
// until that thread changes it or ends, so it is set on the main thread, which runs the
// windows. ES_SYSTEM_REQUIRED without ES_DISPLAY_REQUIRED keeps the system from sleeping
// when idle while the screen may still go dark (Microsoft's documentation of
// SetThreadExecutionState); ES_CONTINUOUS alone clears it. Wine accepts the call but has no
// sleep to prevent.
#include <windows.h>

#include "toolkit/toolkit.h"

namespace tk {

void keepAwake(bool on) {
  SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

}  // namespace tk
