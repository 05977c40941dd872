// The windowing toolkit as the windows see it: application and message loop, windows,
// controls, timers, dialogs and message boxes. The windows code includes only this header.
//
// Principles of operation:
// - Every object here is a portable front that keeps the logical state and enforces the
//   rules (timers, label sizing, the default button, the spinner binding); a backend
//   (headless, wxWidgets, Win32) supplies the native peers declared in backend.h. The
//   backend is chosen at link time.
// - Every event reaches its handler through dispatch(), which catches any error the handler
//   raises and shows it in the error box, then lets the program go on.
// - Handlers default to doing nothing, so nothing checks them for null.
// - Fonts are values; each control keeps its own copy, so a font built for one layout pass
//   may go out of scope at once. Backends create a native font per control.
// - Geometry is in pixels. Windows are placed by their outer bounds in screen coordinates,
//   in 96-DPI pixels on every screen; controls in their window's client area, in the
//   screen's own pixels (Window::pixels() converts a design value).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tk {

namespace backend {
class WindowPeer;
class ControlPeer;
class LabelPeer;
class TimerPeer;
struct FrontAccess;
}  // namespace backend

using Handler = std::function<void()>;

struct Font {
  std::string name;
  int height = 0;  // negative: character height in pixels; 0: the system's default size
  friend bool operator==(const Font&, const Font&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

enum class Icon { none, stop, question };

// Runs one event handler. An error it raises is shown in the error box (core::Error with its
// message, anything else with empty text). Returns false when the handler failed.
bool dispatch(const Handler& handler);

// The error box: the message with a full stop added where due, captioned with the
// application title, a stop icon and an OK button.
void showErrorBox(const std::string& message);

// A modal message box with one OK button; the program's other windows are disabled while
// it is shown, but timers go on ticking.
void showMessage(const std::string& text, const std::string& caption, Icon icon = Icon::none);

// A modal question with a question icon and the buttons Yes and No, shown as a message box
// is; true for Yes. No is the default button, so that Enter never loses anything.
bool askYesNo(const std::string& text, const std::string& caption);

// While on, the system does not go to sleep for being idle (the screen may still go dark):
// for work that must not be cut short, such as a recording. Off releases it; turning on or
// off what already is so changes nothing. Where the system offers no such service, nothing.
void keepAwake(bool on);

class Application {
 public:
  // Initialises the backend with the program's name from the command line; the rest of
  // the command line is ignored.
  static void initialize(int argc, char** argv);
  // Runs the message loop until the main window (the first window created) has closed.
  static void run();
  // The full path of the program file.
  static std::string programPath();
  // The caption of error boxes, made from programPath().
  static std::string title();
};

class Control;
class Button;
class Label;

struct WindowLayout {
  std::string caption;
  Rect bounds;  // outer bounds at creation
  Font font;    // the window font, taken by every control as its initial font
};

class Window {
 public:
  explicit Window(const WindowLayout& layout);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Outer bounds, in 96-DPI pixels on every screen (what the settings store). A minimised
  // window reports its restored bounds, any other the rectangle it covers. Each setter
  // changes one value; a change of size runs onResize.
  int left() const;
  int top() const;
  int width() const;
  int height() const;
  void setLeft(int value);
  void setTop(int value);
  void setWidth(int value);
  void setHeight(int value);
  // The client area in the screen's pixels, which the controls and fonts are placed in.
  Size clientSize() const;
  // A length of the window's design, given in 96-DPI pixels, in the screen's pixels.
  int pixels(int designPixels) const;

  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& caption);
  const Font& font() const { return font_; }

  void show();
  void hide();
  bool visible() const;
  // Shows the window modally and returns when it has closed; the other windows of the
  // program are disabled meanwhile, timers go on ticking.
  void showModal();
  bool modal() const { return modal_; }
  // Asks the window to close, as its close control does: runs onClose; if that raises an
  // error the close is abandoned. Closing the main window ends the message loop.
  void close();
  // Brings the window onto the nearest screen if no screen shows it (placeOnScreen), as
  // after a monitor was removed; a window that can be seen stays exactly where it is.
  void keepOnScreen();

  Handler onResize = [] {};
  // Asked first when the window is to close; false keeps it open without a word.
  std::function<bool()> onCloseQuery = [] { return true; };
  Handler onClose = [] {};

  // The visible default button that Enter activates, or null.
  Button* defaultButton() const;

 private:
  friend class Control;
  friend class Button;
  friend class Label;
  friend class UpDown;
  friend struct backend::FrontAccess;
  void notifyResized();
  void addControl(Control& control);
  void removeControl(Control& control);
  void refreshDefaultButton();
  void refreshTabOrder();
  // Names each field for screen readers after the label that goes with it: its own caption,
  // its edit box's caption for a spinner, else the nearest label above it.
  void refreshSpokenNames();
  void setBound(int Rect::*field, int value);

  std::string caption_;
  Font font_;
  bool modal_ = false;
  std::vector<Control*> controls_;
  std::unique_ptr<backend::WindowPeer> peer_;
};

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  int left() const { return bounds_.left; }
  int top() const { return bounds_.top; }
  virtual int width() const { return bounds_.width; }
  virtual int height() const { return bounds_.height; }
  const Rect& bounds() const { return bounds_; }
  virtual void setLeft(int value);
  virtual void setTop(int value);
  virtual void setWidth(int value);
  virtual void setHeight(int value);

