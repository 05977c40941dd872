#include "support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace bench {

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double fwriteSeconds(const std::string& text, const std::filesystem::path& path, bool sync) {
  const auto start = Clock::now();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
  if (sync) ::fsync(::fileno(file));
  std::fclose(file);
  return secondsSince(start);
}

double saveSeconds(const core::ByteLines& lines, const std::filesystem::path& path) {
  const auto start = Clock::now();
  lines.saveToFile(path.string());
  return secondsSince(start);
}

std::vector<std::vector<double>> timeInTurns(int rounds,
                                             const std::vector<std::function<double()>>& ways,
                                             const std::vector<std::filesystem::path>& scratch) {
  std::vector<std::vector<double>> seconds(ways.size());
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t turn = 0; turn < ways.size(); ++turn) {
      const std::size_t way = (turn + static_cast<std::size_t>(round)) % ways.size();
      for (const auto& path : scratch) std::filesystem::remove(path);
      ::sync();
      seconds[way].push_back(ways[way]());
    }
  }
  return seconds;
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "querlan-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

namespace {

void waitForFile(const std::filesystem::path& path) {
  const auto start = Clock::now();
  while (!std::filesystem::exists(path)) {
    if (secondsSince(start) > 10) throw std::runtime_error("devsim did not start");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::uint64_t sentIn(const std::filesystem::path& report) {
  std::ifstream in(report);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("sent=")) return std::stoull(line.substr(5));
  }
  throw std::runtime_error("devsim wrote no report");
}

}  // namespace

Devsim::Devsim(const std::filesystem::path& link, const std::vector<std::string>& options)
    : report_(link.string() + ".report") {
  const std::filesystem::path ready = link.string() + ".ready";
  std::vector<std::string> words = {DEVSIM_PATH,    "--link",   link.string(),    "--ready-file",
                                    ready.string(), "--report", report_.string(), "--quiet"};
  words.insert(words.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // Its own report lines would mix with the figures on stdout.
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const int failed = ::posix_spawn(&pid_, DEVSIM_PATH, &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start devsim");
  waitForFile(ready);
}

Devsim::~Devsim() {
  if (pid_ > 0) stop();
}

std::uint64_t Devsim::stop() {
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
  return sentIn(report_);
}

std::string patternOption() {
  std::string option = "hex:";
  char digits[3];
  for (int value = 0; value < kPatternCycle; ++value) {
    std::snprintf(digits, sizeof digits, "%02x", value);
    option += digits;
  }
  return option;
}

std::vector<std::string> deviceOptions(double rate, int seconds) {
  std::vector<std::string> options = {"--pattern", patternOption()};
  if (rate == 0) {
    options.emplace_back("--stream");
  } else {
    const auto bytes = static_cast<std::uint64_t>(rate * seconds);
    options.insert(options.end(), {"--rate", std::to_string(static_cast<std::uint64_t>(rate)),
                                   "--bytes", std::to_string(bytes)});
  }
  return options;
}

int patternByte(std::uint64_t index) {
  return static_cast<int>(index % kPatternCycle);
}

Usage processUsage() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  return {seconds(usage.ru_utime) + seconds(usage.ru_stime),
          static_cast<std::uint64_t>(usage.ru_maxrss) * 1024};
}

std::uint64_t currentRssBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t size = 0;
  std::uint64_t resident = 0;
  statm >> size >> resident;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

namespace {

double threadSeconds(const std::filesystem::path& stat) {
  std::ifstream in(stat);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name, which ends with the last ')': state is field 3, utime
  // and stime are fields 14 and 15.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number >= 14) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace

ThreadSplit threadCpu() {
  ThreadSplit split;
  const std::string self = std::to_string(::getpid());
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    const double seconds = threadSeconds(task.path() / "stat");
    (task.path().filename() == self ? split.mainSeconds : split.otherSeconds) += seconds;
  }
  return split;
}

Arguments::Arguments(int argc, char** argv) {
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    if (!name.starts_with("--")) throw std::runtime_error("expected --name value: " + name);
    values_[name.substr(2)] = argv[i + 1];
  }
}

double Arguments::number(const std::string& name, double fallback) const {
  const auto found = values_.find(name);
  return found == values_.end() ? fallback : std::stod(found->second);
}

std::string Arguments::text(const std::string& name, const std::string& fallback) const {
  const auto found = values_.find(name);
  return found == values_.end() ? fallback : found->second;
}

void print(const std::string& name, double value) {
  std::printf("%s=%.10g\n", name.c_str(), value);
  std::fflush(stdout);
}

void print(const std::string& name, const std::string& value) {
  std::printf("%s=%s\n", name.c_str(), value.c_str());
  std::fflush(stdout);
}

}  // namespace bench
