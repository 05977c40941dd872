// Virtual time and the timers that run on it.
#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "toolkit/headless/internal.h"

namespace tk::headless {
namespace {

std::int64_t virtualNow = 0;
std::uint64_t startSequence = 0;
std::vector<HeadlessTimer*> timers;

HeadlessTimer* nextDue(std::int64_t until) {
  HeadlessTimer* next = nullptr;
  for (HeadlessTimer* timer : timers) {
    if (!timer->active || timer->due > until) continue;
    if (next == nullptr ||
        std::pair(timer->due, timer->sequence) < std::pair(next->due, next->sequence)) {
      next = timer;
    }
  }
  return next;
}

// The due time of the earliest running timer, if any.
std::optional<std::int64_t> earliestDue() {
  std::optional<std::int64_t> due;
  for (const HeadlessTimer* timer : timers) {
    if (timer->active && (!due || timer->due < *due)) due = timer->due;
  }
  return due;
}

}  // namespace

HeadlessTimer::HeadlessTimer(Timer& timerFront) : front(timerFront) {
  timers.push_back(this);
}

HeadlessTimer::~HeadlessTimer() {
  std::erase(timers, this);
}

void HeadlessTimer::start(int intervalMs) {
  active = true;
  interval = intervalMs;
  due = virtualNow + intervalMs;
  sequence = ++startSequence;
}

void HeadlessTimer::stop() {
  active = false;
}

void advance(int ms) {
  const std::int64_t target = virtualNow + ms;
  while (HeadlessTimer* timer = nextDue(target)) {
    virtualNow = std::max(virtualNow, timer->due);
    timer->due += timer->interval;
    backend::FrontAccess::ticked(timer->front);
  }
  virtualNow = std::max(virtualNow, target);
}

std::int64_t now() {
  return virtualNow;
}

int activeTimerCount() {
  return static_cast<int>(std::count_if(timers.begin(), timers.end(),
                                        [](const HeadlessTimer* timer) { return timer->active; }));
}

void runRealTime(int ms) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const std::int64_t base = virtualNow;
  auto elapsed = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  };
  // A thread held up by a busy machine may wake after the end: the clock still stops there.
  auto catchUp = [&] {
    const std::int64_t target = base + std::min<std::int64_t>(elapsed(), ms);
    advance(static_cast<int>(std::max<std::int64_t>(0, target - virtualNow)));
  };
  while (!quitRequested() && elapsed() < ms) {
    catchUp();
    const std::int64_t until = std::min<std::int64_t>(earliestDue().value_or(LLONG_MAX), base + ms);
    const std::int64_t wait = until - (base + elapsed());
    if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  }
  // The last wait counts as well, so that runs one after another keep pace with the clock.
  if (!quitRequested())
    advance(static_cast<int>(std::max<std::int64_t>(0, base + ms - virtualNow)));
}

}  // namespace tk::headless

namespace tk::backend {

std::unique_ptr<TimerPeer> createTimer(WindowPeer&, Timer& front) {
  return std::make_unique<headless::HeadlessTimer>(front);
}

}  // namespace tk::backend
