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
constexpr int idleWaitMs = 100;  // how often the time limit is looked at
}  // namespace

Device::Device(const Options& options, Payload payload, const PseudoTerminal& terminal)
    : options_(options),
      payload_(std::move(payload)),
      terminal_(terminal),
      master_(terminal.master()) {
  deadline_ = options.timeoutSeconds == 0
                  ? Clock::time_point::max()
                  : Clock::now() + std::chrono::seconds(options.timeoutSeconds);
  if (options.unprompted) queueAnswer();
}

void Device::run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
  while (!stop && !timedOut()) {
    terminal_.allowReopen();
    const bool sending = allowance() > 0;
    pollfd watch{master_, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
    const int ms = waitMs();
    const timespec timeout{ms / 1000, (ms % 1000) * 1'000'000L};
    if (::ppoll(&watch, 1, &timeout, &waitMask) < 0) {
      if (errno == EINTR) continue;
      std::perror("devsim: poll");
      return;
    }
    if (watch.revents & POLLIN) receive();
    if (watch.revents & POLLOUT) send();
  }
}

void Device::receive() {
  std::uint8_t buffer[4096];
  const ssize_t got = ::read(master_, buffer, sizeof buffer);
  for (ssize_t i = 0; i < got; ++i) {
    ++counts_.received;
    if (counts_.firstReceived.size() < 256) counts_.firstReceived.push_back(buffer[i]);
    if (buffer[i] == options_.request) onRequest();
  }
}

void Device::onRequest() {
  ++counts_.requests;
  say("request %llu\n", counts_.requests);
  if (!options_.once || answersQueued_ == 0) queueAnswer();
}

void Device::queueAnswer() {
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
  if (answers_.empty()) return 0;
  std::uint64_t allowed = std::min(answers_.front() - sentInAnswer_, chunkSize);
  if (options_.rate == 0) return allowed;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - answerStart_);
  const std::uint64_t due = static_cast<std::uint64_t>(elapsed.count()) * options_.rate / 1'000'000;
  return due > sentInAnswer_ ? std::min(allowed, due - sentInAnswer_) : 0;
}

int Device::waitMs() const {
  if (!answers_.empty() && options_.rate > 0 && allowance() == 0) {
    return std::clamp(static_cast<int>(1000 / options_.rate), 1, idleWaitMs);
  }
  return idleWaitMs;
}

void Device::send() {
  const std::uint64_t count = allowance();
  if (count == 0) return;
  std::uint8_t buffer[chunkSize];
  for (std::uint64_t i = 0; i < count; ++i) buffer[i] = payload_.at(sentInAnswer_ + i);
  const ssize_t put = ::write(master_, buffer, count);
  if (put <= 0) return;
  sentInAnswer_ += static_cast<std::uint64_t>(put);
  counts_.sent += static_cast<std::uint64_t>(put);
  if (sentInAnswer_ == answers_.front()) finishAnswer();
}

void Device::finishAnswer() {
  answers_.pop_front();
  say("sent %llu\n", counts_.sent);
  writeReport();
  if (!answers_.empty()) beginAnswer();
}

bool Device::timedOut() const {
  return Clock::now() >= deadline_;
}

void Device::say(const char* format, unsigned long long value) const {
  if (options_.quiet) return;
  std::printf(format, value);
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
