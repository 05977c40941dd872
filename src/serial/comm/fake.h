// A scripted port for tests. Every result is set beforehand in a Script, the test delivers
// the bytes that "arrive" at the port, and every call is recorded (sleeps included, so a
// test can tell the worker's passes apart). Safe to use from the worker and the test thread
// at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "serial/comm/comm.h"

namespace comm {

class Fake final : public Comm {
 public:
  struct Script {
    Handle openResult = 5;
    bool getLineStateResult = true;
    LineState reported{};  // what getLineState hands out
    bool setLineStateResult = true;
    Event eventResult = 9;
    std::function<void()> whileCreatingEvent;  // runs inside createEvent, outside the lock
    bool waitingBytesResult = true;
    bool readResult = true;
    std::uint32_t writeTakes = UINT32_MAX;  // the most bytes one write takes
    bool writeResult = true;
    bool goneResult = false;  // what gone() reports after a failure
  };

  enum class Op {
    open,
    getLineState,
    setLineState,
    createEvent,
    waitingBytes,
    read,
    write,
    sleep,
    gone,
    close
  };
  struct Call {
    Op op = Op::sleep;
    std::uint32_t count = 0;  // bytes reported waiting, read or written
  };

  Fake();
  explicit Fake(Script script);

  void setScript(const Script& script);
  // Bytes that arrive at the port, to be reported as waiting and read.
  void deliver(std::span<const std::uint8_t> bytes);
  // A device that sends without pause: every waitingBytes finds a new byte arrived.
  void setStreaming(bool streaming);

  std::vector<Call> calls() const;
  std::vector<std::vector<std::uint8_t>> writes() const;  // what each write took
  std::string openedName() const;
  LineState applied() const;  // what setLineState was given
  std::size_t sleeps() const;

  // Waits until the worker has slept `count` times in all; false if that takes implausibly
  // long (the worker is stuck).
  bool waitForSleeps(std::size_t count);
  // Parks the worker in its next sleep and returns once it is parked; release() lets it go.
  bool hold();
  void release();

  Handle open(const std::string& deviceName) override;
  bool getLineState(Handle port, LineState& state) override;
  bool setLineState(Handle port, const LineState& state) override;
  Event createEvent() override;
  bool waitingBytes(Handle port, std::uint32_t& waiting) override;
  bool read(Handle port, Transfer& transfer, std::span<std::uint8_t> buffer,
            std::uint32_t& count) override;
  bool write(Handle port, Transfer& transfer, std::span<const std::uint8_t> bytes,
             std::uint32_t& taken) override;
  void sleepOneMs() override;
  bool gone(Handle port) override;
  void close(Handle port, Transfer& writes) override;

 private:
  void record(Op op, std::uint32_t count = 0);
  template <typename Predicate>
  bool waitFor(std::unique_lock<std::mutex>& lock, Predicate done);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Script script_;
  std::deque<std::uint8_t> incoming_;
  bool streaming_ = false;
  std::uint8_t nextStreamed_ = 0;
  std::vector<Call> calls_;
  std::vector<std::vector<std::uint8_t>> writes_;
  std::string openedName_;
  LineState applied_{};
  std::size_t sleeps_ = 0;
  bool holdRequested_ = false;
  bool parked_ = false;
};

}  // namespace comm
