// RunClockMs on Windows: the system tick count less the one at the start of the process.
// Both are 32-bit and wrap together, so the unsigned difference stays right across a wrap.
#include <windows.h>

#include "serial/queues.h"

namespace {

const DWORD processStartTicks = GetTickCount();

}  // namespace

std::uint32_t RunClockMs() {
  return static_cast<std::uint32_t>(GetTickCount() - processStartTicks);
}
