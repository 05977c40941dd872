#include "toolkit/wx/text.h"

namespace tk::wx {

wxString toWx(const std::string& text) {
  return wxString::FromUTF8(text.data(), text.size());
}

std::string fromWx(const wxString& text) {
  return text.utf8_string();
}

}  // namespace tk::wx
