// The control peers: each is a native child window (STATIC, EDIT, BUTTON, COMBOBOX,
// UPDOWN_CLASS) that knows its front, so the parent window can hand it the notifications
// it sends (WM_COMMAND, WM_NOTIFY).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "toolkit/backend.h"
#include "toolkit/win32/accessible.h"
#include "toolkit/win32/fonts.h"

namespace tk::win32 {

// What every control peer is besides its backend::...Peer interface.
class ChildControl {
 public:
  ChildControl(backend::WindowPeer& parent, Control& front, const wchar_t* className, DWORD style,
               DWORD extendedStyle = 0);
  virtual ~ChildControl();
  ChildControl(const ChildControl&) = delete;
  ChildControl& operator=(const ChildControl&) = delete;

  // The peer behind a native child window, or null for a window that is none of ours.
  static ChildControl* from(HWND window);

  HWND handle() const { return hwnd_; }
  Control& front() const { return front_; }
  // A WM_COMMAND notification code from the control.
  virtual void command(WORD) {}
  // A WM_NOTIFY from the control; the result goes back to it.
  virtual LRESULT notify(const NMHDR&) { return 0; }
  // Puts the label that names the control right before it in the Z order, where Windows looks
  // for a control's name; again after the tab order has moved the controls.
  void standWithLabel(HWND label);
  void keepLabelBefore();

 protected:
  void place(const Rect& bounds);
  void applyFont(const Font& font);
  void show(bool visible);
  void enable(bool enabled);
  void focus();

 private:
  Control& front_;
  HWND hwnd_;
  HWND label_ = nullptr;
  std::unique_ptr<NativeFont> font_;
};

// The common part of every peer: bounds, font, visibility, state and focus on the native
// window.
template <class Peer>
class NativeControl : public Peer, public ChildControl {
 public:
  using ChildControl::ChildControl;
  void setBounds(const Rect& bounds) override { place(bounds); }
  void setFont(const Font& font) override { applyFont(font); }
  void setVisible(bool visible) override { show(visible); }
  void setEnabled(bool enabled) override { enable(enabled); }
  void setFocus() override { focus(); }
  void setSpokenName(const std::string& name, backend::LabelPeer* label) override {
    annotateName(handle(), name);
    standWithLabel(label != nullptr ? dynamic_cast<ChildControl&>(*label).handle() : nullptr);
  }
};

class NativeButton final : public NativeControl<backend::ButtonPeer> {
 public:
  NativeButton(backend::WindowPeer& parent, Button& button);
  void setBounds(const Rect& bounds) override;
  void setFont(const Font& font) override;
  void setCaption(const std::string& caption) override;
  void command(WORD code) override;
  // Draws the button as the default one (BS_DEFPUSHBUTTON), or as a plain one.
  void showAsDefault(bool isDefault);
  void click();

 private:
  // Gives the button the font its caption fits in, when that has changed.
  void showFont();

  int width_ = 0;
  Font font_;
  std::optional<Font> shown_;
  std::string caption_;
};

// The closed height of a combo box with this font, as the native control takes it.
int closedComboHeight(const Font& font);

}  // namespace tk::win32
