#include <cairo.h>
#include <wx/settings.h>
#include <wx/weakref.h>

#include <algorithm>
#include <memory>

#include "toolkit/backend.h"
#include "toolkit/wx/accessible.h"
#include "toolkit/wx/client_area.h"
#include "toolkit/wx/fonts.h"
#include "toolkit/wx/text.h"
#include "toolkit/wx/window.h"

namespace tk::wx {
namespace {

// A label has no widget of its own: its client area draws it, run by run where
// tk::layoutText puts them, clipped to the label's bounds.
//
// A label that changes at every tick of a timer must cost no more than its changes: it draws
// the glyphs its runs were measured with (wxDC::DrawText would lay each run out and measure
// it again at every paint), and a change repaints only where the text was or is.
class NativeLabel final : public backend::LabelPeer, public PaintedItem, public SpokenLabel {
 public:
  explicit NativeLabel(ClientArea& area) : area_(&area) {
    area.add(*this);
    area.spokenLabels().add(*this);
  }
  ~NativeLabel() override {
    if (!area_) return;
    area_->remove(*this);
    area_->spokenLabels().remove(*this);
    invalidate();
  }
  NativeLabel(const NativeLabel&) = delete;
  NativeLabel& operator=(const NativeLabel&) = delete;

  void setBounds(const Rect& bounds) override {
    change([&] { bounds_ = bounds; });
  }
  void setFont(const Font& font) override {
    change([&] {
      native_ = std::make_unique<NativeFont>(font);
      font_ = font;
      measure();
    });
  }
  void setVisible(bool visible) override {
    change([&] { visible_ = visible; });
    spokenStateChanged();
  }
  // Drawn greyed, as Windows draws a disabled label.
  void setEnabled(bool enabled) override {
    change([&] { enabled_ = enabled; });
    spokenStateChanged();
  }
  void setFocus() override {}  // a label never takes the focus
  void setText(const std::string& text) override {
    change([&] {
      text_ = text;
      measure();
    });
    spokenTextChanged();
  }

  std::string spokenText() const override { return backend::spokenText(text_); }
  wxRect spokenBounds() const override { return area(); }
  bool spokenVisible() const override { return visible_; }
  bool spokenEnabled() const override { return enabled_; }

  void paint(cairo_t* cr) const override {
    if (!visible_ || !native_ || text_.empty() || area().IsEmpty()) return;
    const wxRect clip = area();
    const wxColour ink =
        wxSystemSettings::GetColour(enabled_ ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT);
    cairo_save(cr);
    cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(cr);
    cairo_set_source_rgba(cr, ink.Red() / 255.0, ink.Green() / 255.0, ink.Blue() / 255.0,
                          ink.Alpha() / 255.0);
    for (const TextRun& run : layoutText(font_, text_)) {
      drawRun(cr, font_, run.text, bounds_.left + run.x, bounds_.top + run.y);
    }
    cairo_restore(cr);
  }

  // Where the text's ink can be: its extent, with room for a glyph reaching past its advance,
  // within the label's bounds.
  wxRect area() const override {
    const int overhang = extent_.height / 4;
    const int width = extent_.width > 0 ? extent_.width + overhang : 0;
    return {bounds_.left, bounds_.top, std::clamp(width, 0, std::max(bounds_.width, 0)),
            std::clamp(extent_.height, 0, std::max(bounds_.height, 0))};
  }

 private:
  void measure() { extent_ = native_ ? measureText(font_, text_) : Size{}; }

  void invalidate() {
    if (area_ && !area().IsEmpty()) area_->RefreshRect(area());
  }
  // Repaints where the text was and where it is now.
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
  Size extent_;
  bool visible_ = true;
  bool enabled_ = true;
};

}  // namespace
}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<LabelPeer> createLabel(WindowPeer& parent, Label&) {
  return std::make_unique<wx::NativeLabel>(wx::native(parent).panel());
}

}  // namespace tk::backend
