#include "toolkit/wx/icon.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "querlan_icon.h"

namespace tk::wx {

const wxIcon& programIcon() {
  static const wxIcon icon = [] {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(kIconPng, sizeof kIconPng);
    wxIcon loaded;
    loaded.CopyFromBitmap(wxBitmap(wxImage(stream, wxBITMAP_TYPE_PNG)));
    return loaded;
  }();
  return icon;
}

}  // namespace tk::wx
