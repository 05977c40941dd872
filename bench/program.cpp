#include "program.h"

#include <fstream>

#include "port_guard.h"
#include "toolkit/headless/headless.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace bench {

namespace headless = tk::headless;

std::string startProgram(const std::filesystem::path& directory, const ProgramSettings& settings) {
  faults::allowOnlyLinkedCom1();
  std::filesystem::current_path(directory);
  std::ofstream(directory / "Setup.txt", std::ios::binary)
      << "0\r\n0\r\n500\r\n300\r\n0\r\n0\r\n500\r\n300\r\n0\r\n"
      << settings.baudRate << "\r\n"
      << settings.recTime << "\r\n"
      << settings.destination << "\r\n";
  headless::setProgramPath("/usr/local/bin/Querlan");
  fMain = new TfMain;
  fSetup = new TfSetup;
  headless::advance(1);
  std::string shown;
  for (const auto& message : headless::messages()) shown += message.caption + ": " + message.text;
  headless::clearMessages();
  return shown;
}

void runUntil(const std::function<bool()>& done, double seconds) {
  const auto start = Clock::now();
  while (!done() && secondsSince(start) < seconds) headless::runRealTime(50);
}

TickWatch::TickWatch(tk::Timer& timer, std::function<void()> afterTick)
    : afterTick_(std::move(afterTick)) {
  timer.onTimer = [this, handler = timer.onTimer] { tick(handler); };
}

void TickWatch::reset() {
  lastTick_ = {};
  longestGapMs_ = 0;
  longestTickMs_ = 0;
}

void TickWatch::tick(const tk::Handler& handler) {
  const auto start = Clock::now();
  if (lastTick_ != Clock::time_point{}) {
    longestGapMs_ = std::max(longestGapMs_, secondsSince(lastTick_) * 1000);
  }
  lastTick_ = start;
  handler();
  afterTick_();
  longestTickMs_ = std::max(longestTickMs_, secondsSince(start) * 1000);
}

}  // namespace bench
