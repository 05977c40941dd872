#include "toolkit/wx/open_dialog.h"

#include <wx/filedlg.h>

#include "toolkit/backend.h"
#include "toolkit/wx/fonts.h"
#include "toolkit/wx/gtk.h"
#include "toolkit/wx/text.h"
#include "toolkit/wx/window.h"

namespace tk::wx {
namespace {

std::string gtkPatterns(std::string_view patterns) {
  std::string result;
  while (true) {
    const auto end = patterns.find(';');
    const std::string_view pattern = patterns.substr(0, end);
    result += pattern == "*.*" ? "*" : std::string(pattern);
    if (end == std::string_view::npos) return result;
    result += ';';
    patterns.remove_prefix(end + 1);
  }
}

}  // namespace

std::string gtkWildcard(const std::string& filter) {
  std::string result;
  std::string_view rest(filter);
  for (bool isPattern = false;; isPattern = !isPattern) {
    const auto end = rest.find('|');
    const std::string_view part = rest.substr(0, end);
    result += isPattern ? gtkPatterns(part) : std::string(part);
    if (end == std::string_view::npos) return result;
    result += '|';
    rest.remove_prefix(end + 1);
  }
}

}  // namespace tk::wx

namespace tk::backend {

// GTK's open mode can neither show an initial name that does not exist nor reliably accept
// one, while the Windows dialog does both; GTK's save mode (without an overwrite question)
// behaves like the Windows dialog, so it is used with the captions of an open dialog.
std::optional<std::string> runOpenDialog(WindowPeer& owner, const std::string& fileName,
                                         const std::string& filter) {
  wxFileDialog dialog(&wx::native(owner).frame(), wx::toWx("Öffnen"), wxString(),
                      wx::toWx(fileName), wx::toWx(wx::gtkWildcard(filter)), wxFD_SAVE);
  wx::setDialogButtonLabels(dialog, "_Öffnen", "_Abbrechen");
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return wx::fromWx(dialog.GetPath());
}

}  // namespace tk::backend
