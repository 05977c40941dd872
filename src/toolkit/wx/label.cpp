#include <wx/dc.h>
#include <wx/settings.h>
#include <wx/weakref.h>

#include <memory>

#include "toolkit/backend.h"
#include "toolkit/wx/client_area.h"
#include "toolkit/wx/fonts.h"
#include "toolkit/wx/text.h"
#include "toolkit/wx/window.h"

namespace tk::wx {
namespace {

// A label has no widget of its own: its client area draws it, run by run where
// tk::layoutText puts them, clipped to the label's bounds.
class NativeLabel final : public backend::LabelPeer, public PaintedItem {
 public:
  explicit NativeLabel(ClientArea& area) : area_(&area) { area.add(*this); }
  ~NativeLabel() override {
    if (!area_) return;
    area_->remove(*this);
    invalidate();
  }

  void setBounds(const Rect& bounds) override {
    change([&] { bounds_ = bounds; });
  }
  void setFont(const Font& font) override {
    change([&] {
      native_ = std::make_unique<NativeFont>(font);
      font_ = font;
    });
  }
  void setVisible(bool visible) override {
    change([&] { visible_ = visible; });
  }
  void setFocus() override {}  // a label never takes the focus
  void setText(const std::string& text) override {
    change([&] { text_ = text; });
  }

  void paint(wxDC& dc) const override {
    if (!visible_ || !native_ || text_.empty() || area().IsEmpty()) return;
    wxDCClipper clip(dc, area());
    dc.SetFont(native_->get());
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    for (const TextRun& run : layoutText(font_, text_)) {
      dc.DrawText(toWx(run.text), bounds_.left + run.x, bounds_.top + run.y);
    }
  }

  wxRect area() const override {
    return {bounds_.left, bounds_.top, std::max(bounds_.width, 0), std::max(bounds_.height, 0)};
  }

 private:
  void invalidate() {
    if (area_ && !area().IsEmpty()) area_->RefreshRect(area());
  }
  // Repaints where the label was and where it is now.
  template <class Change>
  void change(Change apply) {
    invalidate();
    apply();
    invalidate();
  }

  wxWeakRef<ClientArea> area_;
  Rect bounds_;
  Font font_;
  std::unique_ptr<NativeFont> native_;
  std::string text_;
  bool visible_ = true;
};

}  // namespace
}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<LabelPeer> createLabel(WindowPeer& parent, Label&) {
  return std::make_unique<wx::NativeLabel>(wx::native(parent).panel());
}

}  // namespace tk::backend
