// What a toolkit backend supplies: native peers for the fronts of toolkit.h, text metrics,
// the message loop and the modal boxes; and what the fronts offer the backends alone. The
// peers are deliberately dumb: every rule (timer restarts, label sizing, the default
// button, the spinner binding) lives in the fronts, so each backend obeys the same rules. A
// peer reports native events to its front through FrontAccess, whose calls dispatch the
// handlers.
//
// Each backend defines the functions under "Supplied by each backend" and the peers'
// classes; the fronts define the rest. A program or test links one backend.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk {

// The place a window may keep, given the work areas of the screens (their parts outside
// task bars, in the coordinates of window bounds): its own when some work area shows at
// least a 32 x 8 pixel piece of its title bar (the top 24 pixels), or as much as a smaller
// window has; otherwise moved into the nearest work area, and made to fit it. Without any
// screen known, its own.
Rect placeOnScreen(const Rect& bounds, const std::vector<Rect>& workAreas);

// Text measurement shared by every backend: the extent of a text with tabs expanded and
// line breaks honoured, from the backend's metrics of the font.
Size measureText(const Font& font, const std::string& text);

// Where each run of text between tabs and line breaks is drawn, for backends that draw a
// label's text themselves.
struct TextRun {
  int x = 0;
  int y = 0;
  std::string text;
  int width = 0;
};
std::vector<TextRun> layoutText(const Font& font, const std::string& text);

}  // namespace tk

namespace tk::backend {

class LabelPeer;

class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void setBounds(const Rect& bounds) = 0;  // in the parent's client area
  virtual void setFont(const Font& font) = 0;      // creates the native font, frees the old
  virtual void setVisible(bool visible) = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual void setFocus() = 0;
  // What a screen reader reads for a field (edit box, combo box, spinner): the text of
  // `label`, which stands with the field (null for a spinner, which reads its edit box's
  // label). Labels and buttons are read by their own text, so their peers ignore it.
  virtual void setSpokenName(const std::string& /*name*/, LabelPeer* /*label*/) {}
};

class LabelPeer : public ControlPeer {
 public:
  virtual void setText(const std::string& text) = 0;
};

class EditPeer : public ControlPeer {
 public:
  virtual std::string text() const = 0;
  virtual void setText(const std::string& text) = 0;
};

class ButtonPeer : public ControlPeer {
 public:
  virtual void setCaption(const std::string& caption) = 0;  // with its "&" marker
};

class ComboPeer : public ControlPeer {
 public:
  virtual void clearItems() = 0;
  virtual void addItem(const std::string& item) = 0;
  virtual int itemIndex() const = 0;
  virtual void setItemIndex(int index) = 0;  // -1: none
  virtual std::string text() const = 0;
  virtual void setText(const std::string& text) = 0;
};

class UpDownPeer : public ControlPeer {};

class TimerPeer {
 public:
  virtual ~TimerPeer() = default;
  // Starts, or restarts with a full period, a periodic timer; intervalMs is above 0.
  virtual void start(int intervalMs) = 0;
  virtual void stop() = 0;
};

class WindowPeer {
 public:
  virtual ~WindowPeer() = default;
  // Outer bounds in screen coordinates, in 96-DPI pixels; restored bounds while minimised.
  virtual Rect bounds() const = 0;
  // Moves and sizes the window; a change of size calls the front's notifyResized().
  virtual void setBounds(const Rect& bounds) = 0;
  // The client area, in the screen's pixels (what controls and fonts are placed in).
  virtual Size clientSize() const = 0;
  // The scale of the window's screen in pixels per inch, 96 where the native toolkit scales
  // its own pixels (GTK). Bounds are in 96-DPI pixels whatever it is.
  virtual int dpi() const = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
  // Runs a local loop until endModal(); other windows are disabled meanwhile.
  virtual void runModal() = 0;
  virtual void endModal() = 0;
  // The button that Enter activates (unless the focus is on another push button), or null.
  virtual void setDefaultButton(ButtonPeer* button) = 0;
  // The tab stops of the window's controls, first to last.
  virtual void setTabOrder(const std::vector<ControlPeer*>& order) = 0;
};

// What the peers may do with their fronts and the windows code may not: reach the peers,
// and report native events, which the fronts dispatch to their handlers.
struct FrontAccess {
  static WindowPeer& peer(Window& window) { return *window.peer_; }
  static ControlPeer& peer(const Control& control) { return *control.peer_; }
  static const std::vector<Control*>& controls(const Window& window) { return window.controls_; }
  static void resized(Window& window) { window.notifyResized(); }
  static void closeRequested(Window& window) { window.close(); }
  static void stepped(UpDown& spinner, int delta) { spinner.notifyStep(delta); }
  static void ticked(Timer& timer) { timer.notifyTick(); }
};

// Defined by the fronts for every backend: ------------------------------------------------

// A label's text as a screen reader reads it: each run of tabs and line breaks one space.
std::string spokenText(const std::string& text);
// A push button's caption as drawn: the "&" markers gone, "&&" shown as "&".
std::string plainCaption(const std::string& caption);
// The room a push button's frame and padding take from its caption, in 96-DPI pixels.
constexpr int buttonCaptionPadding = 12;
// The font a button draws its caption with: its own, or a smaller one where the caption
// would not fit the width between its frame's padding.
Font captionFont(const Font& font, const std::string& plainCaption, int width, int padding);

// Supplied by each backend: ---------------------------------------------------------------

std::unique_ptr<WindowPeer> createWindow(Window& front);
std::unique_ptr<LabelPeer> createLabel(WindowPeer& parent, Label& front);
std::unique_ptr<EditPeer> createEdit(WindowPeer& parent, LabeledEdit& front);
std::unique_ptr<ButtonPeer> createButton(WindowPeer& parent, Button& front);
std::unique_ptr<ComboPeer> createCombo(WindowPeer& parent, ComboBox& front, ComboStyle style);
std::unique_ptr<UpDownPeer> createUpDown(WindowPeer& parent, UpDown& front);
std::unique_ptr<TimerPeer> createTimer(WindowPeer& owner, Timer& front);

// Font metrics, in pixels.
int lineHeight(const Font& font);
int averageCharWidth(const Font& font);
int textWidth(const Font& font, const std::string& text);  // text without tabs or breaks
int editHeight(const Font& font);   // an edit box fitting the font: cell height plus border
int comboHeight(const Font& font);  // the closed height of a combo box with the font
int liveFontCount();

void initialize(int argc, char** argv);
// Runs the message loop until quit().
void runLoop();
void quit();
std::string programPath();
// The work area of every screen, in the coordinates of window bounds.
std::vector<Rect> workAreas();
void showMessage(const std::string& text, const std::string& caption, Icon icon);
// A message box with Yes and No, No the default, and the question icon; true for Yes.
bool askYesNo(const std::string& text, const std::string& caption);
// Shows the file-open dialog; the chosen file with its full path, or nothing on cancel.
std::optional<std::string> runOpenDialog(WindowPeer& owner, const std::string& fileName,
                                         const std::string& filter);

}  // namespace tk::backend
