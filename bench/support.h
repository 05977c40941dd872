// What the benchmark cases share: a private start directory, the device simulator as a
// child process, the process's CPU and memory, the command line and the figures printed.
//
// Every case prints its figures as "name=value" lines on stdout; bench/run.sh puts them
// side by side with the baseline's.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/bytelines.h"

namespace bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);
// The middle value; of an even count, the upper of the two.
double median(std::vector<double> values);

// One fwrite of `text` to a new file `path`, with `sync` also an fsync: what every save is
// set beside.
double fwriteSeconds(const std::string& text, const std::filesystem::path& path, bool sync);
// The save of `lines` to `path`.
double saveSeconds(const core::ByteLines& lines, const std::filesystem::path& path);

// Each of `ways` timed once a round, `rounds` times, in an order that turns from round to
// round, each after the files `scratch` are removed and the page cache is synced: a write
// that follows a large one waits for the disk to take that one too, so in a fixed order the
// last way pays for the others (a 547 MB save took 1.0 to 1.2 s after two fwrites of the
// same text, 0.4 s before them). The seconds, way by way.
std::vector<std::vector<double>> timeInTurns(int rounds,
                                             const std::vector<std::function<double()>>& ways,
                                             const std::vector<std::filesystem::path>& scratch);

// A fresh directory under the system's temporary folder, removed with all it holds.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// tools/devsim on a pseudo-terminal of its own, linked as `link` (never a real port).
class Devsim {
 public:
  Devsim(const std::filesystem::path& link, const std::vector<std::string>& options);
  ~Devsim();
  Devsim(const Devsim&) = delete;
  Devsim& operator=(const Devsim&) = delete;

  // Ends the simulator and returns the bytes it sent in all.
  std::uint64_t stop();

 private:
  std::filesystem::path report_;
  pid_t pid_ = -1;
};

// A byte cycle of prime length: a lost run of bytes shifts the pattern unless its length is
// a multiple of 251, which neither a 1,000-byte pass nor a 4,096-byte write is.
inline constexpr int kPatternCycle = 251;
std::string patternOption();
int patternByte(std::uint64_t index);
// devsim's options for a device that answers the request with the pattern: rate x seconds
// bytes at that pace or, with rate 0, a stream as fast as the line takes it.
std::vector<std::string> deviceOptions(double rate, int seconds);

struct Usage {
  double cpuSeconds = 0;  // user + system
  std::uint64_t peakRssBytes = 0;
};
Usage processUsage();
std::uint64_t currentRssBytes();
// CPU seconds of the calling thread's process split into its main thread and all others
// (the serial worker), from /proc.
struct ThreadSplit {
  double mainSeconds = 0;
  double otherSeconds = 0;
};
ThreadSplit threadCpu();

// "--name value" pairs.
class Arguments {
 public:
  Arguments(int argc, char** argv);
  double number(const std::string& name, double fallback) const;
  std::string text(const std::string& name, const std::string& fallback) const;

 private:
  std::map<std::string, std::string> values_;
};

void print(const std::string& name, double value);
void print(const std::string& name, const std::string& value);

}  // namespace bench
