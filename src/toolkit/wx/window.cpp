#include "toolkit/wx/window.h"

#include <wx/display.h>
#include <wx/utils.h>

#include <vector>

#include "toolkit/wx/controls.h"
#include "toolkit/wx/fonts.h"
#include "toolkit/wx/gtk.h"
#include "toolkit/wx/icon.h"
#include "toolkit/wx/limits.h"
#include "toolkit/wx/text.h"

namespace tk::wx {
namespace {

Rect toRect(const wxRect& rect) {
  return {rect.x, rect.y, rect.width, rect.height};
}

wxFrame* firstFrame = nullptr;
std::vector<wxFrame*> modalFrames;

bool usableOwner(wxWindow* window, wxWindow* except) {
  return window != nullptr && window != except && window->IsShown();
}

bool isEnterKey(const wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  return (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.ControlDown() && !event.AltDown();
}

}  // namespace

Frame::Frame(NativeWindow& peer) : wxFrame(nullptr, wxID_ANY, wxString()), peer_(&peer) {
  SetIcon(programIcon());
  // The client area covers the frame's own and paints itself. Left to erase its background,
  // the frame would make a device context at every repaint of any label, whose colours and
  // font wx looks up in GTK's styles: most of what a changing label cost.
  SetBackgroundStyle(wxBG_STYLE_SYSTEM);
  Bind(wxEVT_SIZE, &Frame::onGeometry, this);
  Bind(wxEVT_MOVE, &Frame::onGeometry, this);
  Bind(wxEVT_ICONIZE, &Frame::onGeometry, this);
  Bind(wxEVT_MAXIMIZE, &Frame::onGeometry, this);
  Bind(wxEVT_CLOSE_WINDOW, &Frame::onClose, this);
  Bind(wxEVT_CHAR_HOOK, &Frame::onCharHook, this);
}

void Frame::onGeometry(wxEvent& event) {
  event.Skip();  // the frame's own handler keeps the panel filling the client area
  if (peer_) peer_->geometryChanged();
}

// The front decides whether the window closes; wx must never destroy it by itself. A window
// disabled by a modal window or box does not close, as on Windows.
void Frame::onClose(wxCloseEvent& event) {
  if (event.CanVeto()) event.Veto();
  if (peer_ && IsEnabled()) peer_->closeRequested();
}

void Frame::onCharHook(wxKeyEvent& event) {
  if (isEnterKey(event) && peer_ && peer_->enterPressed()) return;
  event.Skip();
}

NativeWindow::NativeWindow(Window& front)
    : front_(front), frame_(new Frame(*this)), panel_(new ClientArea(frame_)) {
  useCompactStyle(*frame_);
  normalBounds_ = toRect(frame_->GetRect());
  if (firstFrame == nullptr) firstFrame = frame_;
}

NativeWindow::~NativeWindow() {
  if (firstFrame == frame_) firstFrame = nullptr;
  frame_->detach();
  frame_->Hide();
  frame_->Destroy();
}

Rect NativeWindow::bounds() const {
  return frame_->IsIconized() ? normalBounds_ : toRect(frame_->GetRect());
}

void NativeWindow::setBounds(const Rect& requested) {
  const Rect bounds{clampPosition(requested.left), clampPosition(requested.top),
                    clampExtent(requested.width), clampExtent(requested.height)};
  frame_->SetSize(bounds.left, bounds.top, bounds.width, bounds.height, wxSIZE_ALLOW_MINUS_ONE);
  // While minimised or maximised the new rectangle is the one to restore to.
  const bool restored = !frame_->IsIconized() && !frame_->IsMaximized();
  normalBounds_ = restored ? toRect(frame_->GetRect()) : bounds;
  reportClientSize(false);
}

Size NativeWindow::clientSize() const {
  const wxSize size = frame_->GetClientSize();
  return {size.x, size.y};
}

void NativeWindow::setCaption(const std::string& caption) {
  frame_->SetTitle(toWx(caption));
}

// Showing a hidden window runs its layout, as the first show must.
void NativeWindow::setVisible(bool visible) {
  const bool showing = visible && !frame_->IsShown();
  frame_->Show(visible);
  if (showing) reportClientSize(true);
}

bool NativeWindow::visible() const {
  return frame_->IsShown();
}

// While modal, the window is transient for the window it was opened from, so that it stays
// above that window; afterwards it is on its own again.
void NativeWindow::runModal() {
  setTransientParent(*frame_, ownerWindow(frame_));
  wxWindowDisabler others(frame_);
  if (!frame_->IsShown()) setVisible(true);
  frame_->Raise();
  wxGUIEventLoop loop;
  modalLoop_ = &loop;
  modalFrames.push_back(frame_);
  loop.Run();
  modalFrames.pop_back();
  modalLoop_ = nullptr;
  setTransientParent(*frame_, nullptr);
}

void NativeWindow::endModal() {
  if (modalLoop_ && modalLoop_->IsRunning()) modalLoop_->ScheduleExit();
}

void NativeWindow::setDefaultButton(backend::ButtonPeer* button) {
  auto* widget = button ? dynamic_cast<wxButton*>(widgetOf(*button)) : nullptr;
  frame_->SetDefaultItem(widget);
  if (widget) widget->SetDefault();
}

void NativeWindow::setTabOrder(const std::vector<backend::ControlPeer*>& order) {
  wxWindow* previous = nullptr;
  for (backend::ControlPeer* peer : order) {
    wxWindow* widget = widgetOf(*peer);
    if (widget == nullptr) continue;  // a label is drawn, not focused
    if (previous) {
      widget->MoveAfterInTabOrder(previous);
    } else if (wxWindow* first = panel_->GetChildren().GetFirst()->GetData(); first != widget) {
      widget->MoveBeforeInTabOrder(first);
    }
    previous = widget;
  }
}

void NativeWindow::geometryChanged() {
  if (!frame_->IsIconized() && !frame_->IsMaximized()) normalBounds_ = toRect(frame_->GetRect());
  reportClientSize(false);
}

bool NativeWindow::enterPressed() {
  if (auto* focused = dynamic_cast<ButtonWidget*>(wxWindow::FindFocus())) {
    focused->front().click();
    return true;
  }
  if (Button* button = front_.defaultButton()) {
    button->click();
    return true;
  }
  return false;
}

void NativeWindow::reportClientSize(bool always) {
  const Size size = clientSize();
  if (!always && size == reportedClientSize_) return;
  reportedClientSize_ = size;
  backend::FrontAccess::resized(front_);
}

NativeWindow& native(backend::WindowPeer& peer) {
  return dynamic_cast<NativeWindow&>(peer);
}

wxWindow* ownerWindow(wxWindow* except) {
  if (!modalFrames.empty() && usableOwner(modalFrames.back(), except)) return modalFrames.back();
  wxWindow* active = wxGetActiveWindow();
  auto* ours = dynamic_cast<Frame*>(active != nullptr ? wxGetTopLevelParent(active) : nullptr);
  if (usableOwner(ours, except)) return ours;
  return usableOwner(firstFrame, except) ? firstFrame : nullptr;
}

}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<WindowPeer> createWindow(Window& front) {
  return std::make_unique<wx::NativeWindow>(front);
}

// Each display's client area: on X11 the desktop's work area, without panels.
std::vector<Rect> workAreas() {
  std::vector<Rect> areas;
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
    areas.push_back(wx::toRect(wxDisplay(i).GetClientArea()));
  }
  return areas;
}

}  // namespace tk::backend
