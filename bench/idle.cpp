// Idle: the started program with nothing arriving, on the real clock. Its baseline is the
// bare wake-ups the design asks for: a thread that sleeps 1 ms at a time beside one that
// sleeps 10 ms at a time, doing nothing else.
#include <atomic>
#include <thread>

#include "cases.h"
#include "program.h"
#include "toolkit/headless/headless.h"

namespace bench {

int runIdle(const Arguments& arguments) {
  const double seconds = arguments.number("seconds", 30);
  ScratchDir directory;
  Devsim device(directory.path() / "COM1", {});
  const std::string shown = startProgram(directory.path(), {});
  if (!shown.empty()) throw std::runtime_error("start-up: " + shown);
  const double cpuBefore = processUsage().cpuSeconds;
  const ThreadSplit before = threadCpu();
  tk::headless::runRealTime(static_cast<int>(seconds * 1000));
  const double cpu = processUsage().cpuSeconds - cpuBefore;
  const ThreadSplit after = threadCpu();
  print("seconds", seconds);
  print("cpu_s", cpu);
  print("cpu_pct", 100 * cpu / seconds);
  print("main_pct", 100 * (after.mainSeconds - before.mainSeconds) / seconds);
  print("worker_pct", 100 * (after.otherSeconds - before.otherSeconds) / seconds);
  return 0;
}

int runIdleBaseline(const Arguments& arguments) {
  const double seconds = arguments.number("seconds", 30);
  const double cpuBefore = processUsage().cpuSeconds;
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  const auto start = Clock::now();
  while (secondsSince(start) < seconds) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  stop = true;
  worker.join();
  const double cpu = processUsage().cpuSeconds - cpuBefore;
  print("seconds", seconds);
  print("cpu_s", cpu);
  print("cpu_pct", 100 * cpu / seconds);
  return 0;
}

}  // namespace bench
