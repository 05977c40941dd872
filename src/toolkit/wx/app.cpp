#include <wx/app.h>
#include <wx/event.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "core/error.h"
#include "toolkit/backend.h"
#include "toolkit/wx/fonts.h"
#include "toolkit/wx/gtk.h"
#include "toolkit/wx/text.h"
#include "toolkit/wx/window.h"

namespace tk::wx {
namespace {

// The program never has wx open a box of its own: a failed wx assertion or a wx log message
// would otherwise block the program with a modal dialog it did not ask for.
void reportAssertion(const wxString& file, int line, const wxString& function,
                     const wxString& condition, const wxString& message) {
  std::fprintf(stderr, "wx assertion %s failed in %s (%s:%d): %s\n", condition.utf8_str().data(),
               function.utf8_str().data(), file.utf8_str().data(), line, message.utf8_str().data());
}

class App : public wxApp {
 public:
  bool OnInit() override {
    // Windows are hidden, never destroyed, while the program runs; quit() ends the loop.
    SetExitOnFrameDelete(false);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(reportAssertion);
    installCompactStyle();
    // No window asks for idle or update-UI events; wx would otherwise send both to every
    // window each time it runs its idle processing.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    return true;
  }
};

bool started = false;
bool quitPending = false;

}  // namespace
}  // namespace tk::wx

namespace tk::backend {

void initialize(int argc, char** argv) {
  if (wx::started) return;
  // wx keeps the arguments (the program's name) for the life of the program.
  static std::vector<char*> arguments;
  static char programName[] = "Querlan";
  arguments.assign(argv, argv + std::max(argc, 0));
  if (arguments.empty()) arguments.push_back(programName);
  arguments.push_back(nullptr);
  static int count = static_cast<int>(arguments.size()) - 1;
  wxApp::SetInstance(new wx::App);
  if (!wxEntryStart(count, arguments.data()) || !wxTheApp->CallOnInit()) {
    throw core::Error("Die Fensteroberfläche kann nicht gestartet werden");
  }
  wx::started = true;
}

void runLoop() {
  if (std::exchange(wx::quitPending, false)) return;
  wxTheApp->MainLoop();
}

void quit() {
  if (wxTheApp != nullptr && wxTheApp->GetMainLoop() != nullptr) {
    wxTheApp->ExitMainLoop();
  } else {
    wx::quitPending = true;  // closed before the loop ran: the loop ends at once
  }
}

std::string programPath() {
  std::error_code failed;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", failed);
  return failed ? std::string() : path.string();
}

namespace {

long iconStyle(Icon icon) {
  switch (icon) {
    case Icon::stop:
      return wxICON_ERROR;
    case Icon::question:
      return wxICON_QUESTION;
    case Icon::none:
      break;
  }
  return wxICON_NONE;
}

// Owned by the window it concerns (its transient parent), so that it stays above that
// window; modal to the whole program, not only to its owner.
int runMessageBox(const std::string& text, const std::string& caption, long style) {
  wxWindow* owner = wx::ownerWindow();
  wxWindowDisabler others;
  wxMessageDialog box(owner, wx::toWx(text), wx::toWx(caption), style | wxCENTRE);
  return box.ShowModal();
}

}  // namespace

void showMessage(const std::string& text, const std::string& caption, Icon icon) {
  if (!wx::started) {
    // Without a screen (wx failed to start) the message can only go to the terminal.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return;
  }
  runMessageBox(text, caption, wxOK | iconStyle(icon));
}

// Closed without an answer (Escape, the title bar's close), the question gets the default.
bool askYesNo(const std::string& text, const std::string& caption) {
  if (!wx::started) {
    std::fprintf(stderr, "%s: %s (Nein)\n", caption.c_str(), text.c_str());
    return false;
  }
  return runMessageBox(text, caption, wxYES_NO | wxNO_DEFAULT | iconStyle(Icon::question)) ==
         wxID_YES;
}

}  // namespace tk::backend
