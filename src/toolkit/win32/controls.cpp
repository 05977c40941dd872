// Edit boxes, push buttons and combo boxes as native child windows.
#include "toolkit/win32/controls.h"

#include <algorithm>
#include <map>
#include <vector>

#include "toolkit/win32/dpi.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32.h"
#include "toolkit/win32/window.h"

namespace tk::win32 {
namespace {

// Marks our child windows, so that a foreign one (a combo box's inner edit) is never
// taken for a peer.
constexpr wchar_t controlProperty[] = L"Querlan.Control";
// Control identifiers start above IDOK and IDCANCEL, which the dialog manager sends.
UINT_PTR nextControlId = 1000;
constexpr int comboListRows = 8;

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

class NativeEdit final : public NativeControl<backend::EditPeer> {
 public:
  NativeEdit(backend::WindowPeer& parent, LabeledEdit& edit)
      : NativeControl(parent, edit, L"EDIT", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE) {}
  std::string text() const override { return narrow(windowText(handle())); }
  void setText(const std::string& text) override { SetWindowTextW(handle(), widen(text).c_str()); }
};

// The native combo box takes the asked height as that of its open list; its closed
// height follows its font. So every placing asks for room for a list of eight rows.
class NativeCombo final : public NativeControl<backend::ComboPeer> {
 public:
  NativeCombo(backend::WindowPeer& parent, ComboBox& combo, ComboStyle style)
      : NativeControl(
            parent, combo, L"COMBOBOX",
            WS_VSCROLL | (style == ComboStyle::dropDownList ? CBS_DROPDOWNLIST
                                                            : CBS_DROPDOWN | CBS_AUTOHSCROLL)),
        style_(style) {}

  void setBounds(const Rect& bounds) override {
    bounds_ = bounds;
    place({bounds.left, bounds.top, bounds.width, openHeight()});
  }
  void setFont(const Font& font) override {
    applyFont(font);
    setBounds(bounds_);
  }
  void clearItems() override {
    items_.clear();
    SendMessageW(handle(), CB_RESETCONTENT, 0, 0);
  }
  void addItem(const std::string& item) override {
    items_.push_back(item);
    SendMessageW(handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
  }
  int itemIndex() const override {
    const LRESULT index = SendMessageW(handle(), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
  }
  // -1 clears the selection: the message takes its index as a signed number.
  void setItemIndex(int index) override {
    SendMessageW(handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  std::string text() const override { return narrow(windowText(handle())); }
  // A drop-down list can only show one of its entries, matched exactly; an editable box
  // shows any text.
  void setText(const std::string& text) override {
    if (style_ == ComboStyle::dropDown) {
      SetWindowTextW(handle(), widen(text).c_str());
      return;
    }
    const auto found = std::find(items_.begin(), items_.end(), text);
    setItemIndex(found == items_.end() ? -1 : static_cast<int>(found - items_.begin()));
  }

 private:
  int openHeight() const {
    RECT closed{};
    GetWindowRect(handle(), &closed);
    const auto row = static_cast<int>(SendMessageW(handle(), CB_GETITEMHEIGHT, 0, 0));
    return (closed.bottom - closed.top) + comboListRows * std::max(row, 1) + 2;
  }

  ComboStyle style_;
  Rect bounds_;
  std::vector<std::string> items_;
};

// A combo box that no one sees, in a window that no one sees, asked for its closed height.
class ComboGauge {
 public:
  ComboGauge()
      : parent_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr)),
        combo_(CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 200,
                               parent_, nullptr, GetModuleHandleW(nullptr), nullptr)) {}

  int heightWith(const Font& font) {
    const auto known = heights_.find(key(font));
    if (known != heights_.end()) return known->second;
    const NativeFont native(font);
    SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(native.get()), FALSE);
    RECT closed{};
    GetWindowRect(combo_, &closed);
    SendMessageW(combo_, WM_SETFONT, 0, FALSE);
    if (heights_.size() >= maxKnown) heights_.clear();
    return heights_[key(font)] = closed.bottom - closed.top;
  }

