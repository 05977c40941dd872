// Text at the edge of the Win32 calls: the program's UTF-8 to the UTF-16 of the wide calls
// and back, and the file dialog's filter in its double-NUL form.
#pragma once

#include <string>
#include <string_view>

namespace tk::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// "Name|pattern|Name|pattern" as the file dialogs take it: every "|" a NUL, and a NUL
// after the last pattern, so the text ends in two NULs.
std::wstring dialogFilter(std::string_view filter);

}  // namespace tk::win32
