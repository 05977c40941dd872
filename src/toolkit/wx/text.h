// Text at the edge of the wx calls: the program's UTF-8 to wxString and back.
#pragma once

#include <wx/string.h>

#include <string>

namespace tk::wx {

wxString toWx(const std::string& text);
std::string fromWx(const wxString& text);

}  // namespace tk::wx
