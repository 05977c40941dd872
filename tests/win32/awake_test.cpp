// keepAwake() on Windows. Wine has no sleep to prevent, but it keeps the execution state a
// thread sets, so the call and its release show.
#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/toolkit.h"

namespace {

// A call without ES_CONTINUOUS leaves a continuous state as it is and returns it.
EXECUTION_STATE currentState() {
  return SetThreadExecutionState(0);
}

TEST(KeepAwake, HoldsTheSystemAwakeUntilReleased) {
  tk::keepAwake(true);
  EXPECT_EQ(currentState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
  tk::keepAwake(false);
  EXPECT_EQ(currentState(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

}  // namespace
