// The top-level window peer and the message pump shared by the main loop and every modal
// loop of the program's own.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/backend.h"

namespace tk::win32 {

class NativeWindow final : public backend::WindowPeer {
 public:
  explicit NativeWindow(Window& front);
  ~NativeWindow() override;

  Rect bounds() const override;
  void setBounds(const Rect& bounds) override;
  Size clientSize() const override;
  int dpi() const override;
  void setCaption(const std::string& caption) override;
  void setVisible(bool visible) override;
  bool visible() const override;
  void runModal() override;
  void endModal() override;
  void setDefaultButton(backend::ButtonPeer* button) override;
  void setTabOrder(const std::vector<backend::ControlPeer*>& order) override;

  HWND handle() const { return hwnd_; }
  Window& front() const { return front_; }
  // The window procedure's work for this window.
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void moveTo(const RECT& screen);
  void changeScale(const RECT& suggested);
  void command(WPARAM wParam, LPARAM lParam);
  LRESULT notify(const NMHDR& header);
  void pressEnter();
  void moveFocus(WPARAM wParam, LPARAM lParam);
  void rememberFocus();
  void restoreFocus();
  void enableOthers();

  Window& front_;
  HWND hwnd_ = nullptr;
  HWND defaultButton_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool modalOpen_ = false;
  unsigned sizeEvents_ = 0;  // WM_SIZE seen, so that showing lays out once, not twice
  std::vector<HWND> disabledByModal_;
};

// The native handle behind a window peer of this backend.
HWND nativeWindow(backend::WindowPeer& peer);

// The window a message box or modal window belongs to, so that it stays above that window
// and on its screen: the one of ours that was active last, or else the main window (the
// first one made), if it can be seen and is not `except`; or null.
HWND ownerWindow(HWND except = nullptr);

// Disables the visible, enabled top-level windows of this thread but `keep`, and returns
// them to be enabled again.
std::vector<HWND> disableOthers(HWND keep);
void enableAgain(std::vector<HWND>& windows);

// Registers the window class once; called by initialize() and by the first window.
void registerWindowClass();

// Hands a WM_TIMER to the timer with that identifier, if it is still there.
void deliverTick(UINT_PTR timerId);

// Takes and handles one message; false when the loop is to end at WM_QUIT. A modal loop
// passes the WM_QUIT on to the loop around it.
enum class OnQuit { end, passOn };
bool pumpMessage(OnQuit onQuit);

}  // namespace tk::win32
