// The benchmarks drive the program on the real clock in short runs of the headless loop.
// A run used to leave out its last wait, so that virtual time fell behind by up to a tick
// per run: a 400 s recording in runs of 50 ms had not ended after 430 s.
#include <gtest/gtest.h>

#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

namespace {

namespace headless = tk::headless;

TEST(RealTime, RunsOneAfterAnotherAddUpOnTheVirtualClock) {
  tk::Window window({"Uhr", {0, 0, 100, 100}, {"Arial", -12}});
  tk::Timer poll(window, 10, true);
  int ticks = 0;
  poll.onTimer = [&ticks] { ++ticks; };
  const std::int64_t start = headless::now();
  for (int run = 0; run < 20; ++run) headless::runRealTime(50);
  EXPECT_EQ(headless::now() - start, 1000);
  EXPECT_EQ(ticks, 100);
}

}  // namespace
