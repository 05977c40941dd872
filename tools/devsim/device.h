// The simulated device: listens on the pseudo-terminal's master side, counts what arrives,
// and answers request bytes with the payload, paced when a rate is given.
#pragma once

#include <signal.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <vector>

#include "options.h"
#include "payload.h"
#include "terminal.h"

namespace devsim {

struct Counts {
  std::uint64_t received = 0;
  std::uint64_t requests = 0;
  std::uint64_t sent = 0;
  std::vector<std::uint8_t> firstReceived;  // the first 256 bytes that arrived
};

class Device {
 public:
  Device(const Options& options, Payload payload, const PseudoTerminal& terminal);

  // Runs until `stop` is set by a signal (which ppoll lets in through `waitMask`) or the
  // time limit has passed.
  void run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);
  const Counts& counts() const { return counts_; }
  void writeReport() const;

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::uint64_t endless = UINT64_MAX;

  void receive();
  void onRequest();
  void queueAnswer();
  void beginAnswer();
  void send();
  void finishAnswer();
  std::uint64_t allowance() const;
  int waitMs() const;
  bool timedOut() const;
  void say(const char* format, unsigned long long value) const;

  const Options& options_;
  Payload payload_;
  const PseudoTerminal& terminal_;
  int master_;
  Counts counts_;
  std::uint64_t answersQueued_ = 0;
  std::deque<std::uint64_t> answers_;  // lengths still to send; the front is in progress
  std::uint64_t sentInAnswer_ = 0;
  Clock::time_point answerStart_;
  Clock::time_point deadline_;
};

}  // namespace devsim
