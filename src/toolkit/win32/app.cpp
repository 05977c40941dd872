// The application: common controls, the message loop, the program file and message boxes.
#include <windows.h>

#include <commctrl.h>

#include "toolkit/backend.h"
#include "toolkit/win32/dpi.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/window.h"

namespace tk::backend {
namespace {

bool quitting = false;

}  // namespace

void initialize(int, char**) {
  win32::becomeDpiAware();
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS;
  InitCommonControlsEx(&controls);
  win32::registerWindowClass();
}

void runLoop() {
  quitting = false;
  while (!quitting && win32::pumpMessage(win32::OnQuit::end)) {
  }
}

void quit() {
  quitting = true;
  PostQuitMessage(0);
}

std::string programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return win32::narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

namespace {

// The MB_ flags are small constants of type long.
UINT iconStyle(Icon icon) {
  switch (icon) {
    case Icon::stop:
      return static_cast<UINT>(MB_ICONSTOP);
    case Icon::question:
      return static_cast<UINT>(MB_ICONQUESTION);
    case Icon::none:
      break;
  }
  return 0;
}

// The box belongs to the window it concerns and disables it (MB_APPLMODAL); the program's
// other windows are disabled here, as MB_TASKMODAL would without an owner. Its own loop goes
// on dispatching WM_TIMER.
int runMessageBox(const std::string& text, const std::string& caption, UINT style) {
  const HWND owner = win32::ownerWindow();
  const auto modality = static_cast<UINT>(owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL);
  std::vector<HWND> others = win32::disableOthers(owner);
  const int result = MessageBoxW(owner, win32::widen(text).c_str(), win32::widen(caption).c_str(),
                                 style | modality);
  win32::enableAgain(others);
  return result;
}

}  // namespace

void showMessage(const std::string& text, const std::string& caption, Icon icon) {
  runMessageBox(text, caption, static_cast<UINT>(MB_OK) | iconStyle(icon));
}

bool askYesNo(const std::string& text, const std::string& caption) {
  const auto style = static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2);
  return runMessageBox(text, caption, style | iconStyle(Icon::question)) == IDYES;
}

}  // namespace tk::backend
