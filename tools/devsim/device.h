// The simulated device: listens on the pseudo-terminal's master side, counts what arrives,
// and answers request bytes with the payload, paced when a rate is given. It can hold the
// line for a while after the start, and be unplugged and plugged in again.
#pragma once

#include <signal.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
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

// What signal handlers ask of the device. The device reads and clears the flags only while
// those signals are blocked, so none is lost.
struct SignalRequests {
  volatile std::sig_atomic_t stop = 0;
  volatile std::sig_atomic_t unplug = 0;
  volatile std::sig_atomic_t replug = 0;
};

class Device {
 public:
  // `port` must be plugged in. A held line (--hold) is held from here on, so that no
  // program write slips out between the ready line and the start of `run`.
  Device(const Options& options, Payload payload, LinkedTerminal& port);

  // Runs until a stop is requested or the time limit has passed. The signals behind
  // `requests` get in only inside ppoll, through `waitMask`.
  void run(SignalRequests& requests, const sigset_t& waitMask);
  const Counts& counts() const { return counts_; }
  void writeReport() const;

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::uint64_t endless = UINT64_MAX;

  bool waitAndServe(const sigset_t& waitMask);
  short wantedEvents() const;
  void followPlugRequests(SignalRequests& requests);
  void unplug();
  void replug();
  void holdLine();
  void releaseWhenDue();
  void noticeProgram();
  bool holding() const { return holdEnd_.has_value(); }

  void receive();
  void onRequest();
  void queueAnswer();
  void beginAnswer();
  void send();
  void finishAnswer();
  std::uint64_t allowance() const;
  int waitMs() const;
  bool timedOut() const;
  void sayProgress(const std::string& line) const;  // left out with --quiet
  void announce(const std::string& line) const;

  const Options& options_;
  Payload payload_;
  LinkedTerminal& port_;
  Counts counts_;
  std::uint64_t answersQueued_ = 0;
  std::deque<std::uint64_t> answers_;  // lengths still to send; the front is in progress
  std::uint64_t sentInAnswer_ = 0;
  Clock::time_point answerStart_;
  Clock::time_point unpluggedAt_;
  std::optional<Clock::time_point> holdEnd_;
  bool awaitingProgram_ = false;  // replugged, and no program has taken the port up yet
  Clock::time_point deadline_;
};

}  // namespace devsim
