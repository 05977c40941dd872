#include "toolkit/wx/controls.h"

#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "toolkit/wx/gtk.h"
#include "toolkit/wx/text.h"
#include "toolkit/wx/window.h"

namespace tk::wx {
namespace {

class NativeEdit final : public NativeControl<backend::EditPeer> {
 public:
  explicit NativeEdit(wxWindow* parent) : NativeControl(new wxTextCtrl(parent, wxID_ANY)) {}
  std::string text() const override { return fromWx(as<wxTextCtrl>().GetValue()); }
  void setText(const std::string& text) override { as<wxTextCtrl>().ChangeValue(toWx(text)); }
};

class NativeButton final : public NativeControl<backend::ButtonPeer> {
 public:
  NativeButton(wxWindow* parent, Button& front) : NativeControl(new ButtonWidget(parent, front)) {}
  // wx turns the "&" marker into the native mnemonic.
  void setCaption(const std::string& caption) override {
    as<wxButton>().SetLabel(toWx(caption));
    shownCaption_ = backend::plainCaption(caption);
    showFont();
  }

 private:
  Font displayedFont() const override {
    return backend::captionFont(font(), shownCaption_, bounds().width,
                                backend::buttonCaptionPadding);
  }

  std::string shownCaption_;
};

// The drop-down list: selection only.
class NativeChoice final : public NativeControl<backend::ComboPeer> {
 public:
  explicit NativeChoice(wxWindow* parent) : NativeControl(new wxChoice(parent, wxID_ANY)) {
    useCompactCells(*widget());
  }
  void clearItems() override { as<wxChoice>().Clear(); }
  void addItem(const std::string& item) override { as<wxChoice>().Append(toWx(item)); }
  int itemIndex() const override { return as<wxChoice>().GetSelection(); }
  void setItemIndex(int index) override { as<wxChoice>().SetSelection(index < 0 ? -1 : index); }
  std::string text() const override { return fromWx(as<wxChoice>().GetStringSelection()); }
  // A list without typing shows the entry that matches the text, or none.
  void setText(const std::string& text) override {
    as<wxChoice>().SetSelection(as<wxChoice>().FindString(toWx(text), true));
  }

 private:
  // A closed combo box is as high as its font makes it, whatever height was asked for.
  int fittedHeight(int) const override { return backend::comboHeight(font()); }
};

// The editable combo box: any text, and a list to choose from.
class NativeComboBox final : public NativeControl<backend::ComboPeer> {
 public:
  explicit NativeComboBox(wxWindow* parent)
      : NativeControl(new wxComboBox(parent, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                     0, nullptr, wxCB_DROPDOWN)) {}
  void clearItems() override { as<wxComboBox>().Clear(); }
  void addItem(const std::string& item) override { as<wxComboBox>().Append(toWx(item)); }
  int itemIndex() const override { return as<wxComboBox>().GetSelection(); }
  void setItemIndex(int index) override {
    if (index >= 0) {
      as<wxComboBox>().SetSelection(index);
    } else {
      as<wxComboBox>().SetSelection(wxNOT_FOUND);
      as<wxComboBox>().ChangeValue(wxString());  // no selection: no text, as on Windows
    }
  }
  std::string text() const override { return fromWx(as<wxComboBox>().GetValue()); }
  void setText(const std::string& text) override { as<wxComboBox>().ChangeValue(toWx(text)); }

 private:
  int fittedHeight(int) const override { return backend::comboHeight(font()); }
};

}  // namespace

wxWindow* widgetOf(backend::ControlPeer& peer) {
  auto* native = dynamic_cast<NativeWidget*>(&peer);
  return native != nullptr ? native->widget() : nullptr;
}

ButtonWidget::ButtonWidget(wxWindow* parent, Button& front)
    : wxButton(parent, wxID_ANY, wxString()), front_(front) {
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { front_.click(); });
}

}  // namespace tk::wx

namespace tk::backend {

std::unique_ptr<EditPeer> createEdit(WindowPeer& parent, LabeledEdit&) {
  return std::make_unique<wx::NativeEdit>(&wx::native(parent).panel());
}

std::unique_ptr<ButtonPeer> createButton(WindowPeer& parent, Button& front) {
  return std::make_unique<wx::NativeButton>(&wx::native(parent).panel(), front);
}

std::unique_ptr<ComboPeer> createCombo(WindowPeer& parent, ComboBox&, ComboStyle style) {
  wxWindow* panel = &wx::native(parent).panel();
  if (style == ComboStyle::dropDownList) return std::make_unique<wx::NativeChoice>(panel);
  return std::make_unique<wx::NativeComboBox>(panel);
}

}  // namespace tk::backend
