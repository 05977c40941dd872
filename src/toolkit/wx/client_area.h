// A window's client area: a panel in the button-face colour that draws the window's labels
// itself, beneath the native controls, as Windows draws its graphic labels on the form. A
// label's empty space therefore never hides a control that the layout places under it.
#pragma once

#include <wx/panel.h>

#include <vector>

#include "toolkit/wx/accessible.h"

// Cairo's own declaration, without its headers.
typedef struct _cairo cairo_t;

namespace tk::wx {

// Something drawn on the client area.
class PaintedItem {
 public:
  virtual ~PaintedItem() = default;
  // Draws on the window's own cairo context, clipped to the damaged part of the area.
  virtual void paint(cairo_t* cr) const = 0;
  // Where it draws; an item outside the region being repainted is not asked to paint.
  virtual wxRect area() const = 0;
};

class ClientArea : public wxPanel {
 public:
  explicit ClientArea(wxWindow* parent);
  // Items are drawn in the order they were added, later ones over earlier ones.
  void add(const PaintedItem& item) { items_.push_back(&item); }
  void remove(const PaintedItem& item);
  // How often it has been painted, for the tests.
  unsigned paints() const { return paints_; }
  // The labels it paints, for screen readers.
  SpokenLabels& spokenLabels() { return spoken_; }

 private:
  void onPaint(wxPaintEvent& event);
  std::vector<const PaintedItem*> items_;
  SpokenLabels spoken_{*this};
  unsigned paints_ = 0;
};

}  // namespace tk::wx
