// Windows only: 8-bit text in a code page (CP_UTF8, CP_ACP) to the UTF-16 of the wide
// Win32 calls and back.
#pragma once

#include <string>
#include <string_view>

namespace core::os {

// Empty when the text is not valid in the code page under the given MultiByteToWideChar flags.
std::wstring toWide(unsigned codePage, std::string_view text, unsigned long flags = 0);
std::string fromWide(unsigned codePage, std::wstring_view wide);

}  // namespace core::os
