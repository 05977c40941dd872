// Top-level windows. They are plain overlapped windows, not dialogs, yet the message pump
// hands their keyboard input to IsDialogMessage for Tab, accelerators and Enter. In a
// window that is not a dialog, Enter then arrives as WM_COMMAND IDOK and Tab as
// WM_NEXTDLGCTL; both are handled here.
#include "toolkit/win32/window.h"

#include <algorithm>
#include <vector>

#include "toolkit/win32/controls.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/icon.h"
#include "toolkit/win32/text.h"

namespace tk::win32 {
namespace {

constexpr wchar_t windowClass[] = L"QuerlanWindow";
constexpr wchar_t windowProperty[] = L"Querlan.Window";

NativeWindow* peerOf(HWND window) {
  return window != nullptr ? static_cast<NativeWindow*>(GetPropW(window, windowProperty)) : nullptr;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetPropW(window, windowProperty, create->lpCreateParams);
  }
  NativeWindow* peer = peerOf(window);
  if (message == WM_NCDESTROY) RemovePropW(window, windowProperty);
  if (peer == nullptr || peer->handle() != window) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return peer->handleMessage(message, wParam, lParam);
}

// Sent to a per-monitor aware window whose screen scale changed (winuser.h, Windows 8.1 on).
constexpr UINT dpiChangedMessage = 0x02E0;

// GetWindowPlacement speaks in workspace coordinates, which leave out a task bar at the
// top or left of the screen.
POINT workspaceOffset(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  return {monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top};
}

HWND firstWindow = nullptr;
HWND lastActive = nullptr;

struct Disabler {
  HWND keep;
  std::vector<HWND> disabled;
};

BOOL CALLBACK disableWindow(HWND window, LPARAM context) {
  auto& disabler = *reinterpret_cast<Disabler*>(context);
  if (window != disabler.keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    disabler.disabled.push_back(window);
  }
  return TRUE;
}

// The direct child of `window` that holds `focus`, also when the focus is inside a combo
// box's own edit field.
HWND childHolding(HWND window, HWND focus) {
  while (focus != nullptr && GetParent(focus) != window) focus = GetParent(focus);
  return focus;
}

}  // namespace

void registerWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClassInfo{};
    windowClassInfo.cbSize = sizeof windowClassInfo;
    windowClassInfo.style = CS_HREDRAW | CS_VREDRAW;
    windowClassInfo.lpfnWndProc = windowProcedure;
    windowClassInfo.hInstance = GetModuleHandleW(nullptr);
    windowClassInfo.hIcon = programIcon(SM_CXICON);
    windowClassInfo.hIconSm = programIcon(SM_CXSMICON);
    windowClassInfo.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClassInfo.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClassInfo.lpszClassName = windowClass;
    return RegisterClassExW(&windowClassInfo) != 0;
  }();
  (void)registered;
}

NativeWindow::NativeWindow(Window& front) : front_(front) {
  registerWindowClass();
  hwnd_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, windowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (firstWindow == nullptr) firstWindow = hwnd_;
}

NativeWindow::~NativeWindow() {
  enableOthers();
  for (HWND* known : {&firstWindow, &lastActive}) {
    if (*known == hwnd_) *known = nullptr;
  }
  DestroyWindow(hwnd_);
}

