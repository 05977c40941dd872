// The control peers of the wxWidgets backend. Each owns one native widget on its window's
// client area and one native font; the fronts keep every rule, the peers only mirror state.
// Labels are the exception: the client area draws them (label.cpp).
#pragma once

#include <wx/button.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <memory>

#include "toolkit/backend.h"
#include "toolkit/wx/accessible.h"
#include "toolkit/wx/fonts.h"
#include "toolkit/wx/limits.h"

namespace tk::wx {

// A peer with a native widget, so that a window can find its controls' widgets.
class NativeWidget {
 public:
  virtual ~NativeWidget() = default;
  virtual wxWindow* widget() const = 0;
};

// The peer's widget; null for a peer without one (a label).
wxWindow* widgetOf(backend::ControlPeer& peer);

// What every control peer does the same way: place, font, visibility, state, focus.
template <class Interface>
class NativeControl : public Interface, public NativeWidget {
 public:
  explicit NativeControl(wxWindow* widget) : widget_(widget) {}
  ~NativeControl() override {
    // The window may have gone first and taken its children with it.
    if (widget_) widget_->Destroy();
  }

  void setBounds(const Rect& bounds) override {
    bounds_ = bounds;
    showFont();
    place();
  }
  void setFont(const Font& font) override {
    font_ = font;
    showFont();
    place();
  }
  void setVisible(bool visible) override { widget_->Show(visible); }
  // GTK takes the focus from a widget made insensitive and gives it no input.
  void setEnabled(bool enabled) override { widget_->Enable(enabled); }
  void setFocus() override { widget_->SetFocus(); }
  void setSpokenName(const std::string& name, backend::LabelPeer*) override {
    wx::setSpokenName(*widget_, name);
  }
  wxWindow* widget() const override { return widget_.get(); }

 protected:
  template <class Widget>
  Widget& as() const {
    return static_cast<Widget&>(*widget_);
  }
  // The height the widget takes when asked for the given one.
  virtual int fittedHeight(int requested) const { return requested; }
  // The font the widget draws with; its own font unless a control has to make room.
  virtual Font displayedFont() const { return font_; }
  const Font& font() const { return font_; }
  const Rect& bounds() const { return bounds_; }

  // Gives the widget a native font for displayedFont() when that has changed.
  void showFont() {
    const Font shown = displayedFont();
    if (nativeFont_ && shown == shownFont_) return;
    auto next = std::make_unique<NativeFont>(shown);
    widget_->SetFont(next->get());
    nativeFont_ = std::move(next);
    shownFont_ = shown;
  }

 private:
  void place() {
    widget_->SetSize(clampPosition(bounds_.left), clampPosition(bounds_.top),
                     clampExtent(bounds_.width), clampExtent(fittedHeight(bounds_.height)),
                     wxSIZE_ALLOW_MINUS_ONE);
  }

  wxWeakRef<wxWindow> widget_;
  Rect bounds_;
  Font font_;
  Font shownFont_;
  std::unique_ptr<NativeFont> nativeFont_;
};

// A push button that reports its clicks (mouse, Space, its "&" letter) to its front.
class ButtonWidget : public wxButton {
 public:
  ButtonWidget(wxWindow* parent, Button& front);
  Button& front() const { return front_; }

 private:
  Button& front_;
};

}  // namespace tk::wx
