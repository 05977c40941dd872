// The main thread's part of a capture, reproducible for valgrind --tool=callgrind: no
// device (COM1 is a dangling link, so the port fails to open and the worker only waits)
// and virtual time, with the bytes put into the receive queue by the benchmark itself.
//   --phase idle     ticks of the poll timer with nothing arriving
//   --phase capture  a recording of --bytes bytes, 3,000 per tick (300,000 B/s), saved
#include <unistd.h>

#include <stdexcept>

#include "cases.h"
#include "program.h"
#include "serial/queues.h"
#include "toolkit/headless/headless.h"
#include "windows/Main.h"

namespace bench {
namespace {

constexpr int kBytesPerTick = 3000;

void startWithoutDevice(const ScratchDir& directory) {
  const auto link = directory.path() / "COM1";
  if (::symlink((directory.path() / "no-device").c_str(), link.c_str()) != 0) {
    throw std::runtime_error("cannot link COM1");
  }
  const std::string shown = startProgram(directory.path(), {});
  if (shown.find("Schnittstelle nicht zu öffnen") == std::string::npos) {
    throw std::runtime_error("the port should have failed to open: " + shown);
  }
}

void recordBytes(std::uint64_t bytes) {
  fMain->bHolen.click();
  for (std::uint64_t sent = 0; sent < bytes;) {
    for (int i = 0; i < kBytesPerTick && sent < bytes; ++i) RxPut(patternByte(sent++));
    tk::headless::advance(10);
  }
  fMain->bAbbrechen.click();
}

}  // namespace

int runProfile(const Arguments& arguments) {
  ScratchDir directory;
  startWithoutDevice(directory);
  const std::string phase = arguments.text("phase", "capture");
  if (phase == "idle") {
    const auto ticks = static_cast<int>(arguments.number("ticks", 6000));
    tk::headless::advance(10 * ticks);
    print("ticks", ticks);
  } else {
    const auto bytes = static_cast<std::uint64_t>(arguments.number("bytes", 3e6));
    recordBytes(bytes);
    print("bytes", static_cast<double>(bytes));
    print("file_bytes", static_cast<double>(std::filesystem::file_size("out.txt")));
  }
  return 0;
}

}  // namespace bench
