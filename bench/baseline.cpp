// The baseline of the capture: a plain blocking reader that sends the request byte and
// copies the same pseudo-terminal into a file, with nothing else to do.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "cases.h"

namespace bench {
namespace {

int openRaw(const std::filesystem::path& port) {
  const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + port.string());
  termios settings{};
  ::tcgetattr(fd, &settings);
  ::cfmakeraw(&settings);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &settings);
  return fd;
}

struct Copy {
  std::uint64_t bytes = 0;
  double worstBacklog = 0;  // bytes behind the device's pace, the device's own lag included
};

// Copies until `limit` bytes have come or, with no limit, until the time is up.
Copy copyPort(int fd, std::FILE* out, double rate, std::uint64_t limit, double seconds) {
  static char buffer[65536];
  Copy copy;
  const auto start = Clock::now();
  while (limit > 0 ? copy.bytes < limit : secondsSince(start) < seconds) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    std::fwrite(buffer, 1, static_cast<std::size_t>(got), out);
    copy.bytes += static_cast<std::uint64_t>(got);
    const double due = std::min(static_cast<double>(limit), rate * secondsSince(start));
    copy.worstBacklog = std::max(copy.worstBacklog, due - static_cast<double>(copy.bytes));
  }
  return copy;
}

std::uint64_t intactBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::uint64_t index = 0;
  for (char byte; in.get(byte) && static_cast<unsigned char>(byte) == patternByte(index);) ++index;
  return index;
}

}  // namespace

int runBaseline(const Arguments& arguments) {
  const double rate = arguments.number("rate", 0);
  const int seconds = static_cast<int>(arguments.number("seconds", 60));
  const auto limit = static_cast<std::uint64_t>(rate * seconds);
  ScratchDir directory;
  Devsim device(directory.path() / "COM1", deviceOptions(rate, seconds));
  const int fd = openRaw(directory.path() / "COM1");
  const std::filesystem::path copy = directory.path() / "copy.bin";
  std::FILE* out = std::fopen(copy.c_str(), "wb");
  const double cpuBefore = processUsage().cpuSeconds;
  const auto start = Clock::now();
  const char request = 0x41;
  if (::write(fd, &request, 1) != 1) throw std::runtime_error("cannot send the request");
  const Copy copied = copyPort(fd, out, rate, limit, seconds);
  std::fclose(out);
  const double elapsed = secondsSince(start);
  const double cpu = processUsage().cpuSeconds - cpuBefore;

  print("rate_target", rate);
  print("seconds", elapsed);
  print("cpu_s", cpu);
  print("cpu_pct", 100 * cpu / elapsed);
  print("peak_rss", static_cast<double>(processUsage().peakRssBytes));
  print("sent", static_cast<double>(device.stop()));
  print("recorded", static_cast<double>(copied.bytes));
  print("max_backlog_bytes", copied.worstBacklog);
  print("intact", static_cast<double>(intactBytes(copy)));
  ::close(fd);
  return 0;
}

}  // namespace bench
