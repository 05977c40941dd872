// The conformance driver of the headless backend: keys go straight to the fronts, time is
// virtual, and the modal boxes run scripts.
#include <cctype>

#include "driver.h"
#include "toolkit/headless/headless.h"

namespace headless = tk::headless;

namespace conformance {

void prepare() {}

void showActive(tk::Window& window) {
  window.show();
}

void focus(tk::Control& control) {
  control.setFocus();
}

void pressEnter(tk::Window& window) {
  headless::pressEnter(window);
}

// As printed on the key: the accelerator is found whatever the letter's case.
void pressAlt(tk::Window& window, char letter) {
  headless::pressAccelerator(window, static_cast<char>(std::toupper(letter)));
}

bool walksTabStops() {
  return false;
}

void pressTab(tk::Window&) {}

tk::Control* focusedControl(tk::Window& window) {
  tk::Control* control = headless::focusedControl();
  return control != nullptr && &control->window() == &window ? control : nullptr;
}

bool runUntil(const std::function<bool()>& done) {
  for (int step = 0; step < 10000 && !done(); ++step) headless::advance(10);
  return done();
}

bool takesInput(tk::Window&) {
  return !headless::otherWindowsDisabled();
}

std::optional<bool> takesInput(tk::Control&) {
  return std::nullopt;
}

std::optional<double> shownFontSize(tk::Control&) {
  return std::nullopt;
}

std::string newFile(const std::string& name) {
  return "/nonexistent/querlan/" + name;
}

// Shared with the script, which may outlive a failed test's answer.
struct ModalAnswer::State {
  std::shared_ptr<Seen> seen = std::make_shared<Seen>();
};

namespace {

ShownIcon shown(tk::Icon icon) {
  switch (icon) {
    case tk::Icon::stop:
      return ShownIcon::stop;
    case tk::Icon::question:
      return ShownIcon::question;
    case tk::Icon::none:
      break;
  }
  return ShownIcon::none;
}

}  // namespace

ModalAnswer::ModalAnswer(tk::Window&, std::function<bool()> ready, std::string file, Reply reply)
    : state_(std::make_unique<State>()) {
  headless::scriptModal([seen = state_->seen, ready, file, reply](headless::ModalEvent& event) {
    runUntil(ready);
    seen->answered = true;
    if (event.kind == headless::ModalKind::message || event.kind == headless::ModalKind::question) {
      seen->text = event.message.text;
      seen->caption = event.message.caption;
      seen->icon = shown(event.message.icon);
      // Enter presses a question's default button, No.
      if (event.kind == headless::ModalKind::question) event.answerYes = reply == Reply::yes;
    } else if (event.kind == headless::ModalKind::openDialog) {
      seen->fileName = event.fileName;
      if (!file.empty()) event.chosenFile = file;
    }
  });
}

ModalAnswer::~ModalAnswer() = default;

const Seen& ModalAnswer::seen() const {
  return *state_->seen;
}

}  // namespace conformance
