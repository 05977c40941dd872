#include "toolkit/win32/text.h"

#include <windows.h>

#include <algorithm>

#include "core/os/wide.h"

namespace tk::win32 {

std::wstring widen(std::string_view utf8) {
  return core::os::toWide(CP_UTF8, utf8);
}

std::string narrow(std::wstring_view utf16) {
  return core::os::fromWide(CP_UTF8, utf16);
}

std::wstring dialogFilter(std::string_view filter) {
  std::wstring wide = widen(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

}  // namespace tk::win32
