// The headless backend: a real toolkit backend without a screen, for tests and benchmarks.
// The same rules hold as in every backend (they live in the fronts); what differs is only
// that nothing is drawn and that time is virtual unless runRealTime() drives it.
//
// Time: advance(ms) moves the virtual clock and delivers every tick that falls due, in the
// order of their due times (timers due at the same moment in the order they were started).
// A handler may call advance() again, e.g. from inside a modal script; the nested call
// delivers its ticks first.
//
// Modal windows, message boxes, questions and file-open dialogs run the next script queued
// with scriptModal() (first in, first out) and return when it returns. A modal window that
// is still open after its script is closed as by its close control. Without a script a modal
// window closes at once, a message box is confirmed, a question answered Yes (so that a test
// that does not care about it goes on as the user who wants it), and a file dialog
// cancelled. A script answers a question through answerYes; Enter on a question would give
// No, its default button. Every message box and question is recorded.
//
// The text metric: a font's cell height is -height for a negative height, the height for a
// positive one, and 13 for 0. Every character (UTF-8 code point) is (cell + 1) / 2 pixels
// wide; a line is one cell high. An edit box and a closed combo box are cell + 8 high.
// Windows have a frame of 8 pixels on the left, right and bottom and 31 on top (caption
// included), so the client area is 16 pixels narrower and 39 lower than the window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk::headless {

constexpr int frameWidth = 16;
constexpr int frameHeight = 39;

void advance(int ms);
std::int64_t now();
// Runs the loop on the real clock for the given time, or until the main window closes.
void runRealTime(int ms);

struct MessageRecord {
  std::string text;
  std::string caption;
  Icon icon = Icon::none;
};
const std::vector<MessageRecord>& messages();
void clearMessages();

enum class ModalKind { window, message, question, openDialog };
struct ModalEvent {
  ModalKind kind = ModalKind::window;
  Window* window = nullptr;               // the modal window, for ModalKind::window
  MessageRecord message;                  // for ModalKind::message and ModalKind::question
  bool answerYes = true;                  // a script sets it false to answer a question No
  std::string fileName;                   // the file dialog's initial name
  std::optional<std::string> chosenFile;  // set by a script to confirm a file dialog
};
using ModalScript = std::function<void(ModalEvent&)>;
void scriptModal(ModalScript script);
std::size_t pendingScripts();
// True while a modal window or message box has disabled the other windows.
bool otherWindowsDisabled();

// The keyboard: Enter clicks the focused push button, or else the visible default button;
// an accelerator clicks the visible, enabled button whose caption marks that letter. A
// disabled button takes no click, and a control that is disabled loses the focus.
void pressEnter(Window& window);
bool pressAccelerator(Window& window, char letter);
Control* focusedControl();

// The close control of a window, as the user presses it.
void pressClose(Window& window);
bool quitRequested();
int activeTimerCount();

void setProgramPath(const std::string& path);
// The work areas of the virtual screens; none (the start) places every window as asked.
void setScreens(std::vector<Rect> workAreas);

// Whether keepAwake() holds the system awake now.
bool keptAwake();

}  // namespace tk::headless
