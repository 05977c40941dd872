// The file-open dialog: GetOpenFileNameW, read-only box hidden, resizable, and the chosen
// file need not exist (no OFN_FILEMUSTEXIST). It may change the current directory, as the
// dialog does unless told not to.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/window.h"

namespace tk::backend {
namespace {

// Room for the longest path the wide calls take.
constexpr std::size_t fileNameRoom = 32768;

}  // namespace

std::optional<std::string> runOpenDialog(WindowPeer& owner, const std::string& fileName,
                                         const std::string& filter) {
  std::vector<wchar_t> file(fileNameRoom, L'\0');
  const std::wstring initial = win32::widen(fileName);
  std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
  const std::wstring filterText = win32::dialogFilter(filter);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = win32::nativeWindow(owner);
  dialog.lpstrFilter = filter.empty() ? nullptr : filterText.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return win32::narrow(file.data());
}

}  // namespace tk::backend
