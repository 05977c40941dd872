#include "toolkit/wx/client_area.h"

#include <wx/dcbuffer.h>
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
  // Buffered: text is drawn on a bitmap, the same kind of surface it is measured on, so it
  // lands exactly where the labels' sizes and tab stops were computed.
  wxBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  const wxRegion& damaged = GetUpdateRegion();
  for (const PaintedItem* item : items_) {
    if (damaged.Contains(item->area()) != wxOutRegion) item->paint(dc);
  }
}

}  // namespace tk::wx
