// ModalAnswer for the native backends: a timer of the owner polls inside the modal loop
// until ready() holds and a box is open, then the backend's driver answers it.
#include "driver.h"

namespace conformance {

struct ModalAnswer::State {
  explicit State(tk::Window& owner) : answerer(owner, 10) {}
  tk::Timer answerer;
  Seen seen;
};

ModalAnswer::ModalAnswer(tk::Window& owner, std::function<bool()> ready, std::string file,
                         Reply reply)
    : state_(std::make_unique<State>(owner)) {
  State& state = *state_;
  state.answerer.onTimer = [&state, ready, file, reply] {
    if (state.seen.answered || !ready()) return;
    state.seen.answered = answerOpenBox(file, reply, state.seen);
  };
  state.answerer.setEnabled(true);
}

ModalAnswer::~ModalAnswer() = default;

const Seen& ModalAnswer::seen() const {
  return state_->seen;
}

}  // namespace conformance
