#include <wx/timer.h>

#include "toolkit/backend.h"

namespace tk::wx {
namespace {

// A wxTimer ticks from GLib's main context, so it goes on inside modal windows, message
// boxes and the file dialog alike.
class NativeTimer final : public backend::TimerPeer, private wxTimer {
 public:
  explicit NativeTimer(Timer& front) : front_(front) {}
  ~NativeTimer() override { wxTimer::Stop(); }
  void start(int intervalMs) override { wxTimer::Start(intervalMs, wxTIMER_CONTINUOUS); }
  void stop() override { wxTimer::Stop(); }

 private:
  void Notify() override { front_.notifyTick(); }
  Timer& front_;
};

}  // namespace
}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<TimerPeer> createTimer(WindowPeer&, Timer& front) {
  return std::make_unique<wx::NativeTimer>(front);
}

}  // namespace tk::backend