Rect NativeWindow::bounds() const {
  if (IsIconic(hwnd_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    const POINT offset = workspaceOffset(hwnd_);
    OffsetRect(&placement.rcNormalPosition, offset.x, offset.y);
    return designRect(placement.rcNormalPosition, hwnd_);
  }
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  return designRect(rect, hwnd_);
}

// A minimised window keeps the new bounds for when it is restored.
void NativeWindow::setBounds(const Rect& bounds) {
  RECT screen = screenRect(bounds, hwnd_);
  if (IsIconic(hwnd_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    const POINT offset = workspaceOffset(hwnd_);
    OffsetRect(&screen, -offset.x, -offset.y);
    placement.rcNormalPosition = screen;
    placement.showCmd = SW_SHOWMINNOACTIVE;
    SetWindowPlacement(hwnd_, &placement);
    return;
  }
  moveTo(screen);
}

void NativeWindow::moveTo(const RECT& screen) {
  SetWindowPos(hwnd_, nullptr, screen.left, screen.top, screen.right - screen.left,
               screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// On a screen with another scale the window takes the size Windows suggests, the same design
// size there, and the layout runs again for the new pixels even if that size came out equal.
void NativeWindow::changeScale(const RECT& suggested) {
  const unsigned sizeEventsBefore = sizeEvents_;
  moveTo(suggested);
  if (sizeEvents_ == sizeEventsBefore) backend::FrontAccess::resized(front_);
}

int NativeWindow::dpi() const {
  return windowDpi(hwnd_);
}

Size NativeWindow::clientSize() const {
  RECT rect{};
  GetClientRect(hwnd_, &rect);
  return {rect.right, rect.bottom};
}

void NativeWindow::setCaption(const std::string& caption) {
  SetWindowTextW(hwnd_, widen(caption).c_str());
}

// The layout runs whenever the window comes into view, as for a change of size, unless
// showing it has already sent WM_SIZE.
void NativeWindow::setVisible(bool visible) {
  const bool showing = visible && !IsWindowVisible(hwnd_);
  const unsigned sizeEventsBefore = sizeEvents_;
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  if (showing && sizeEvents_ == sizeEventsBefore) backend::FrontAccess::resized(front_);
}

bool NativeWindow::visible() const {
  return IsWindowVisible(hwnd_) != FALSE;
}

// While modal, the window is owned by the window it was opened from (GWLP_HWNDPARENT sets
// the owner of a top-level window), so it stays above that window; afterwards it is on its
// own again.
void NativeWindow::runModal() {
  const HWND previous = GetActiveWindow();
  const HWND owner = ownerWindow(hwnd_);
  disabledByModal_ = disableOthers(hwnd_);
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  modalOpen_ = true;
  setVisible(true);
  SetActiveWindow(hwnd_);
  while (modalOpen_ && pumpMessage(OnQuit::passOn)) {
  }
  modalOpen_ = false;
  enableOthers();
  setVisible(false);
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, 0);
  if (previous != nullptr && IsWindow(previous)) SetActiveWindow(previous);
}

// The other windows come back before this one hides, so that activation returns to them.
void NativeWindow::endModal() {
  modalOpen_ = false;
  enableOthers();
}

void NativeWindow::enableOthers() {
  enableAgain(disabledByModal_);
}

void NativeWindow::setDefaultButton(backend::ButtonPeer* button) {
  auto* next = static_cast<NativeButton*>(button);
  if (auto* old = dynamic_cast<NativeButton*>(ChildControl::from(defaultButton_))) {
    old->showAsDefault(false);
  }
  defaultButton_ = next != nullptr ? next->handle() : nullptr;
  if (next != nullptr) next->showAsDefault(true);
}

// The tab stops take WS_TABSTOP and the front of the Z order, first to last, which is the
// order IsDialogMessage walks.
void NativeWindow::setTabOrder(const std::vector<backend::ControlPeer*>& order) {
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) & ~WS_TABSTOP);
  }
  HWND previous = HWND_TOP;
  for (backend::ControlPeer* peer : order) {
    const HWND child = dynamic_cast<ChildControl&>(*peer).handle();
    SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | WS_TABSTOP);
    SetWindowPos(child, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = child;
  }
  std::vector<ChildControl*> children;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ChildControl* control = ChildControl::from(child)) children.push_back(control);
  }
  for (ChildControl* control : children) control->keepLabelBefore();
}

// Enter clicks the focused push button, or else the visible default button.
void NativeWindow::pressEnter() {
  const HWND focus = GetFocus();
  auto* focused = dynamic_cast<NativeButton*>(ChildControl::from(focus));
  if (focused != nullptr && IsWindowVisible(focus)) {
    focused->click();
  } else if (Button* button = front_.defaultButton()) {
    button->click();
  }
}

