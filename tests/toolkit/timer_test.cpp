#include <gtest/gtest.h>

#include <vector>

#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

namespace {

namespace headless = tk::headless;

class TimerTest : public ::testing::Test {
 protected:
  tk::Window window{{"w", {0, 0, 200, 100}, {}}};
  tk::Timer timer{window, 100};
  std::vector<std::int64_t> ticks;

  void SetUp() override {
    timer.onTimer = [this] { ticks.push_back(headless::now() - start); };
  }
  std::int64_t start = headless::now();
};

TEST_F(TimerTest, EnablingStartsAFullPeriod) {
  headless::advance(250);
  EXPECT_TRUE(ticks.empty()) << "a disabled timer ticked";
  start = headless::now();
  timer.setEnabled(true);
  headless::advance(99);
  EXPECT_TRUE(ticks.empty());
  headless::advance(231);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{100, 200, 300}));
}

TEST_F(TimerTest, IntervalZeroOrNegativeNeverTicks) {
  for (int interval : {0, -5, -240000}) {
    timer.setInterval(interval);
    timer.setEnabled(true);
    headless::advance(10000);
    EXPECT_TRUE(ticks.empty()) << "interval " << interval;
    EXPECT_FALSE(timer.running());
    timer.setEnabled(false);
  }
}

TEST_F(TimerTest, ADifferentIntervalRestartsTheRunningPeriod) {
  timer.setEnabled(true);
  headless::advance(60);
  timer.setInterval(50);  // restarts at 60: ticks at 110, 160
  headless::advance(100);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{110, 160}));
}

TEST_F(TimerTest, TheSameIntervalOrStateAgainChangesNothing) {
  timer.setEnabled(true);
  headless::advance(60);
  timer.setInterval(100);
  timer.setEnabled(true);
  headless::advance(40);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{100}));
}

TEST_F(TimerTest, IntervalChangedWhileDisabledWaitsForEnabling) {
  timer.setInterval(30);
  headless::advance(100);
  EXPECT_TRUE(ticks.empty());
  timer.setEnabled(true);
  headless::advance(60);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{130, 160}));
}

TEST_F(TimerTest, AHandlerThatDisablesItsTimerGetsNoFurtherTick) {
  timer.onTimer = [this] {
    ticks.push_back(headless::now() - start);
    timer.setEnabled(false);
  };
  timer.setEnabled(true);
  headless::advance(1000);
  EXPECT_EQ(ticks.size(), 1u);
}

TEST(TimerOrder, TimersDueTogetherTickInTheOrderTheyWereStarted) {
  tk::Window window{{"w", {0, 0, 200, 100}, {}}};
  tk::Timer slow{window, 30};
  tk::Timer fast{window, 10};
  std::string order;
  slow.onTimer = [&] { order += 'S'; };
  fast.onTimer = [&] { order += 'f'; };
  slow.setEnabled(true);
  fast.setEnabled(true);
  headless::advance(60);
  EXPECT_EQ(order, "ffSfffSf");
}

}  // namespace
