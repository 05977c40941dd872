#include "toolkit/wx/client_area.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

namespace tk::wx {

ClientArea::ClientArea(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &ClientArea::onPaint, this);
}

void ClientArea::remove(const PaintedItem& item) {
  std::erase(items_, &item);
}

void ClientArea::onPaint(wxPaintEvent&) {
  if (GetClientSize().x <= 0 || GetClientSize().y <= 0) {
    wxPaintDC unused(this);
    return;
  }
  // Straight onto the window, which GTK buffers itself: labels draw text laid out on the
  // measuring surface (fonts.cpp), so it lands where their sizes and tab stops were computed
  // whatever surface it is drawn on. Only the damaged part is cleared and drawn again.
  ++paints_;
  wxPaintDC dc(this);
  const wxRegion& damaged = GetUpdateRegion();
  dc.SetClippingRegion(damaged.GetBox());
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  for (const PaintedItem* item : items_) {
    if (damaged.Contains(item->area()) != wxOutRegion) item->paint(dc);
  }
}

}  // namespace tk::wx
