// The worker's side of the port: one pass at a time, it moves received bytes into RxQueue
// or queued bytes from TxQueue to the line, and it reopens a port whose device has gone.
//
// Receiving comes first and never waits for a write: bytes the line cannot take yet stay
// here, in their own buffer, and are offered again on the next pass that sends. Everything
// lives in the object, so a pass allocates nothing.
//
// While the device is gone, whatever is put into TxQueue is dropped, as a failed write's
// bytes are: a request made then is not sent when the device comes back.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "serial/comm/comm.h"
#include "serial/opening.h"

namespace sio {

class Line {
 public:
  // Milliseconds on a clock that wraps modulo 2^32, such as RunClockMs.
  using Clock = std::uint32_t (*)();

  // `port` as OpenComPort published it; reopening uses `deviceName` and `baudRate` and is
  // paced by `clock`. A port that was not configured is never closed: it is no device that
  // went away, but one that never worked as a serial port, and it stays ours for the run.
  Line(Opened port, std::string deviceName, int baudRate, Clock clock);

  // One pass: receive what is waiting, at most comm::maxTransfer bytes, or else send.
  // While the device is gone, a pass empties TxQueue and tries to reopen the device, every
  // reopenIntervalMs.
  void pass(comm::Comm& layer);

  static constexpr std::uint32_t reopenIntervalMs = 500;

 private:
  void transfer(comm::Comm& layer);
  void receive(comm::Comm& layer, std::uint32_t waiting);
  void send(comm::Comm& layer);
  std::span<const std::uint8_t> unsent() const;
  // Whether a failed call found the device gone; if so, the port is closed.
  bool lostAfterFailure(comm::Comm& layer);
  void dropQueued();
  void reopenWhenDue(comm::Comm& layer);

  comm::Handle port_;  // invalid while the device is gone
  bool closable_;      // whether a failure that finds the device gone closes the port
  Clock clock_;
  std::uint32_t lastAttemptMs_ = 0;
  std::string deviceName_;
  int baudRate_;
  comm::Transfer writes_;  // a write's own record, so that reads never wait for it; its
                           // event, where the platform needs one, is the layer's own
  std::array<std::uint8_t, comm::maxTransfer> incoming_{};
  std::array<std::uint8_t, comm::maxTransfer> outgoing_{};
  std::size_t sendFrom_ = 0;  // outgoing_[sendFrom_, sendTo_) still has to go out
  std::size_t sendTo_ = 0;
};

}  // namespace sio
