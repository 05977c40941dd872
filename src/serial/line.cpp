#include "serial/line.h"

#include <algorithm>

#include "serial/opening.h"
#include "serial/queues.h"
#include "serial/sio.h"

namespace sio {

Line::Line(Opened port, std::string deviceName, int baudRate, Clock clock)
    : port_(port.handle),
      closable_(port.configured),
      clock_(clock),
      deviceName_(std::move(deviceName)),
      baudRate_(baudRate) {}

void Line::pass(comm::Comm& layer) {
  if (port_ != comm::invalidHandle) {
    transfer(layer);
  } else {
    dropQueued();
    reopenWhenDue(layer);
  }
}

// One pass moves bytes in one direction only, and receiving comes first.
void Line::transfer(comm::Comm& layer) {
  std::uint32_t waiting = 0;
  if (!layer.waitingBytes(port_, waiting)) {
    if (lostAfterFailure(layer)) return;
    waiting = 0;
  }
  if (waiting > 0) {
    receive(layer, waiting);
  } else {
    send(layer);
  }
}

// Anything beyond the buffer stays in the port for the next pass.
void Line::receive(comm::Comm& layer, std::uint32_t waiting) {
  const auto buffer = std::span(incoming_).first(std::min<std::size_t>(waiting, incoming_.size()));
  std::uint32_t count = 0;
  if (!layer.read(port_, ComPortState.transfer, buffer, count)) {
    lostAfterFailure(layer);
    return;
  }
  for (const std::uint8_t byte : buffer.first(std::min<std::size_t>(count, buffer.size()))) {
    RxPut(byte);
  }
}

// Bytes that did not go out on an earlier pass go first; only then are new ones taken.
void Line::send(comm::Comm& layer) {
  if (unsent().empty()) {
    sendFrom_ = 0;
    sendTo_ = 0;
    for (int value; sendTo_ < outgoing_.size() && (value = TxGet()) >= 0; ++sendTo_) {
      outgoing_[sendTo_] = static_cast<std::uint8_t>(value);
    }
    if (sendTo_ == 0) return;
  }
  std::uint32_t taken = 0;
  if (layer.write(port_, writes_, unsent(), taken)) {
    sendFrom_ += std::min<std::size_t>(taken, unsent().size());
    return;
  }
  sendFrom_ = sendTo_;  // a write that fails loses its bytes, like any failed write
  lostAfterFailure(layer);
}

std::span<const std::uint8_t> Line::unsent() const {
  return std::span(outgoing_).subspan(sendFrom_, sendTo_ - sendFrom_);
}

// Before the reopening, so that nothing queued before the pass that finds the device back
// goes out. An empty queue costs one look under the lock, as a sending pass does.
void Line::dropQueued() {
  while (TxGet() >= 0) {
  }
}

bool Line::lostAfterFailure(comm::Comm& layer) {
  if (!closable_ || !layer.gone(port_)) return false;
  layer.close(port_, writes_);
  port_ = comm::invalidHandle;
  sendFrom_ = sendTo_ = 0;
  lastAttemptMs_ = clock_();
  return true;
}

// The same steps as the first opening, without its messages: nobody asked for this one.
// Only a port that takes its settings counts as back: what answers to the name meanwhile
// may be no serial device (Wine, for one, opens a stand-in for a missing port).
void Line::reopenWhenDue(comm::Comm& layer) {
  const std::uint32_t now = clock_();
  if (now - lastAttemptMs_ < reopenIntervalMs) return;
  lastAttemptMs_ = now;
  const Opened opened = openConfigured(layer, deviceName_, baudRate_);
  if (opened.handle == comm::invalidHandle) return;
  if (!opened.configured) {
    layer.close(opened.handle, writes_);
    return;
  }
  port_ = opened.handle;
}

}  // namespace sio
