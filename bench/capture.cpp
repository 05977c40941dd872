// Capture: devsim streams into a running recording, the real windows and worker on the real
// clock. Throttled, the device sends rate x seconds bytes and the recording lasts two
// seconds longer, so that every byte sent should be in the file; unthrottled, it streams
// for the whole recording.
#include "cases.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "program.h"
#include "windows/Main.h"
#include "windows/Recording.h"

namespace bench {
namespace {

struct CaptureRun {
  double rate = 0;  // bytes per second; 0: unthrottled
  int seconds = 60;
  std::uint64_t bytes() const { return static_cast<std::uint64_t>(rate * seconds); }
};

// How far the recording is behind the device, from the time the request went out.
class BacklogWatch {
 public:
  explicit BacklogWatch(const CaptureRun& run) : run_(run) {}
  void begin() { start_ = Clock::now(); }
  void sample() {
    if (run_.rate == 0 || Capturing != 1) return;
    const double due =
        std::min(static_cast<double>(run_.bytes()), run_.rate * secondsSince(start_));
    worst_ = std::max(worst_, due - static_cast<double>(CaptureCount));
  }
  double worstBytes() const { return worst_; }

 private:
  const CaptureRun& run_;
  Clock::time_point start_;
  double worst_ = 0;
};

// The process's CPU and memory at one moment.
struct Sample {
  Clock::time_point at;
  double cpuSeconds = 0;
  ThreadSplit threads;
  std::uint64_t rssBytes = 0;
};

Sample sample() {
  return {Clock::now(), processUsage().cpuSeconds, threadCpu(), currentRssBytes()};
}

struct StopFigures {
  Sample beforeStop;
  double saveSeconds = 0;
};

void watchStop(StopFigures& figures) {
  fMain->tDatenEnd.onTimer = [&figures, handler = fMain->tDatenEnd.onTimer] {
    figures.beforeStop = sample();
    const auto start = Clock::now();
    handler();
    figures.saveSeconds = secondsSince(start);
  };
}

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The number of lines, from the first, that hold the pattern's bytes in order.
std::uint64_t intactLines(const std::string& text) {
  std::uint64_t index = 0;
  char expected[8];
  for (std::size_t at = 0; at < text.size(); ++index) {
    const int length = std::snprintf(expected, sizeof expected, "%d\r\n", patternByte(index));
    if (text.compare(at, static_cast<std::size_t>(length), expected) != 0) break;
    at += static_cast<std::size_t>(length);
  }
  return index;
}

// CPU from the start of the recording to its stop, the save not included.
void printCpu(const Sample& start, const Sample& stop) {
  const double seconds = std::chrono::duration<double>(stop.at - start.at).count();
  print("recording_s", seconds);
  print("cpu_s", stop.cpuSeconds - start.cpuSeconds);
  print("cpu_pct", 100 * (stop.cpuSeconds - start.cpuSeconds) / seconds);
  print("main_pct", 100 * (stop.threads.mainSeconds - start.threads.mainSeconds) / seconds);
  print("worker_pct", 100 * (stop.threads.otherSeconds - start.threads.otherSeconds) / seconds);
}

// A small file is written in milliseconds, where one flush that the disk takes its time
// over decides the ratio: small files are compared more often. A large one is compared six
// times, so that each of the three writes comes first, second and last twice. The first
// round also pays for memory the page cache has not held before; the median leaves it out.
int comparisons(std::size_t fileBytes) {
  return fileBytes < 20'000'000 ? 15 : 6;
}

// The save as the stop did it, and then, in turns and each with nothing dirty in the page
// cache left by another, one fwrite of the same text, one fwrite with fsync, and the same
// save again.
void printFile(const std::filesystem::path& directory, const StopFigures& stop) {
  const std::string text = readAll(directory / "out.txt");
  print("file_bytes", static_cast<double>(text.size()));
  print("recorded", static_cast<double>(std::count(text.begin(), text.end(), '\n')));
  print("intact", static_cast<double>(intactLines(text)));
  print("save_s", stop.saveSeconds);
  const int rounds = comparisons(text.size());
  const std::filesystem::path plain = directory / "fwrite.txt";
  const std::filesystem::path synced = directory / "fwrite-sync.txt";
  const std::filesystem::path again = directory / "again.txt";
  const std::vector<std::vector<double>> seconds =
      timeInTurns(rounds,
                  {[&] { return fwriteSeconds(text, plain, false); },
                   [&] { return fwriteSeconds(text, synced, true); },
                   [&] { return saveSeconds(*CaptureLines, again); }},
                  {plain, synced, again});
  print("comparisons", rounds);
  print("fwrite_s", median(seconds[0]));
  print("fwrite_fsync_s", median(seconds[1]));
  print("save_again_s", median(seconds[2]));
}

}  // namespace

int runCapture(const Arguments& arguments) {
  const CaptureRun run{arguments.number("rate", 0),
                       static_cast<int>(arguments.number("seconds", 60))};
  ScratchDir directory;
  Devsim device(directory.path() / "COM1", deviceOptions(run.rate, run.seconds));
  const int recTime = run.seconds + (run.rate > 0 ? 2 : 0);
  const std::string shown = startProgram(directory.path(), {recTime, 3'000'000, "out.txt"});
  if (!shown.empty()) throw std::runtime_error("start-up: " + shown);

  BacklogWatch backlog(run);
  TickWatch ticks(fMain->tDatenCont, [&] { backlog.sample(); });
  StopFigures stop;
  watchStop(stop);
  const Sample start = sample();
  fMain->bHolen.click();
  backlog.begin();
  runUntil([] { return Capturing == 0; }, recTime + 30);

  print("rate_target", run.rate);
  print("seconds", recTime);
  printCpu(start, stop.beforeStop);
  print("rss_before", static_cast<double>(start.rssBytes));
  print("peak_rss", static_cast<double>(processUsage().peakRssBytes));
  print("longest_tick_gap_ms", ticks.longestGapMs());
  print("longest_tick_ms", ticks.longestTickMs());
  print("max_backlog_bytes", backlog.worstBytes());
  print("sent", static_cast<double>(device.stop()));
  printFile(directory.path(), stop);
  return 0;
}

}  // namespace bench
