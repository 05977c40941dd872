// The toolkit's conformance rules are written once against this driver; each backend's test
// program links the rules with its own driver, which gives input as a user gives it, runs
// the message loop and answers the modal boxes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "toolkit/toolkit.h"

namespace conformance {

// Runs once before the tests, after the application was initialised.
void prepare();

// Shows a window as the active one, ready for keys.
void showActive(tk::Window& window);
// Gives a control the keyboard focus and lets the backend take note of it.
void focus(tk::Control& control);
// The keys arrive in the order they were pressed, perhaps only once the loop runs.
void pressEnter(tk::Window& window);
void pressAlt(tk::Window& window, char letter);
// Whether the backend walks the tab stops itself; where it does not, pressTab does nothing.
bool walksTabStops();
void pressTab(tk::Window& window);
// The window's control that holds the keyboard focus, or null.
tk::Control* focusedControl(tk::Window& window);
// Runs the message loop (on virtual time where time is virtual) until done() holds;
// false when it gave up. The deadline only keeps a failing test from hanging.
bool runUntil(const std::function<bool()>& done);
// Whether a window takes input, i.e. no modal window or box has disabled it.
bool takesInput(tk::Window& window);
// Whether the native control takes input; nothing where the backend has none.
std::optional<bool> takesInput(tk::Control& control);
// The size of the font a control draws its text with, in a unit of the backend's (larger
// is larger); nothing where the backend draws nothing.
std::optional<double> shownFontSize(tk::Control& control);
// The full path of a file that does not exist, in the folder the file dialog opens in.
std::string newFile(const std::string& name);

enum class ShownIcon { none, stop, question, other };

// What a message box, question or file dialog showed while it was open.
struct Seen {
  bool answered = false;
  std::string text;
  std::string caption;
  ShownIcon icon = ShownIcon::none;
  bool cancelOffered = false;
  std::string fileName;               // the file dialog's initial name
  std::optional<std::string> filter;  // the file dialog's file type, where the backend has one
};

// How a box is answered: its OK or Yes button, its No button, or Enter, which presses
// whatever the box has made its default button.
enum class Reply { yes, no, enter };

// Answers the next message box, question or file dialog, once ready() holds while it is open
// (time passes meanwhile): answers a box with `reply`; in the file dialog chooses `file`
// (from newFile()), or cancels when it is empty. A modal window of the program is left to
// the test to close; time passes while it is open until ready() holds. Each answer is for
// one box.
class ModalAnswer {
 public:
  ModalAnswer(tk::Window& owner, std::function<bool()> ready, std::string file = {},
              Reply reply = Reply::yes);
  ModalAnswer(tk::Window& owner, std::function<bool()> ready, Reply reply)
      : ModalAnswer(owner, std::move(ready), {}, reply) {}
  ~ModalAnswer();
  ModalAnswer(const ModalAnswer&) = delete;
  ModalAnswer& operator=(const ModalAnswer&) = delete;
  const Seen& seen() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// For the native drivers (timed_answer.cpp): answers the message box, question or file
// dialog that is open now, as ModalAnswer describes; false when none is.
bool answerOpenBox(const std::string& file, Reply reply, Seen& seen);

}  // namespace conformance
