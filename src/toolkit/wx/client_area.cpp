#include "toolkit/wx/client_area.h"

#include <cairo.h>
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
  // Straight onto the cairo context GTK paints the window with, which it buffers itself: a
  // wxPaintDC would cost more to make than the labels cost to draw, at every frame while a
  // recording runs. Labels draw text shaped on the measuring surface (fonts.cpp), so it
  // lands where their sizes and tab stops were computed. Only the damaged part is cleared
  // and drawn again.
  cairo_t* cr = GTKPaintContext();
  if (cr == nullptr || GetClientSize().x <= 0 || GetClientSize().y <= 0) {
    wxPaintDC unused(this);
    return;
  }
  ++paints_;
  const wxRegion& damaged = GetUpdateRegion();
  const wxRect box = damaged.GetBox();
  const wxColour background = GetBackgroundColour();
  cairo_save(cr);
  cairo_rectangle(cr, box.x, box.y, box.width, box.height);
  cairo_clip(cr);
  cairo_set_source_rgb(cr, background.Red() / 255.0, background.Green() / 255.0,
                       background.Blue() / 255.0);
  cairo_paint(cr);
  for (const PaintedItem* item : items_) {
    if (damaged.Contains(item->area()) != wxOutRegion) item->paint(cr);
  }
  cairo_restore(cr);
}

}  // namespace tk::wx
