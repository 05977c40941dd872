#include <glib.h>

#include <algorithm>
#include <utility>

#include "toolkit/backend.h"

namespace tk::wx {
namespace {

// A GLib timeout on the default main context: it goes on inside modal windows, message
// boxes and the file dialog alike. wxTimer would do the same but also wake wx's idle
// processing after every tick, which visits every window and is most of what an idle
// program costs at 100 ticks a second; nothing a tick does waits for that processing
// (wx wakes it by itself for queued events and for every event from the display).
//
// A tick waits while events from the display are queued, as WM_TIMER waits for input on
// Windows: what the user did while the program was busy is handled before the next tick,
// in the state the program was left in (a button disabled for a long save and enabled by
// the next tick takes no click or key that was queued during the save). At GLib's default
// priority, which is the display's, a tick would come after the first queued event.
constexpr int tickPriority = G_PRIORITY_DEFAULT + 1;

class NativeTimer final : public backend::TimerPeer {
 public:
  explicit NativeTimer(Timer& front) : front_(front) {}
  ~NativeTimer() override { stop(); }
  NativeTimer(const NativeTimer&) = delete;
  NativeTimer& operator=(const NativeTimer&) = delete;

  void start(int intervalMs) override {
    stop();
    source_ = g_timeout_add_full(tickPriority, static_cast<guint>(std::max(intervalMs, 1)),
                                 &NativeTimer::tick, this, nullptr);
  }
  void stop() override {
    if (source_ != 0) g_source_remove(std::exchange(source_, 0));
  }

 private:
  // The handler may stop, restart or destroy this timer; a source removed meanwhile is not
  // called again whatever this returns.
  static gboolean tick(gpointer self) {
    backend::FrontAccess::ticked(static_cast<NativeTimer*>(self)->front_);
    return G_SOURCE_CONTINUE;
  }

  Timer& front_;
  guint source_ = 0;
};

}  // namespace
}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<TimerPeer> createTimer(WindowPeer&, Timer& front) {
  return std::make_unique<wx::NativeTimer>(front);
}

}  // namespace tk::backend
