// Labels as native static controls.
#include <algorithm>

#include "toolkit/win32/controls.h"
#include "toolkit/win32/text.h"

namespace tk::win32 {
namespace {

// SS_LEFTNOWORDWRAP draws with DT_EXPANDTABS and breaks lines at "\n" only: a text that
// measures a pixel narrower than DrawText draws it loses that pixel, never a word to a line
// below that is not shown. SS_NOPREFIX keeps "&". The static control fills its whole
// rectangle, and the layout may give a label more room than its text, over its neighbours;
// so the native window covers only the part of the label that its text takes.
class NativeLabel final : public NativeControl<backend::LabelPeer> {
 public:
  NativeLabel(backend::WindowPeer& parent, Label& label)
      : NativeControl(parent, label, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX) {}
  void setBounds(const Rect& bounds) override {
    bounds_ = bounds;
    placeText();
  }
  void setFont(const Font& font) override {
    applyFont(font);
    font_ = font;
    placeText();
  }
  void setText(const std::string& text) override {
    text_ = text;
    SetWindowTextW(handle(), widen(text).c_str());
    placeText();
  }

 private:
  void placeText() {
    const Size extent = measureText(font_, text_);
    place({bounds_.left, bounds_.top, std::min(bounds_.width, extent.width),
           std::min(bounds_.height, extent.height)});
  }

  Rect bounds_;
  Font font_;
  std::string text_;
};

}  // namespace
}  // namespace tk::win32

namespace tk::backend {

std::unique_ptr<LabelPeer> createLabel(WindowPeer& parent, Label& front) {
  return std::make_unique<win32::NativeLabel>(parent, front);
}

}  // namespace tk::backend
