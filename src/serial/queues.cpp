#include "serial/queues.h"

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr std::uint32_t queueSlots = 10'000;

struct ByteQueue {
  std::array<int, queueSlots> slots{};
  std::uint32_t readIndex = 0;
  std::uint32_t writeIndex = 0;

  bool empty() const { return readIndex == writeIndex; }
  bool full() const { return next(writeIndex) == readIndex; }
  static std::uint32_t next(std::uint32_t index) { return (index + 1) % queueSlots; }

  int take() {
    const int value = slots[readIndex];
    readIndex = next(readIndex);
    return value;
  }
  void store(int value) {
    slots[writeIndex] = value & 0xFF;
    writeIndex = next(writeIndex);
  }
};

ByteQueue RxQueue;
ByteQueue TxQueue;

// One test-and-set flag for both queues. Waiters spin on a plain read and yield, so the
// holder (a handful of instructions) is not slowed by cache-line ping-pong.
class SpinFlag {
 public:
  void lock() {
    while (held_.test_and_set(std::memory_order_acquire)) {
      while (held_.test(std::memory_order_relaxed)) std::this_thread::yield();
    }
  }
  void unlock() { held_.clear(std::memory_order_release); }

 private:
  std::atomic_flag held_;
};

SpinFlag QueueLock;

class QueueGuard {
 public:
  QueueGuard() { QueueLock.lock(); }
  ~QueueGuard() { QueueLock.unlock(); }
  QueueGuard(const QueueGuard&) = delete;
  QueueGuard& operator=(const QueueGuard&) = delete;
};

int get(ByteQueue& queue) {
  QueueGuard guard;
  return queue.empty() ? -1 : queue.take();
}

bool tryPut(ByteQueue& queue, int value) {
  QueueGuard guard;
  if (queue.full()) return false;
  queue.store(value);
  return true;
}

}  // namespace

int RxGet() {
  return get(RxQueue);
}

int RxPut(int value) {
  // The main thread drains RxQueue every 10 ms; waiting a millisecond at a time costs
  // nothing and loses nothing.
  while (!tryPut(RxQueue, value)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return 0;
}

int TxGet() {
  return get(TxQueue);
}

int TxPut(int value) {
  tryPut(TxQueue, value);
  return 0;
}
