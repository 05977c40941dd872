#include <algorithm>
#include <cctype>

#include "core/decimal.h"
#include "core/intparse.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace tk {

Control::Control(Window& window, std::unique_ptr<backend::ControlPeer> peer)
    : window_(window), peer_(std::move(peer)), font_(window.font()) {
  peer_->setFont(font_);
  window_.addControl(*this);
}

Control::~Control() {
  window_.removeControl(*this);
}

void Control::setLeft(int value) {
  applyBounds({value, bounds_.top, bounds_.width, bounds_.height});
}
void Control::setTop(int value) {
  applyBounds({bounds_.left, value, bounds_.width, bounds_.height});
}
void Control::setWidth(int value) {
  applyBounds({bounds_.left, bounds_.top, value, bounds_.height});
}
void Control::setHeight(int value) {
  applyBounds({bounds_.left, bounds_.top, bounds_.width, value});
}

void Control::applyBounds(const Rect& bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  peer_->setBounds(bounds_);
}

void Control::setFont(const Font& font) {
  if (font == font_) return;
  font_ = font;
  peer_->setFont(font_);
  fontChanged();
}

void Control::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  peer_->setVisible(visible);
}

void Control::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  peer_->setEnabled(enabled);
}

void Control::setTabOrder(int position) {
  tabOrder_ = position;
  window_.refreshTabOrder();
}

void Control::setFocus() {
  peer_->setFocus();
}

// Label

Label::Label(Window& window, const std::string& text)
    : Control(window, backend::createLabel(backend::FrontAccess::peer(window), *this)),
      text_(text) {
  static_cast<backend::LabelPeer&>(peer()).setText(text_);
  autoSize();
}

void Label::setText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  static_cast<backend::LabelPeer&>(peer()).setText(text_);
  autoSize();
  if (namesField_) window().refreshSpokenNames();
}

void Label::autoSize() {
  const Size size = measureText(font(), text_);
  applyBounds({left(), top(), size.width, size.height});
  sized();
}

// LabeledEdit

LabeledEdit::LabeledEdit(Window& window)
    : Control(window, backend::createEdit(backend::FrontAccess::peer(window), *this)),
      caption_(window, *this) {
  fontChanged();
}

std::string LabeledEdit::text() const {
  return static_cast<const backend::EditPeer&>(peer()).text();
}

void LabeledEdit::setText(const std::string& text) {
  static_cast<backend::EditPeer&>(peer()).setText(text);
}

void LabeledEdit::setCaptionSpacing(int spacing) {
  spacing_ = spacing;
  placeCaption();
}

void LabeledEdit::setLeft(int value) {
  Control::setLeft(value);
  placeCaption();
}

void LabeledEdit::setTop(int value) {
  Control::setTop(value);
  placeCaption();
}

void LabeledEdit::setVisible(bool visible) {
  Control::setVisible(visible);
  caption_.setVisible(visible);
}

void LabeledEdit::fontChanged() {
  if (autoHeight_) applyBounds({left(), top(), width(), backend::editHeight(font())});
}

void LabeledEdit::placeCaption() {
  caption_.setLeft(left());
  caption_.setTop(top() - caption_.height() - spacing_);
}

// Button

Button::Button(Window& window, const std::string& caption)
    : Control(window, backend::createButton(backend::FrontAccess::peer(window), *this)) {
  setCaption(caption);
}

void Button::setCaption(const std::string& caption) {
  caption_ = caption;
  static_cast<backend::ButtonPeer&>(peer()).setCaption(caption_);
}

void Button::setDefault(bool isDefault) {
  default_ = isDefault;
  window().refreshDefaultButton();
}

void Button::setVisible(bool visible) {
  Control::setVisible(visible);
  window().refreshDefaultButton();
}

char Button::accelerator() const {
  for (std::size_t i = 0; i + 1 < caption_.size(); ++i) {
    if (caption_[i] != '&') continue;
    if (caption_[i + 1] != '&')
      return static_cast<char>(std::tolower(static_cast<unsigned char>(caption_[i + 1])));
    ++i;  // "&&" stands for a plain "&"
  }
  return 0;
}

void Button::click() {
  if (enabled()) dispatch(onClick);
}

// ComboBox

ComboBox::ComboBox(Window& window, ComboStyle style)
    : Control(window, backend::createCombo(backend::FrontAccess::peer(window), *this, style)),
      style_(style) {}

namespace {
backend::ComboPeer& comboPeer(const ComboBox& box) {
  return static_cast<backend::ComboPeer&>(backend::FrontAccess::peer(box));
}
}  // namespace

void ComboBox::clearItems() {
  items_.clear();
  comboPeer(*this).clearItems();
}

void ComboBox::addItem(const std::string& item) {
  items_.push_back(item);
  comboPeer(*this).addItem(item);
}

int ComboBox::itemCount() const {
  return static_cast<int>(items_.size());
}

int ComboBox::itemIndex() const {
  return comboPeer(*this).itemIndex();
}

void ComboBox::setItemIndex(int index) {
  comboPeer(*this).setItemIndex(index >= 0 && index < itemCount() ? index : -1);
}

std::string ComboBox::text() const {
  return comboPeer(*this).text();
}

void ComboBox::setText(const std::string& text) {
  comboPeer(*this).setText(text);
}

int ComboBox::height() const {
  return backend::comboHeight(font());
}

// UpDown

UpDown::UpDown(Window& window)
    : Control(window, backend::createUpDown(backend::FrontAccess::peer(window), *this)) {}

void UpDown::setAssociate(LabeledEdit& buddy) {
  buddy_ = &buddy;
  setPosition(position_);
  window().refreshSpokenNames();
}

const Label* UpDown::ownLabel() const {
  return buddy_ != nullptr ? &buddy_->captionLabel() : nullptr;
}

void UpDown::setRange(std::int16_t minimum, std::int16_t maximum) {
  min_ = minimum;
  max_ = maximum;
  setPosition(position_);
}

void UpDown::setPosition(int position) {
  position_ = static_cast<std::int16_t>(std::clamp<int>(position, min_, max_));
  if (buddy_ != nullptr) buddy_->setText(core::decimalText(position_));
}

std::int16_t UpDown::position() {
  if (buddy_ == nullptr) return position_;
  const std::string text = buddy_->text();
  // The text is a number exactly when both fallbacks give the same result.
  const std::int32_t value = core::parseIntOr(text, 0);
  const bool isNumber = value == core::parseIntOr(text, 1);
  if (isNumber && value >= min_ && value <= max_) {
    position_ = static_cast<std::int16_t>(value);
  } else {
    setPosition(position_);
  }
  return position_;
}

void UpDown::notifyStep(int delta) {
  setPosition(position() + delta);
}

}  // namespace tk
