#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace tk {

Timer::Timer(Window& window, int intervalMs, bool enabled)
    : peer_(backend::createTimer(backend::FrontAccess::peer(window), *this)),
      interval_(intervalMs),
      enabled_(enabled) {
  apply();
}

Timer::~Timer() = default;

void Timer::setInterval(int intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  apply();
}

void Timer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  apply();
}

// Every real change (re)starts the native timer, so a period always begins in full.
void Timer::apply() {
  running_ = enabled_ && interval_ > 0;
  if (running_) {
    peer_->start(interval_);
  } else {
    peer_->stop();
  }
}

void Timer::notifyTick() {
  // A tick that was already queued when the timer stopped is not delivered.
  if (running_) dispatch(onTimer);
}

bool OpenDialog::execute() {
  auto chosen = backend::runOpenDialog(backend::FrontAccess::peer(window_), fileName_, filter_);
  if (!chosen) return false;
  fileName_ = *chosen;
  return true;
}

}  // namespace tk
