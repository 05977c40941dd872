#include <algorithm>
#include <cstdint>

#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace {

// The first window created is the main window: closing it ends the message loop.
Window* mainWindow = nullptr;

}  // namespace

Window::Window(const WindowLayout& layout)
    : caption_(layout.caption), font_(layout.font), peer_(backend::createWindow(*this)) {
  if (mainWindow == nullptr) mainWindow = this;
  peer_->setCaption(caption_);
  peer_->setBounds(layout.bounds);
}

Window::~Window() {
  if (mainWindow == this) mainWindow = nullptr;
}

int Window::left() const {
  return peer_->bounds().left;
}
int Window::top() const {
  return peer_->bounds().top;
}
int Window::width() const {
  return peer_->bounds().width;
}
int Window::height() const {
  return peer_->bounds().height;
}
void Window::setLeft(int value) {
  setBound(&Rect::left, value);
}
void Window::setTop(int value) {
  setBound(&Rect::top, value);
}
void Window::setWidth(int value) {
  setBound(&Rect::width, value);
}
void Window::setHeight(int value) {
  setBound(&Rect::height, value);
}
Size Window::clientSize() const {
  return peer_->clientSize();
}

int Window::pixels(int designPixels) const {
  return static_cast<int>(std::int64_t{designPixels} * peer_->dpi() / 96);
}

void Window::setBound(int Rect::*field, int value) {
  Rect bounds = peer_->bounds();
  if (bounds.*field == value) return;
  bounds.*field = value;
  peer_->setBounds(bounds);
}

void Window::setCaption(const std::string& caption) {
  caption_ = caption;
  peer_->setCaption(caption);
}

void Window::show() {
  peer_->setVisible(true);
}
void Window::hide() {
  peer_->setVisible(false);
}
bool Window::visible() const {
  return peer_->visible();
}

void Window::showModal() {
  modal_ = true;
  peer_->runModal();
  modal_ = false;
}

void Window::close() {
  bool mayClose = false;
  if (!dispatch([&] { mayClose = onCloseQuery(); }) || !mayClose) return;
  if (!dispatch(onClose)) return;
  if (modal_) peer_->endModal();
  peer_->setVisible(false);
  if (this == mainWindow) backend::quit();
}

void Window::keepOnScreen() {
  const Rect bounds = peer_->bounds();
  const Rect placed = placeOnScreen(bounds, backend::workAreas());
  if (placed != bounds) peer_->setBounds(placed);
}

void Window::notifyResized() {
  dispatch(onResize);
  refreshSpokenNames();
}

Button* Window::defaultButton() const {
  for (Control* control : controls_) {
    auto* button = dynamic_cast<Button*>(control);
    if (button != nullptr && button->visible() && button->isDefault()) return button;
  }
  return nullptr;
}

void Window::addControl(Control& control) {
  controls_.push_back(&control);
}

void Window::removeControl(Control& control) {
  std::erase(controls_, &control);
}

void Window::refreshDefaultButton() {
  Button* button = defaultButton();
  peer_->setDefaultButton(
      button != nullptr ? static_cast<backend::ButtonPeer*>(&backend::FrontAccess::peer(*button))
                        : nullptr);
}

void Window::refreshTabOrder() {
  std::vector<Control*> stops;
  std::copy_if(controls_.begin(), controls_.end(), std::back_inserter(stops),
               [](const Control* control) { return control->tabOrder() >= 0; });
  std::stable_sort(stops.begin(), stops.end(), [](const Control* a, const Control* b) {
    return a->tabOrder() < b->tabOrder();
  });
  std::vector<backend::ControlPeer*> order;
  for (Control* control : stops) order.push_back(&backend::FrontAccess::peer(*control));
  peer_->setTabOrder(order);
}

namespace {

bool overlapsHorizontally(const Rect& a, const Rect& b) {
  return std::int64_t{a.left} < std::int64_t{b.left} + b.width &&
         std::int64_t{b.left} < std::int64_t{a.left} + a.width;
}

}  // namespace

// A field without a label of its own goes with the label over it, as a sighted user reads the
// window; the layout moves both, so this runs after every layout pass.
void Window::refreshSpokenNames() {
  std::vector<const Label*> labels;
  for (Control* control : controls_) {
    if (const auto* label = dynamic_cast<const Label*>(control)) {
      label->namesField_ = false;
      labels.push_back(label);
    }
  }
  for (Control* field : controls_) {
    if (!field->namedByLabel()) continue;
    const Label* naming = field->ownLabel();
    if (naming == nullptr) {
      for (const Label* label : labels) {
        if (!label->visible() || label->top() >= field->top() ||
            !overlapsHorizontally(label->bounds(), field->bounds())) {
          continue;
        }
        if (naming == nullptr || label->top() > naming->top()) naming = label;
      }
    }
    std::string name;
    backend::LabelPeer* standing = nullptr;
    if (naming != nullptr) {
      naming->namesField_ = true;
      name = backend::spokenText(naming->text());
      // A spinner's label stands with its edit box.
      if (dynamic_cast<UpDown*>(field) == nullptr) {
        standing = &static_cast<backend::LabelPeer&>(*naming->peer_);
      }
    }
    if (name == field->spokenName_ && standing == field->spokenLabel_) continue;
    field->spokenName_ = name;
    field->spokenLabel_ = standing;
    field->peer_->setSpokenName(name, standing);
  }
}

}  // namespace tk

namespace tk {

void Application::run() {
  if (mainWindow != nullptr) mainWindow->show();
  backend::runLoop();
}

}  // namespace tk
