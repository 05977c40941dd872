// RunClockMs on a monotonic clock, from the start of the process.
#include <chrono>

#include "serial/queues.h"

namespace {

const auto processStart = std::chrono::steady_clock::now();

}  // namespace

std::uint32_t RunClockMs() {
  const auto elapsed = std::chrono::steady_clock::now() - processStart;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  return static_cast<std::uint32_t>(ms);
}
