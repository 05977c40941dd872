// The real windows on the headless toolkit with the real worker, started from a settings
// file in a start directory, as the program starts in the directory it was run from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "support.h"
#include "toolkit/toolkit.h"

namespace bench {

struct ProgramSettings {
  int recTime = 240;
  int baudRate = 9600;
  std::string destination = "out.txt";
};

// Makes `directory` the current one, writes its Setup.txt and runs the deferred start-up.
// Messages shown by the start-up (a port that failed to open) are returned, one a line.
std::string startProgram(const std::filesystem::path& directory, const ProgramSettings& settings);

// Runs the message loop on the real clock until `done` or `seconds` have passed.
void runUntil(const std::function<bool()>& done, double seconds);

// Watches a timer's ticks on the real clock: the longest time from one tick to the next and
// the longest tick, the signs of a window that stops answering.
class TickWatch {
 public:
  explicit TickWatch(
      tk::Timer& timer, std::function<void()> afterTick = [] {});
  double longestGapMs() const { return longestGapMs_; }
  double longestTickMs() const { return longestTickMs_; }
  void reset();

 private:
  void tick(const tk::Handler& handler);

  std::function<void()> afterTick_;
  Clock::time_point lastTick_{};
  double longestGapMs_ = 0;
  double longestTickMs_ = 0;
};

}  // namespace bench
