// A comm layer that passes every call on to another one: the base of wrappers that watch
// or restrict what reaches the platform's port (tests, benchmarks).
#pragma once

#include "serial/comm/comm.h"

namespace comm {

class Relay : public Comm {
 public:
  explicit Relay(Comm& next) : next_(next) {}

  Handle open(const std::string& deviceName) override { return next_.open(deviceName); }
  bool getLineState(Handle port, LineState& state) override {
    return next_.getLineState(port, state);
  }
  bool setLineState(Handle port, const LineState& state) override {
    return next_.setLineState(port, state);
  }
  Event createEvent() override { return next_.createEvent(); }
  bool waitingBytes(Handle port, std::uint32_t& waiting) override {
    return next_.waitingBytes(port, waiting);
  }
  bool read(Handle port, Transfer& transfer, std::span<std::uint8_t> buffer,
            std::uint32_t& count) override {
    return next_.read(port, transfer, buffer, count);
  }
  bool write(Handle port, Transfer& transfer, std::span<const std::uint8_t> bytes,
             std::uint32_t& taken) override {
    return next_.write(port, transfer, bytes, taken);
  }
  void sleepOneMs() override { next_.sleepOneMs(); }
  bool gone(Handle port) override { return next_.gone(port); }
  void close(Handle port, Transfer& writes) override { next_.close(port, writes); }

 private:
  Comm& next_;
};

}  // namespace comm
