// The conformance driver of the wx backend: keys typed through the X server, the native
// boxes answered from a timer while their loop runs.
#include <filesystem>

#include "driver.h"
#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/wx/controls.h"

namespace conformance {

using tk::backend::FrontAccess;

void prepare() {}

void showActive(tk::Window& window) {
  window.show();
  wxtest::frameOf(window).Raise();
  wxtest::pumpUntil([&] { return wxtest::frameOf(window).IsActive(); });
}

void focus(tk::Control& control) {
  control.setFocus();
  wxtest::settle();
}

void pressEnter(tk::Window&) {
  wxtest::queueKeys("Return");
}

void pressAlt(tk::Window&, char letter) {
  wxtest::queueKeys(std::string("alt+") + letter);
}

bool walksTabStops() {
  return true;
}

void pressTab(tk::Window&) {
  wxtest::typeKeys("Tab");
}

tk::Control* focusedControl(tk::Window& window) {
  for (tk::Control* control : FrontAccess::controls(window)) {
    if (wxWindow::FindFocus() == tk::wx::widgetOf(FrontAccess::peer(*control))) return control;
  }
  return nullptr;
}

bool runUntil(const std::function<bool()>& done) {
  return wxtest::pumpUntil(done);
}

bool takesInput(tk::Window& window) {
  return wxtest::frameOf(window).IsEnabled();
}

std::optional<bool> takesInput(tk::Control& control) {
  wxWindow* widget = tk::wx::widgetOf(FrontAccess::peer(control));
  if (widget == nullptr) return std::nullopt;
  return gtk_widget_is_sensitive(widget->GetHandle()) != FALSE;
}

std::optional<double> shownFontSize(tk::Control& control) {
  return tk::wx::widgetOf(FrontAccess::peer(control))->GetFont().GetFractionalPointSize();
}

// GTK's file dialog opens in the working folder.
std::string newFile(const std::string& name) {
  const std::filesystem::path path = std::filesystem::current_path() / name;
  std::filesystem::remove(path);
  return path.string();
}

namespace {

ShownIcon iconOf(GtkWidget* box) {
  switch (wxtest::messageTypeOf(box)) {
    case GTK_MESSAGE_OTHER:
      return ShownIcon::none;
    case GTK_MESSAGE_ERROR:
      return ShownIcon::stop;
    case GTK_MESSAGE_QUESTION:
      return ShownIcon::question;
    default:
      return ShownIcon::other;
  }
}

bool offers(GtkWidget* box, GtkResponseType response) {
  return gtk_dialog_get_widget_for_response(GTK_DIALOG(box), response) != nullptr;
}

// Enter is typed into the box, which has the keyboard while it is open.
void answerMessageBox(GtkWidget* box, Reply reply, Seen& seen) {
  seen.text = wxtest::messageTextOf(box);
  seen.caption = wxtest::titleOf(box);
  seen.icon = iconOf(box);
  seen.cancelOffered = offers(box, GTK_RESPONSE_CANCEL);
  if (reply == Reply::enter) {
    wxtest::typeKeys("Return");
  } else if (offers(box, GTK_RESPONSE_YES)) {
    gtk_dialog_response(GTK_DIALOG(box), reply == Reply::yes ? GTK_RESPONSE_YES : GTK_RESPONSE_NO);
  } else {
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  }
}

void answerFileDialog(GtkWidget* dialog, const std::string& file, Seen& seen) {
  auto* chooser = GTK_FILE_CHOOSER(dialog);
  gchar* initial = gtk_file_chooser_get_current_name(chooser);
  seen.fileName = initial != nullptr ? initial : "";
  g_free(initial);
  if (GtkFileFilter* filter = gtk_file_chooser_get_filter(chooser)) {
    seen.filter = gtk_file_filter_get_name(filter);
  }
  if (file.empty()) {
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    return;
  }
  const std::string name = std::filesystem::path(file).filename().string();
  gtk_file_chooser_set_current_name(chooser, name.c_str());
  gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
}

}  // namespace

bool answerOpenBox(const std::string& file, Reply reply, Seen& seen) {
  if (GtkWidget* box = wxtest::openDialog(GTK_TYPE_MESSAGE_DIALOG)) {
    answerMessageBox(box, reply, seen);
    return true;
  }
  if (GtkWidget* dialog = wxtest::openDialog(GTK_TYPE_FILE_CHOOSER_DIALOG)) {
    answerFileDialog(dialog, file, seen);
    return true;
  }
  return false;
}

}  // namespace conformance
