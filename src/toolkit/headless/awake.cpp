// keepAwake() without a system to keep awake: the state is only recorded, for tests.
#include "toolkit/headless/headless.h"

namespace {
bool held = false;
}  // namespace

namespace tk {

void keepAwake(bool on) {
  held = on;
}

bool headless::keptAwake() {
  return held;
}

}  // namespace tk
