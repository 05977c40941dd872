// Timers are SetTimer timers of their window. WM_TIMER is dispatched by every message loop,
// the system's modal ones (message boxes, the file dialog, moving a window) included, so
// ticks go on wherever the program waits. SetTimer on a running timer restarts its period.
#include <unordered_map>

#include "toolkit/win32/window.h"

namespace tk::win32 {
namespace {

class NativeTimer;
std::unordered_map<UINT_PTR, NativeTimer*> timers;
UINT_PTR nextTimerId = 1;

class NativeTimer final : public backend::TimerPeer {
 public:
  NativeTimer(backend::WindowPeer& owner, Timer& front)
      : front_(front), window_(nativeWindow(owner)), id_(nextTimerId++) {
    timers[id_] = this;
  }
  ~NativeTimer() override {
    stop();
    timers.erase(id_);
  }
  void start(int intervalMs) override {
    SetTimer(window_, id_, static_cast<UINT>(intervalMs), nullptr);
  }
  void stop() override { KillTimer(window_, id_); }
  void tick() { backend::FrontAccess::ticked(front_); }

 private:
  Timer& front_;
  HWND window_;
  UINT_PTR id_;
};

}  // namespace

void deliverTick(UINT_PTR timerId) {
  const auto found = timers.find(timerId);
  if (found != timers.end()) found->second->tick();
}

}  // namespace tk::win32

namespace tk::backend {

std::unique_ptr<TimerPeer> createTimer(WindowPeer& owner, Timer& front) {
  return std::make_unique<tk::win32::NativeTimer>(owner, front);
}

}  // namespace tk::backend
