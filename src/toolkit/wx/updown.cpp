// The up-down spinner, drawn as Windows draws it: an up and a down arrow stacked in a narrow
// column. GTK's own spin button puts its two buttons side by side and needs some 70 pixels,
// while the layouts give the spinner a column three quarters of a combo box high.
#include <wx/dcclient.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/timer.h>

#include <algorithm>

#include "toolkit/wx/controls.h"
#include "toolkit/wx/window.h"

namespace tk::wx {
namespace {

constexpr int firstRepeatMs = 400;
constexpr int repeatMs = 60;

class ArrowsWidget : public wxWindow {
 public:
  ArrowsWidget(wxWindow* parent, UpDown& front)
      : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(0, 0),
                 wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE),
        front_(front),
        repeat_(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &ArrowsWidget::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &ArrowsWidget::onLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &ArrowsWidget::onLeftDown, this);
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { release(); });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { release(); });
    Bind(wxEVT_KEY_DOWN, &ArrowsWidget::onKeyDown, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { step(repeatMs); });
  }

 private:
  wxRect half(int direction) const {
    const wxSize size = GetClientSize();
    const int upper = size.y / 2;
    return direction > 0 ? wxRect(0, 0, size.x, upper) : wxRect(0, upper, size.x, size.y - upper);
  }

  void onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    for (const int direction : {+1, -1}) drawHalf(dc, direction);
  }

  void drawHalf(wxDC& dc, int direction) {
    const wxRect area = half(direction);
    if (area.IsEmpty()) return;
    const int flags = !IsEnabled()            ? int{wxCONTROL_DISABLED}
                      : pressed_ == direction ? int{wxCONTROL_PRESSED}
                                              : 0;
    wxRendererNative::Get().DrawPushButton(this, dc, area, flags);
    const int reach = std::max(1, std::min(area.width, area.height) / 4);
    const wxPoint centre = area.GetPosition() + wxSize(area.width / 2, area.height / 2);
    const wxPoint tip = centre + wxSize(0, -direction * reach);
    const wxPoint corners[] = {tip, centre + wxSize(-reach, direction * reach / 2),
                               centre + wxSize(reach, direction * reach / 2)};
    const wxColour ink =
        wxSystemSettings::GetColour(IsEnabled() ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT);
    dc.SetPen(wxPen(ink));
    dc.SetBrush(wxBrush(ink));
    dc.DrawPolygon(3, corners);
  }

  void onLeftDown(wxMouseEvent& event) {
    pressed_ = half(+1).Contains(event.GetPosition()) ? +1 : -1;
    if (!HasCapture()) CaptureMouse();
    step(firstRepeatMs);
  }

  // One step in the held direction; held down, the arrow repeats.
  void step(int nextMs) {
    if (pressed_ == 0) return;
    backend::FrontAccess::stepped(front_, pressed_);
    repeat_.StartOnce(nextMs);
    Refresh();
  }

  void release() {
    if (HasCapture()) ReleaseMouse();
    pressed_ = 0;
    repeat_.Stop();
    Refresh();
  }

  void onKeyDown(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_UP || key == WXK_DOWN) {
      backend::FrontAccess::stepped(front_, key == WXK_UP ? +1 : -1);
    } else {
      event.Skip();
    }
  }

  UpDown& front_;
  wxTimer repeat_;
  int pressed_ = 0;  // the half held down: +1 up, -1 down, 0 none
};

class NativeUpDown final : public NativeControl<backend::UpDownPeer> {
 public:
  NativeUpDown(wxWindow* parent, UpDown& front) : NativeControl(new ArrowsWidget(parent, front)) {
    useSpinButtonRole(*widget());
  }
  // The arrows are drawn here, greyed while disabled.
  void setEnabled(bool enabled) override {
    NativeControl::setEnabled(enabled);
    widget()->Refresh();
  }
};

}  // namespace
}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<UpDownPeer> createUpDown(WindowPeer& parent, UpDown& front) {
  return std::make_unique<wx::NativeUpDown>(&wx::native(parent).panel(), front);
}

}  // namespace tk::backend