  const Font& font() const { return font_; }
  // A font equal to the current one is no change; a change may resize the control.
  void setFont(const Font& font);

  bool visible() const { return visible_; }
  virtual void setVisible(bool visible);
  // A disabled control takes no input from the user; it is drawn as such.
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  int tabOrder() const { return tabOrder_; }
  void setTabOrder(int position);  // -1: not a tab stop
  void setFocus();

  Window& window() const { return window_; }

 protected:
  Control(Window& window, std::unique_ptr<backend::ControlPeer> peer);
  backend::ControlPeer& peer() const { return *peer_; }
  virtual void fontChanged() {}
  void applyBounds(const Rect& bounds);
  // Edit boxes, combo boxes and spinners: screen readers read them by a label's text.
  virtual bool namedByLabel() const { return false; }
  // The label that names this field, where it has one of its own.
  virtual const Label* ownLabel() const { return nullptr; }

 private:
  friend struct backend::FrontAccess;
  friend class Window;
  Window& window_;
  std::unique_ptr<backend::ControlPeer> peer_;
  Rect bounds_;
  Font font_;
  bool visible_ = true;
  bool enabled_ = true;
  int tabOrder_ = -1;
  std::string spokenName_;
  const backend::LabelPeer* spokenLabel_ = nullptr;
};

// A static text that sizes itself to its text, keeping its left edge, whenever its text or
// font changes. Tabs expand to stops every eight average character widths; "\n" breaks lines.
class Label : public Control {
 public:
  explicit Label(Window& window, const std::string& text = {});
  const std::string& text() const { return text_; }
  void setText(const std::string& text);

 protected:
  void fontChanged() override { autoSize(); }
  // Called after the label has sized itself.
  virtual void sized() {}

 private:
  friend class Window;
  void autoSize();
  std::string text_;
  mutable bool namesField_ = false;  // a field is read by this label's text
};

// An edit box with a caption label above it at a set spacing. Its height fits its font
// whenever the font changes, unless automatic height is off. Disabling it disables the box;
// the caption stays as it is.
class LabeledEdit : public Control {
 public:
  explicit LabeledEdit(Window& window);
  std::string text() const;
  void setText(const std::string& text);
  Label& captionLabel() { return caption_; }
  int captionSpacing() const { return spacing_; }
  void setCaptionSpacing(int spacing);
  void setAutoHeight(bool on) { autoHeight_ = on; }

  void setLeft(int value) override;
  void setTop(int value) override;
  void setVisible(bool visible) override;

 protected:
  void fontChanged() override;
  bool namedByLabel() const override { return true; }
  const Label* ownLabel() const override { return &caption_; }