void NativeWindow::moveFocus(WPARAM wParam, LPARAM lParam) {
  const HWND focus = childHolding(hwnd_, GetFocus());
  const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(hwnd_, focus, wParam != 0);
  if (next == nullptr) return;
  SetFocus(next);
  if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    SendMessageW(next, EM_SETSEL, 0, -1);
  }
}

// The window itself takes no keys: the focus goes on to the control that had it last, or
// to the first tab stop.
void NativeWindow::restoreFocus() {
  HWND target = lastFocus_;
  if (target == nullptr || !IsWindow(target) || !IsChild(hwnd_, target) ||
      !IsWindowVisible(target) || !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  }
  if (target != nullptr) SetFocus(target);
}

// A notification of one of our controls goes to it; IDOK from the dialog manager is Enter.
void NativeWindow::command(WPARAM wParam, LPARAM lParam) {
  if (ChildControl* control = ChildControl::from(reinterpret_cast<HWND>(lParam))) {
    control->command(HIWORD(wParam));
  } else if (LOWORD(wParam) == IDOK) {
    pressEnter();
  }
}

LRESULT NativeWindow::notify(const NMHDR& header) {
  ChildControl* control = ChildControl::from(header.hwndFrom);
  return control != nullptr ? control->notify(header) : 0;
}

void NativeWindow::rememberFocus() {
  const HWND focus = childHolding(hwnd_, GetFocus());
  if (focus != nullptr) lastFocus_ = focus;
}

LRESULT NativeWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      ++sizeEvents_;
      if (wParam != SIZE_MINIMIZED) backend::FrontAccess::resized(front_);
      return 0;
    case WM_CLOSE:
      backend::FrontAccess::closeRequested(front_);
      return 0;
    case WM_COMMAND:
      command(wParam, lParam);
      return 0;
    case WM_NOTIFY:
      return notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_NEXTDLGCTL:
      moveFocus(wParam, lParam);
      return 0;
    case WM_TIMER:
      deliverTick(wParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) rememberFocus();
      if (LOWORD(wParam) != WA_INACTIVE) lastActive = hwnd_;
      break;
    case WM_SETFOCUS:
      restoreFocus();
      return 0;
    case dpiChangedMessage:
      changeScale(*reinterpret_cast<const RECT*>(lParam));
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

HWND nativeWindow(backend::WindowPeer& peer) {
  return static_cast<NativeWindow&>(peer).handle();
}

HWND ownerWindow(HWND except) {
  for (const HWND candidate : {lastActive, firstWindow}) {
    if (candidate != nullptr && candidate != except && IsWindowVisible(candidate)) return candidate;
  }
  return nullptr;
}

std::vector<HWND> disableOthers(HWND keep) {
  Disabler disabler{keep, {}};
  EnumThreadWindows(GetCurrentThreadId(), disableWindow, reinterpret_cast<LPARAM>(&disabler));
  return std::move(disabler.disabled);
}

void enableAgain(std::vector<HWND>& windows) {
  for (const HWND window : windows) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  windows.clear();
}

bool pumpMessage(OnQuit onQuit) {
  MSG message{};
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  if (got == 0) {
    if (onQuit == OnQuit::passOn) PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  if (got < 0) return false;
  const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (peerOf(root) != nullptr && IsDialogMessageW(root, &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

namespace {

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<Rect>*>(areas)->push_back(designArea(info.rcWork));
  }
  return TRUE;
}

}  // namespace
}  // namespace tk::win32

namespace tk::backend {

std::unique_ptr<WindowPeer> createWindow(Window& front) {
  return std::make_unique<tk::win32::NativeWindow>(front);
}

// Each monitor's work area: what MonitorFromRect(MONITOR_DEFAULTTONEAREST) chooses from,
// without the task bar, at the scale window positions are converted with.
std::vector<Rect> workAreas() {
  std::vector<Rect> areas;
  EnumDisplayMonitors(nullptr, nullptr, win32::addWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

}  // namespace tk::backend
