#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include "eventually.h"
#include "serial/queues.h"

namespace {

struct QueueUnderTest {
  const char* name;
  int (*put)(int);
  int (*get)();
};

void PrintTo(const QueueUnderTest& q, std::ostream* out) {
  *out << q.name;
}

class EachQueue : public ::testing::TestWithParam<QueueUnderTest> {
 protected:
  int put(int value) const { return GetParam().put(value); }
  int get() const { return GetParam().get(); }
};

INSTANTIATE_TEST_SUITE_P(Queues, EachQueue,
                         ::testing::Values(QueueUnderTest{"Rx", RxPut, RxGet},
                                           QueueUnderTest{"Tx", TxPut, TxGet}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_P(EachQueue, IsEmptyUntilSomethingIsPut) {
  EXPECT_EQ(get(), -1);
  EXPECT_EQ(get(), -1);
}

TEST_P(EachQueue, KeepsTheLowEightBitsOfEveryPut) {
  const struct {
    int put;
    int got;
  } cases[] = {{0x41, 65}, {0x00, 0}, {0xFF, 255}, {0x141, 0x41},  {-1, 255},
               {256, 0},   {-256, 0}, {-255, 1},   {INT_MAX, 255}, {INT_MIN, 0}};
  for (const auto& c : cases) EXPECT_EQ(put(c.put), 0);
  for (const auto& c : cases) EXPECT_EQ(get(), c.got) << "put " << c.put;
  EXPECT_EQ(get(), -1);
}

TEST_P(EachQueue, KeepsTheOrderAcrossTheWrap) {
  // 25,000 bytes in batches of 100 pass slot 9,999 twice.
  int next = 0;
  for (int batch = 0; batch < 250; ++batch) {
    for (int i = 0; i < 100; ++i) put((batch * 100 + i) % 251);
    for (int i = 0; i < 100; ++i, ++next) ASSERT_EQ(get(), next % 251) << "byte " << next;
    ASSERT_EQ(get(), -1);
  }
}

TEST(Queues, NeverHandABytePutIntoOneOutOfTheOther) {
  TxPut(0x41);
  EXPECT_EQ(RxGet(), -1);
  RxPut(0x42);
  EXPECT_EQ(TxGet(), 0x41);
  EXPECT_EQ(TxGet(), -1);
  EXPECT_EQ(RxGet(), 0x42);
}

TEST(Queues, AFullTxQueueDropsTheNewByteAndKeepsTheOthers) {
  for (int i = 0; i < 10'000; ++i) TxPut(i % 251);
  for (int i = 0; i < 9'999; ++i) ASSERT_EQ(TxGet(), i % 251) << "byte " << i;
  EXPECT_EQ(TxGet(), -1);
}

TEST(Queues, AFullRxQueueMakesTheWorkerWaitAndLosesNothing) {
  constexpr int total = 12'000;
  std::atomic<int> returned{0};
  std::thread worker([&] {
    for (int i = 0; i < total; ++i) {
      RxPut(i % 251);
      returned.store(i + 1, std::memory_order_release);
    }
  });
  // Let the queue fill before anything is taken, so the puts beyond 9,999 must wait.
  ASSERT_TRUE(testsupport::eventually([&] { return returned.load() >= 9'999; }));
  int next = 0;
  const bool complete = testsupport::eventually([&] {
    for (int value; (value = RxGet()) >= 0; ++next) {
      if (value != next % 251) return true;
    }
    return next >= total;
  });
  worker.join();
  EXPECT_TRUE(complete);
  EXPECT_EQ(next, total);
  EXPECT_EQ(RxGet(), -1);
}

TEST(RunClock, CountsFromTheStartOfTheProcess) {
  EXPECT_LT(RunClockMs(), 120'000u) << "older than the test's own time limit";
}

TEST(RunClock, AdvancesWithRealTime) {
  using namespace std::chrono;
  const auto before = steady_clock::now();
  const std::uint32_t first = RunClockMs();
  std::this_thread::sleep_for(milliseconds(30));
  const std::uint32_t second = RunClockMs();
  const auto after = steady_clock::now();
  // Whole milliseconds between two readings: at least the time slept, at most the time
  // that passed around them.
  EXPECT_GE(second - first, 30u);
  EXPECT_LE(second - first, duration_cast<milliseconds>(after - before).count() + 1);
}

}  // namespace
