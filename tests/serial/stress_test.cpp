// Both queues driven from two threads at full speed, as the worker and the main thread do,
// only without pause: every byte must arrive once, in order, in its own queue.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "serial/queues.h"

namespace {

#if defined(__SANITIZE_THREAD__)
constexpr int bytesEachWay = 1'000'000;
#else
constexpr int bytesEachWay = 2'000'000;
#endif

int patternAt(int index) {
  return (index * 7 + index / 251) % 256;
}

TEST(QueueStress, TwoThreadsMoveMillionsOfBytesWithoutLossOrReordering) {
  std::atomic<int> txTaken{0};
  std::atomic<int> txFaults{0};
  std::atomic<bool> workerDone{false};
  std::thread worker([&] {
    int put = 0;
    int taken = 0;
    while (put < bytesEachWay || taken < bytesEachWay) {
      if (put < bytesEachWay) RxPut(patternAt(put++));
      if (const int value = TxGet(); value >= 0) {
        if (value != patternAt(taken)) txFaults.fetch_add(1);
        txTaken.store(++taken, std::memory_order_release);
      }
    }
    workerDone = true;
  });
  int sent = 0;
  int received = 0;
  int rxFaults = 0;
  while (received < bytesEachWay || sent < bytesEachWay) {
    // TxPut drops a byte when its queue is full, so the main thread keeps below that.
    if (sent < bytesEachWay && sent - txTaken.load(std::memory_order_acquire) < 9'000) {
      TxPut(patternAt(sent++));
    }
    if (const int value = RxGet(); value >= 0) {
      if (value != patternAt(received)) ++rxFaults;
      ++received;
    } else if (workerDone && sent == bytesEachWay) {
      break;  // everything put has been taken: what is missing was lost
    }
  }
  worker.join();
  EXPECT_EQ(received, bytesEachWay);
  EXPECT_EQ(rxFaults, 0);
  EXPECT_EQ(txFaults.load(), 0);
  EXPECT_EQ(txTaken.load(), bytesEachWay);
  EXPECT_EQ(RxGet(), -1);
  EXPECT_EQ(TxGet(), -1);
}

}  // namespace