 private:
  static std::pair<std::string, int> key(const Font& font) { return {font.name, font.height}; }
  static constexpr std::size_t maxKnown = 64;
  HWND parent_;
  HWND combo_;
  std::map<std::pair<std::string, int>, int> heights_;
};

}  // namespace

// ChildControl

// WS_CLIPSIBLINGS: where two controls meet, the one in front is drawn and the other one
// never paints over it, whichever repaints last.
ChildControl::ChildControl(backend::WindowPeer& parent, Control& front, const wchar_t* className,
                           DWORD style, DWORD extendedStyle)
    : front_(front),
      hwnd_(CreateWindowExW(extendedStyle, className, L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                            nativeWindow(parent), reinterpret_cast<HMENU>(nextControlId++),
                            GetModuleHandleW(nullptr), nullptr)) {
  SetPropW(hwnd_, controlProperty, this);
}

ChildControl::~ChildControl() {
  clearAnnotations(hwnd_);
  RemovePropW(hwnd_, controlProperty);
  DestroyWindow(hwnd_);
}

// Statics take no tab stop, so a label placed among the tab stops leaves the tab order as it
// is; labels and fields do not overlap, so neither is drawn over the other.
void ChildControl::standWithLabel(HWND label) {
  label_ = label;
  keepLabelBefore();
}

void ChildControl::keepLabelBefore() {
  if (label_ == nullptr || !IsWindow(label_) || GetParent(label_) != GetParent(hwnd_)) return;
  const HWND before = GetWindow(hwnd_, GW_HWNDPREV);
  if (before == label_) return;
  SetWindowPos(label_, before != nullptr ? before : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

ChildControl* ChildControl::from(HWND window) {
  return window != nullptr ? static_cast<ChildControl*>(GetPropW(window, controlProperty))
                           : nullptr;
}

// The whole control is drawn anew: a label draws its new text at once, still at its old
// width, where a line may break that fits at the new one; old bits kept would show that.
void ChildControl::place(const Rect& bounds) {
  SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, std::max(bounds.width, 0),
               std::max(bounds.height, 0), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

// The new font is in place before the old one is deleted, so the control never holds a
// deleted font.
void ChildControl::applyFont(const Font& font) {
  auto native = std::make_unique<NativeFont>(font);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(native->get()), TRUE);
  font_ = std::move(native);
}

void ChildControl::show(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

// A disabled control gets no input: no clicks, no keys, no BN_CLICKED from an accelerator.
void ChildControl::enable(bool enabled) {
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void ChildControl::focus() {
  SetFocus(hwnd_);
}

// NativeButton

NativeButton::NativeButton(backend::WindowPeer& parent, Button& button)
    : NativeControl(parent, button, L"BUTTON", BS_PUSHBUTTON) {}

void NativeButton::setBounds(const Rect& bounds) {
  place(bounds);
  width_ = bounds.width;
  showFont();
}

void NativeButton::setFont(const Font& font) {
  font_ = font;
  showFont();
}

void NativeButton::setCaption(const std::string& caption) {
  SetWindowTextW(handle(), widen(caption).c_str());
  caption_ = backend::plainCaption(caption);
  showFont();
}

void NativeButton::showFont() {
  const int padding =
      MulDiv(backend::buttonCaptionPadding, windowDpi(GetParent(handle())), designDpi);
  const Font shown = backend::captionFont(font_, caption_, width_, padding);
  if (shown_ == shown) return;
  applyFont(shown);
  shown_ = shown;
}

void NativeButton::command(WORD code) {
  if (code == BN_CLICKED) click();
}

void NativeButton::showAsDefault(bool isDefault) {
  SendMessageW(handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void NativeButton::click() {
  static_cast<Button&>(front()).click();
}

int closedComboHeight(const Font& font) {
  static ComboGauge gauge;
  return gauge.heightWith(font);
}

}  // namespace tk::win32

namespace tk::backend {

using namespace tk::win32;

std::unique_ptr<EditPeer> createEdit(WindowPeer& parent, LabeledEdit& front) {
  return std::make_unique<NativeEdit>(parent, front);
}
std::unique_ptr<ButtonPeer> createButton(WindowPeer& parent, Button& front) {
  return std::make_unique<NativeButton>(parent, front);
}
std::unique_ptr<ComboPeer> createCombo(WindowPeer& parent, ComboBox& front, ComboStyle style) {
  return std::make_unique<NativeCombo>(parent, front, style);
}

}  // namespace tk::backend

namespace tk::win32 {

HWND nativeHandle(Window& window) {
  return nativeWindow(backend::FrontAccess::peer(window));
}

HWND nativeHandle(Control& control) {
  return dynamic_cast<ChildControl&>(backend::FrontAccess::peer(control)).handle();
}

}  // namespace tk::win32
