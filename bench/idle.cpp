// Idle: the started program with nothing arriving, on the real clock. Its baseline is the
// bare wake-ups the design asks for: a thread that sleeps 1 ms at a time beside one that
// sleeps 10 ms at a time, doing nothing else. With --port-check 1 the 1 ms sleeper also asks
// a pseudo-terminal how many bytes wait, once a pass, as the worker's pass must: the floor
// of the design itself, one system call a pass above the bare wake-ups.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <optional>
#include <stdexcept>
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
  const bool checkPort = arguments.number("port-check", 0) != 0;
  std::optional<ScratchDir> directory;
  std::optional<Devsim> device;
  int port = -1;
  if (checkPort) {
    directory.emplace();
    device.emplace(directory->path() / "COM1", std::vector<std::string>{});
    port = ::open((directory->path() / "COM1").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port < 0) throw std::runtime_error("cannot open the simulator's port");
  }
  const double cpuBefore = processUsage().cpuSeconds;
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    while (!stop) {
      if (port >= 0) {
        int waiting = 0;
        ::ioctl(port, FIONREAD, &waiting);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const auto start = Clock::now();
  while (secondsSince(start) < seconds) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  stop = true;
  worker.join();
  const double cpu = processUsage().cpuSeconds - cpuBefore;
  print("seconds", seconds);
  print("cpu_s", cpu);
  print("cpu_pct", 100 * cpu / seconds);
  if (port >= 0) ::close(port);
  return 0;
}

}  // namespace bench