 private:
  class Caption : public Label {
   public:
    Caption(Window& window, LabeledEdit& owner) : Label(window), owner_(owner) {}

   protected:
    void sized() override { owner_.placeCaption(); }

   private:
    LabeledEdit& owner_;
  };

  void placeCaption();
  Caption caption_;
  int spacing_ = 3;
  bool autoHeight_ = true;
};

// A push button; "&" in the caption marks the accelerator letter.
class Button : public Control {
 public:
  Button(Window& window, const std::string& caption);
  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& caption);
  bool isDefault() const { return default_; }
  void setDefault(bool isDefault);
  void setVisible(bool visible) override;
  // The accelerator letter in lower case, or 0.
  char accelerator() const;
  // Runs onClick, as a click by the user does; a disabled button takes no click.
  void click();

  Handler onClick = [] {};

 private:
  std::string caption_;
  bool default_ = false;
};

enum class ComboStyle { dropDownList, dropDown };

// A drop-down list (selection only) or an editable combo box. Its closed height follows its
// font, whatever height was asked for.
class ComboBox : public Control {
 public:
  ComboBox(Window& window, ComboStyle style);
  ComboStyle style() const { return style_; }
  void clearItems();
  void addItem(const std::string& item);
  int itemCount() const;
  const std::string& item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  int itemIndex() const;         // -1 for none
  void setItemIndex(int index);  // outside the list: none
  std::string text() const;
  void setText(const std::string& text);
  int height() const override;

 protected:
  bool namedByLabel() const override { return true; }

 private:
  ComboStyle style_;
  std::vector<std::string> items_;
};

// An up-down spinner bound to an edit box, in which it shows its position as decimal text.
// Position, minimum and maximum are 16-bit signed; the arrows step by one without
// wrapping. Reading the position takes the edit box's text when it is a number within the
// range and otherwise the last position, which it shows again.
class UpDown : public Control {
 public:
  explicit UpDown(Window& window);
  // Binds the spinner to its edit box, which then shows the position.
  void setAssociate(LabeledEdit& buddy);
  void setRange(std::int16_t minimum, std::int16_t maximum);
  std::int16_t minimum() const { return min_; }
  std::int16_t maximum() const { return max_; }
  std::int16_t position();
  void setPosition(int position);

 protected:
  bool namedByLabel() const override { return true; }
  const Label* ownLabel() const override;

 private:
  friend struct backend::FrontAccess;
  // An arrow was pressed (+1 up, -1 down).
  void notifyStep(int delta);

  LabeledEdit* buddy_ = nullptr;
  std::int16_t min_ = 0;
  std::int16_t max_ = 100;
  std::int16_t position_ = 0;
};

// A millisecond timer. It ticks only while enabled, with an interval other than 0 (and not
// negative) and a handler. Enabling starts a full period; a different interval restarts a
// running timer; the same interval or state again changes nothing. Ticks arrive on the main
// thread, also inside modal loops.
class Timer {
 public:
  explicit Timer(Window& window, int intervalMs = 1000, bool enabled = false);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  int interval() const { return interval_; }
  void setInterval(int intervalMs);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool running() const { return running_; }

  Handler onTimer = [] {};

 private:
  friend struct backend::FrontAccess;
  // A period has passed.
  void notifyTick();

  void apply();
  std::unique_ptr<backend::TimerPeer> peer_;
  int interval_;
  bool enabled_;
  bool running_ = false;
};

// The file-open dialog: hides the read-only box, is resizable, and accepts a file that does
// not exist. The filter is "Name|pattern" pairs joined by "|".
class OpenDialog {
 public:
  explicit OpenDialog(Window& window) : window_(window) {}
  const std::string& fileName() const { return fileName_; }
  void setFileName(const std::string& name) { fileName_ = name; }
  const std::string& filter() const { return filter_; }
  void setFilter(const std::string& filter) { filter_ = filter; }
  // Shows the dialog modally. On confirmation fileName() is the chosen file with its full
  // path and the result is true.
  bool execute();

 private:
  Window& window_;
  std::string fileName_;
  std::string filter_;
};

}  // namespace tk
