// The conformance driver of the Win32 backend: keys posted to the focused control as the
// keyboard posts them, the system's boxes answered from a timer while their loop runs.
#include "toolkit/win32/win32.h"
#include "driver.h"
#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/win32/text.h"

namespace conformance {

using tk::win32::nativeHandle;

// The file dialog's own controls, as the common dialog numbers them.
constexpr int fileTypeList = 0x470;  // cmb1
constexpr int fileNameBox = 0x47c;   // cmb13

void prepare() {
  // The program's main window: the tests' windows are never it, so closing one never ends
  // the loop.
  static test::TestWindow mainWindow;
}

void showActive(tk::Window& window) {
  window.show();
}

void focus(tk::Control& control) {
  control.setFocus();
}

void pressEnter(tk::Window&) {
  test::pressKey(VK_RETURN);
}

void pressAlt(tk::Window&, char letter) {
  test::pressAlt(static_cast<wchar_t>(letter));
}

bool walksTabStops() {
  return true;
}

void pressTab(tk::Window&) {
  const HWND before = GetFocus();
  test::pressKey(VK_TAB);
  test::pumpUntil([&] { return GetFocus() != before; }, 1500);
}

tk::Control* focusedControl(tk::Window& window) {
  for (tk::Control* control : tk::backend::FrontAccess::controls(window)) {
    if (GetFocus() == nativeHandle(*control)) return control;
  }
  return nullptr;
}

bool runUntil(const std::function<bool()>& done) {
  return test::pumpUntil(done);
}

bool takesInput(tk::Window& window) {
  return IsWindowEnabled(nativeHandle(window)) != FALSE;
}

std::optional<bool> takesInput(tk::Control& control) {
  return IsWindowEnabled(nativeHandle(control)) != FALSE;
}

std::optional<double> shownFontSize(tk::Control& control) {
  LOGFONTW logFont{};
  const auto font = reinterpret_cast<HFONT>(SendMessageW(nativeHandle(control), WM_GETFONT, 0, 0));
  if (GetObjectW(font, sizeof logFont, &logFont) == 0) return std::nullopt;
  return -logFont.lfHeight;
}

std::string newFile(const std::string& name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + tk::win32::widen(name);
  DeleteFileW(path.c_str());
  return tk::win32::narrow(path);
}

namespace {

std::string itemText(HWND dialog, int item) {
  return tk::win32::narrow(test::windowText(GetDlgItem(dialog, item)));
}

ShownIcon iconOf(HWND box) {
  if (!test::hasIcon(box)) return ShownIcon::none;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    if (icon == nullptr) continue;
    if (icon == LoadIconW(nullptr, IDI_HAND)) return ShownIcon::stop;
    if (icon == LoadIconW(nullptr, IDI_QUESTION)) return ShownIcon::question;
  }
  return ShownIcon::other;
}

bool offers(HWND box, int button) {
  const HWND item = GetDlgItem(box, button);
  return item != nullptr && IsWindowVisible(item);
}

// Enter goes to the box's control that has the focus, as the keyboard sends it.
void answerMessageBox(HWND box, Reply reply, Seen& seen) {
  seen.text = tk::win32::narrow(test::messageBoxText(box));
  seen.caption = tk::win32::narrow(test::windowText(box));
  seen.icon = iconOf(box);
  seen.cancelOffered = offers(box, IDCANCEL);
  if (reply == Reply::enter) {
    test::pressKey(VK_RETURN);
    return;
  }
  const int button = !offers(box, IDYES) ? IDOK : reply == Reply::yes ? IDYES : IDNO;
  PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
}

void answerFileDialog(HWND box, const std::string& file, Seen& seen) {
  seen.fileName = itemText(box, fileNameBox);
  seen.filter = itemText(box, fileTypeList);
  if (file.empty()) {
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  SetDlgItemTextW(box, fileNameBox, tk::win32::widen(file).c_str());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

bool answerOpenBox(const std::string& file, Reply reply, Seen& seen) {
  const HWND box = test::findDialog();
  if (box == nullptr) return false;
  if (GetDlgItem(box, fileNameBox) != nullptr) {
    answerFileDialog(box, file, seen);
  } else {
    answerMessageBox(box, reply, seen);
  }
  return true;
}

}  // namespace conformance
