#include "serial/comm/fake.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace comm {

namespace {
// Long enough for any healthy worker, even under a sanitizer on a busy machine.
constexpr auto patience = std::chrono::seconds(20);
}  // namespace

Fake::Fake() = default;
Fake::Fake(Script script) : script_(std::move(script)) {}

void Fake::setScript(const Script& script) {
  std::lock_guard lock(mutex_);
  script_ = script;
}

void Fake::deliver(std::span<const std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

void Fake::setStreaming(bool streaming) {
  std::lock_guard lock(mutex_);
  streaming_ = streaming;
}

std::vector<Fake::Call> Fake::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::vector<std::uint8_t>> Fake::writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

std::string Fake::openedName() const {
  std::lock_guard lock(mutex_);
  return openedName_;
}

LineState Fake::applied() const {
  std::lock_guard lock(mutex_);
  return applied_;
}

std::size_t Fake::sleeps() const {
  std::lock_guard lock(mutex_);
  return sleeps_;
}

template <typename Predicate>
bool Fake::waitFor(std::unique_lock<std::mutex>& lock, Predicate done) {
  return changed_.wait_for(lock, patience, done);
}

bool Fake::waitForSleeps(std::size_t count) {
  std::unique_lock lock(mutex_);
  return waitFor(lock, [&] { return sleeps_ >= count; });
}

bool Fake::hold() {
  std::unique_lock lock(mutex_);
  holdRequested_ = true;
  return waitFor(lock, [&] { return parked_; });
}

void Fake::release() {
  std::lock_guard lock(mutex_);
  holdRequested_ = false;
  changed_.notify_all();
}

void Fake::record(Op op, std::uint32_t count) {
  calls_.push_back({op, count});
}

Handle Fake::open(const std::string& deviceName) {
  std::lock_guard lock(mutex_);
  record(Op::open);
  openedName_ = deviceName;
  return script_.openResult;
}

bool Fake::getLineState(Handle, LineState& state) {
  std::lock_guard lock(mutex_);
  record(Op::getLineState);
  if (script_.getLineStateResult) state = script_.reported;
  return script_.getLineStateResult;
}

bool Fake::setLineState(Handle, const LineState& state) {
  std::lock_guard lock(mutex_);
  record(Op::setLineState);
  applied_ = state;
  return script_.setLineStateResult;
}

Event Fake::createEvent() {
  std::function<void()> during;
  {
    std::lock_guard lock(mutex_);
    during = script_.whileCreatingEvent;
  }
  if (during) during();
  std::lock_guard lock(mutex_);
  record(Op::createEvent);
  return script_.eventResult;
}

bool Fake::waitingBytes(Handle, std::uint32_t& waiting) {
  std::lock_guard lock(mutex_);
  if (streaming_) incoming_.push_back(nextStreamed_++);
  waiting = static_cast<std::uint32_t>(incoming_.size());
  record(Op::waitingBytes, waiting);
  return script_.waitingBytesResult;
}

bool Fake::read(Handle, Transfer&, std::span<std::uint8_t> buffer, std::uint32_t& count) {
  std::lock_guard lock(mutex_);
  count = 0;
  if (script_.readResult) {
    count = static_cast<std::uint32_t>(std::min(buffer.size(), incoming_.size()));
    std::copy_n(incoming_.begin(), count, buffer.begin());
    incoming_.erase(incoming_.begin(), incoming_.begin() + count);
  }
  record(Op::read, count);
  return script_.readResult;
}

bool Fake::write(Handle, Transfer&, std::span<const std::uint8_t> bytes, std::uint32_t& taken) {
  std::lock_guard lock(mutex_);
  taken = 0;
  if (script_.writeResult) {
    taken = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), script_.writeTakes));
    writes_.emplace_back(bytes.begin(), bytes.begin() + taken);
  }
  record(Op::write, taken);
  return script_.writeResult;
}

bool Fake::gone(Handle) {
  std::lock_guard lock(mutex_);
  record(Op::gone);
  return script_.goneResult;
}

void Fake::close(Handle, Transfer&) {
  std::lock_guard lock(mutex_);
  record(Op::close);
}

void Fake::sleepOneMs() {
  {
    std::unique_lock lock(mutex_);
    record(Op::sleep);
    ++sleeps_;
    parked_ = holdRequested_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !holdRequested_; });
    parked_ = false;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace comm
