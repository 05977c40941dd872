// The headless backend's peers, shared between its source files.
#pragma once

#include <memory>
#include <optional>

#include "toolkit/backend.h"
#include "toolkit/headless/headless.h"

namespace tk::headless {

class HeadlessTimer : public backend::TimerPeer {
 public:
  explicit HeadlessTimer(Timer& timerFront);
  ~HeadlessTimer() override;
  void start(int intervalMs) override;
  void stop() override;

  Timer& front;
  bool active = false;
  int interval = 0;
  std::int64_t due = 0;
  std::uint64_t sequence = 0;
};

// Stands for a native font object, so that leaks would show in the count.
class NativeFont {
 public:
  NativeFont();
  ~NativeFont();
  NativeFont(const NativeFont&) = delete;
  NativeFont& operator=(const NativeFont&) = delete;
};

// Runs the next modal script, if any, for a modal window, message box or file dialog, with
// the other windows disabled meanwhile.
void runModalScript(ModalEvent& event);

}  // namespace tk::headless
