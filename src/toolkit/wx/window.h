// The wxWidgets peer of a top-level window: a frame whose client area is a ClientArea. The frame
// never closes itself: a close request goes to the front, which decides. Enter is routed here, so
// that it reaches the visible default button.
#pragma once

#include <wx/evtloop.h>
#include <wx/frame.h>

#include "toolkit/backend.h"
#include "toolkit/wx/client_area.h"

namespace tk::wx {

class NativeWindow;

// Forwards the frame's events to its peer for as long as the peer lives.
class Frame : public wxFrame {
 public:
  explicit Frame(NativeWindow& peer);
  void detach() { peer_ = nullptr; }

 private:
  void onGeometry(wxEvent& event);
  void onClose(wxCloseEvent& event);
  void onCharHook(wxKeyEvent& event);
  NativeWindow* peer_;
};

class NativeWindow final : public backend::WindowPeer {
 public:
  explicit NativeWindow(Window& front);
  ~NativeWindow() override;

  Rect bounds() const override;
  void setBounds(const Rect& requested) override;
  Size clientSize() const override;
  // GTK scales its own pixels (GDK_SCALE): the program's are the same at every scale.
  int dpi() const override { return 96; }
  void setCaption(const std::string& caption) override;
  void setVisible(bool visible) override;
  bool visible() const override;
  void runModal() override;
  void endModal() override;
  void setDefaultButton(backend::ButtonPeer* button) override;
  void setTabOrder(const std::vector<backend::ControlPeer*>& order) override;

  ClientArea& panel() { return *panel_; }
  wxFrame& frame() { return *frame_; }

  // Events from the frame.
  void geometryChanged();
  void closeRequested() { backend::FrontAccess::closeRequested(front_); }
  // Return or Enter: clicks the focused push button, else the visible default button.
  bool enterPressed();

 private:
  void reportClientSize(bool always);

  Window& front_;
  Frame* frame_;
  ClientArea* panel_;
  Rect normalBounds_;
  Size reportedClientSize_{-1, -1};
  wxGUIEventLoop* modalLoop_ = nullptr;
};

// The window peer behind a backend::WindowPeer reference (every peer here is one).
NativeWindow& native(backend::WindowPeer& peer);

// The window a message box or modal window belongs to: the innermost modal window, else
// the active one of ours, else the main window (the first one made), if shown and not
// `except`; or null.
wxWindow* ownerWindow(wxWindow* except = nullptr);

}  // namespace tk::wx
