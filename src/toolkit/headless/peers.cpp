// The headless peers of windows and controls: they keep what a native control would.
#include <algorithm>
#include <cctype>

#include "toolkit/headless/internal.h"

namespace tk::headless {
namespace {

int liveFonts = 0;
backend::ControlPeer* focused = nullptr;

struct FrontHolder {
  explicit FrontHolder(Control& control) : front(control) {}
  virtual ~FrontHolder() = default;
  Control& front;
};

template <class Peer>
class HeadlessControl : public Peer, public FrontHolder {
 public:
  explicit HeadlessControl(Control& controlFront) : FrontHolder(controlFront) {}
  ~HeadlessControl() override {
    if (focused == this) focused = nullptr;
  }
  void setBounds(const Rect& bounds) override { bounds_ = bounds; }
  void setFont(const Font&) override { font_ = std::make_unique<NativeFont>(); }
  void setVisible(bool visible) override { visible_ = visible; }
  // As a native control, a disabled one gives up the keyboard focus.
  void setEnabled(bool enabled) override {
    enabled_ = enabled;
    if (!enabled && focused == this) focused = nullptr;
  }
  void setFocus() override { focused = this; }

 private:
  Rect bounds_;
  std::unique_ptr<NativeFont> font_;
  bool visible_ = true;
  bool enabled_ = true;
};

class HeadlessLabel : public HeadlessControl<backend::LabelPeer> {
 public:
  using HeadlessControl::HeadlessControl;
  void setText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

class HeadlessEdit : public HeadlessControl<backend::EditPeer> {
 public:
  using HeadlessControl::HeadlessControl;
  std::string text() const override { return text_; }
  void setText(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

class HeadlessButton : public HeadlessControl<backend::ButtonPeer> {
 public:
  using HeadlessControl::HeadlessControl;
  void setCaption(const std::string&) override {}
};

class HeadlessCombo : public HeadlessControl<backend::ComboPeer> {
 public:
  HeadlessCombo(ComboBox& comboFront, ComboStyle style)
      : HeadlessControl(comboFront), style_(style) {}
  void clearItems() override {
    items_.clear();
    setItemIndex(-1);
  }
  void addItem(const std::string& item) override { items_.push_back(item); }
  int itemIndex() const override { return index_; }
  void setItemIndex(int index) override {
    index_ = index;
    text_ = index >= 0 ? items_[static_cast<std::size_t>(index)] : std::string();
  }
  std::string text() const override { return text_; }
  // A drop-down list can only show one of its entries; an editable box shows any text.
  void setText(const std::string& text) override {
    if (style_ == ComboStyle::dropDown) {
      text_ = text;
      return;
    }
    const auto found = std::find(items_.begin(), items_.end(), text);
    setItemIndex(found == items_.end() ? -1 : static_cast<int>(found - items_.begin()));
  }

 private:
  ComboStyle style_;
  std::vector<std::string> items_;
  int index_ = -1;
  std::string text_;
};

class HeadlessUpDown : public HeadlessControl<backend::UpDownPeer> {
 public:
  using HeadlessControl::HeadlessControl;
};

class HeadlessWindow : public backend::WindowPeer {
 public:
  explicit HeadlessWindow(Window& windowFront) : front_(windowFront) {}
  Rect bounds() const override { return bounds_; }
  void setBounds(const Rect& bounds) override {
    const bool resized = bounds.width != bounds_.width || bounds.height != bounds_.height;
    bounds_ = bounds;
    if (resized) backend::FrontAccess::resized(front_);
  }
  // The frame is taken off a size of at least the frame, so that no size can overflow.
  Size clientSize() const override {
    return {std::max(frameWidth, bounds_.width) - frameWidth,
            std::max(frameHeight, bounds_.height) - frameHeight};
  }
  int dpi() const override { return 96; }
  void setCaption(const std::string&) override {}
  void setVisible(bool visible) override {
    const bool showing = visible && !visible_;
    visible_ = visible;
    if (showing) backend::FrontAccess::resized(front_);
  }
  bool visible() const override { return visible_; }
  void runModal() override;
  void endModal() override { modalOpen_ = false; }
  void setDefaultButton(backend::ButtonPeer*) override {}
  void setTabOrder(const std::vector<backend::ControlPeer*>&) override {}

 private:
  Window& front_;
  Rect bounds_;
  bool visible_ = false;
  bool modalOpen_ = false;
};

void HeadlessWindow::runModal() {
  setVisible(true);
  modalOpen_ = true;
  ModalEvent event;
  event.kind = ModalKind::window;
  event.window = &front_;
  runModalScript(event);
  if (modalOpen_) front_.close();
  modalOpen_ = false;
  setVisible(false);
}

}  // namespace

NativeFont::NativeFont() {
  ++liveFonts;
}
NativeFont::~NativeFont() {
  --liveFonts;
}

Control* focusedControl() {
  auto* control = dynamic_cast<FrontHolder*>(focused);
  return control != nullptr ? &control->front : nullptr;
}

void pressEnter(Window& window) {
  auto* button = dynamic_cast<Button*>(focusedControl());
  if (button == nullptr || &button->window() != &window || !button->visible()) {
    button = window.defaultButton();
  }
  if (button != nullptr) button->click();
}

bool pressAccelerator(Window& window, char letter) {
  const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  for (Control* control : backend::FrontAccess::controls(window)) {
    auto* button = dynamic_cast<Button*>(control);
    if (button != nullptr && button->visible() && button->enabled() &&
        button->accelerator() == wanted) {
      button->click();
      return true;
    }
  }
  return false;
}

void pressClose(Window& window) {
  backend::FrontAccess::closeRequested(window);
}

}  // namespace tk::headless

namespace tk::backend {

using namespace tk::headless;

std::unique_ptr<WindowPeer> createWindow(Window& front) {
  return std::make_unique<HeadlessWindow>(front);
}
std::unique_ptr<LabelPeer> createLabel(WindowPeer&, Label& front) {
  return std::make_unique<HeadlessLabel>(front);
}
std::unique_ptr<EditPeer> createEdit(WindowPeer&, LabeledEdit& front) {
  return std::make_unique<HeadlessEdit>(front);
}
std::unique_ptr<ButtonPeer> createButton(WindowPeer&, Button& front) {
  return std::make_unique<HeadlessButton>(front);
}
std::unique_ptr<ComboPeer> createCombo(WindowPeer&, ComboBox& front, ComboStyle style) {
  return std::make_unique<HeadlessCombo>(front, style);
}
std::unique_ptr<UpDownPeer> createUpDown(WindowPeer&, UpDown& front) {
  return std::make_unique<HeadlessUpDown>(front);
}

int liveFontCount() {
  return liveFonts;
}

}  // namespace tk::backend
