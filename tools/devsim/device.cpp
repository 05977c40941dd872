#include "device.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

namespace devsim {

namespace {
constexpr std::uint64_t chunkSize = 4096;
constexpr int idleWaitMs = 100;    // how often the time limit is looked at
constexpr int pollProgramMs = 10;  // how often a replugged terminal is looked at
}  // namespace

Device::Device(const Options& options, Payload payload, LinkedTerminal& port)
    : options_(options), payload_(std::move(payload)), port_(port) {
  deadline_ = options.timeoutSeconds == 0
                  ? Clock::time_point::max()
                  : Clock::now() + std::chrono::seconds(options.timeoutSeconds);
  if (options.holdMs > 0) holdLine();
  if (options.unprompted) queueAnswer();
}

void Device::run(SignalRequests& requests, const sigset_t& waitMask) {
  if (holding()) announce("held");
  while (!requests.stop && !timedOut()) {
    followPlugRequests(requests);
    releaseWhenDue();
    noticeProgram();
    if (!waitAndServe(waitMask)) return;
  }
}

bool Device::waitAndServe(const sigset_t& waitMask) {
  // Unplugged, the descriptor is -1, which ppoll passes over: it just waits.
  pollfd watch{port_.terminal().master(), wantedEvents(), 0};
  const int ms = waitMs();
  const timespec timeout{ms / 1000, (ms % 1000) * 1'000'000L};
  if (::ppoll(&watch, 1, &timeout, &waitMask) < 0) {
    if (errno == EINTR) return true;
    std::perror("devsim: poll");
    return false;
  }
  if (watch.revents & POLLIN) receive();
  if (watch.revents & POLLOUT) send();
  return true;
}

short Device::wantedEvents() const {
  if (!port_.pluggedIn()) return 0;
  short events = 0;
  if (!holding()) events |= POLLIN;  // a held line takes nothing in
  if (allowance() > 0) events |= POLLOUT;
  return events;
}

void Device::followPlugRequests(SignalRequests& requests) {
  if (requests.unplug) {
    requests.unplug = 0;
    unplug();
  }
  if (requests.replug) {
    requests.replug = 0;
    replug();
  }
}

void Device::unplug() {
  if (!port_.pluggedIn()) return;
  port_.unplug();
  unpluggedAt_ = Clock::now();
  announce("unplugged");
}

void Device::replug() {
  if (port_.pluggedIn()) return;
  std::string error;
  if (!port_.plugIn(error)) {
    std::fprintf(stderr, "devsim: replug: %s\n", error.c_str());
    return;
  }
  // The pace takes up where it stopped instead of catching up on the time unplugged.
  answerStart_ += Clock::now() - unpluggedAt_;
  // A USB adapter passes on nothing until a program opens its port: bytes sent into a
  // terminal nobody has set up would meet the kernel's echo and line editing instead.
  awaitingProgram_ = !options_.raw;
  if (holding()) port_.terminal().holdOutput(true);
  announce("replugged " + port_.link() + " " + port_.terminal().slaveName());
}

void Device::holdLine() {
  port_.terminal().holdOutput(true);
  holdEnd_ = Clock::now() + std::chrono::milliseconds(options_.holdMs);
}

void Device::releaseWhenDue() {
  if (!holding() || Clock::now() < *holdEnd_) return;
  holdEnd_.reset();
  if (port_.pluggedIn()) port_.terminal().holdOutput(false);
  announce("released");
}

void Device::noticeProgram() {
  if (awaitingProgram_ && port_.pluggedIn() && port_.terminal().setUpByProgram()) {
    awaitingProgram_ = false;
  }
}

void Device::receive() {
  std::uint8_t buffer[4096];
  const ssize_t got = ::read(port_.terminal().master(), buffer, sizeof buffer);
  for (ssize_t i = 0; i < got; ++i) {
    ++counts_.received;
    if (counts_.firstReceived.size() < 256) counts_.firstReceived.push_back(buffer[i]);
    if (buffer[i] == options_.request) onRequest();
  }
}

void Device::onRequest() {
  ++counts_.requests;
  sayProgress("request " + std::to_string(counts_.requests));
  if (!options_.once || answersQueued_ == 0) queueAnswer();
}

void Device::queueAnswer() {
  // A stream never ends, so an answer queued behind it would never start. With echo on
  // (a terminal in its default settings), a count stream brings its own 0x41 back.
  if (!answers_.empty() && answers_.front() == endless) return;
  ++answersQueued_;
  answers_.push_back(options_.stream ? endless : options_.bytes.value_or(payload_.cycleLength()));
  if (answers_.size() == 1) beginAnswer();
}

void Device::beginAnswer() {
  sentInAnswer_ = 0;
  answerStart_ = Clock::now();
  if (answers_.front() == 0) finishAnswer();
}

// How many bytes may go out now: what is left of the answer, within the pace.
std::uint64_t Device::allowance() const {
  if (answers_.empty() || awaitingProgram_) return 0;
  std::uint64_t allowed = std::min(answers_.front() - sentInAnswer_, chunkSize);
  if (options_.rate == 0) return allowed;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - answerStart_);
  const std::uint64_t due = static_cast<std::uint64_t>(elapsed.count()) * options_.rate / 1'000'000;
  return due > sentInAnswer_ ? std::min(allowed, due - sentInAnswer_) : 0;
}

int Device::waitMs() const {
  int ms = awaitingProgram_ ? pollProgramMs : idleWaitMs;
  if (port_.pluggedIn() && !answers_.empty() && options_.rate > 0 && allowance() == 0) {
    ms = std::clamp(static_cast<int>(1000 / options_.rate), 1, idleWaitMs);
  }
  if (holding()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*holdEnd_ - Clock::now());
    ms = std::clamp(static_cast<int>(left.count()), 0, ms);
  }
  return ms;
}

void Device::send() {
  const std::uint64_t count = allowance();
  if (count == 0) return;
  std::uint8_t buffer[chunkSize];
  for (std::uint64_t i = 0; i < count; ++i) buffer[i] = payload_.at(sentInAnswer_ + i);
  const ssize_t put = ::write(port_.terminal().master(), buffer, count);
  if (put <= 0) return;
  sentInAnswer_ += static_cast<std::uint64_t>(put);
  counts_.sent += static_cast<std::uint64_t>(put);
  if (sentInAnswer_ == answers_.front()) finishAnswer();
}

void Device::finishAnswer() {
  answers_.pop_front();
  sayProgress("sent " + std::to_string(counts_.sent));
  writeReport();
  if (!answers_.empty()) beginAnswer();
}

bool Device::timedOut() const {
  return Clock::now() >= deadline_;
}

void Device::sayProgress(const std::string& line) const {
  if (!options_.quiet) announce(line);
}

void Device::announce(const std::string& line) const {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Device::writeReport() const {
  if (options_.reportFile.empty()) return;
  const std::string temporary = options_.reportFile + ".tmp";
  {
    std::ofstream report(temporary, std::ios::trunc);
    report << "received=" << counts_.received << "\nrequests=" << counts_.requests
           << "\nsent=" << counts_.sent << "\nreceived_bytes=";
    for (std::size_t i = 0; i < counts_.firstReceived.size(); ++i) {
      report << (i ? " " : "") << static_cast<unsigned>(counts_.firstReceived[i]);
    }
    report << "\n";
  }
  std::rename(temporary.c_str(), options_.reportFile.c_str());
}

}  // namespace devsim
