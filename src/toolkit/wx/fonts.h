// Native fonts and text metrics of the wxWidgets backend.
//
// A tk::Font is {name, height}; a negative height is the character height in pixels (the em
// size, without the internal leading), 0 the default GUI font's size. Windows font names with
// no Linux counterpart map to metric twins: "Arial" and "MS Sans Serif" to Liberation Sans.
// Text is measured on an off-screen bitmap at the scale GTK draws with, so a label's
// measured size and its drawn text agree to the pixel.
#pragma once

#include <wx/font.h>

#include <cstdint>
#include <string>

#include "toolkit/toolkit.h"

// Cairo's and Pango's own declarations, without their headers.
typedef struct _cairo cairo_t;
typedef struct _PangoContext PangoContext;
typedef struct _PangoFontDescription PangoFontDescription;

namespace tk::wx {

// One native font, counted while it lives (liveFontCount()).
class NativeFont {
 public:
  explicit NativeFont(const Font& font);
  ~NativeFont();
  NativeFont(const NativeFont&) = delete;
  NativeFont& operator=(const NativeFont&) = delete;

  const wxFont& get() const { return font_; }
  static int live() { return live_; }

 private:
  wxFont font_;
  static inline int live_ = 0;
};

// One run of text (without tabs or line breaks) in a font, shaped by Pango once and kept while
// it is in use: its width is what a label measures, and drawRun draws the same glyphs with
// their top left at (x, y).
int runWidth(const Font& font, const std::string& text);
void drawRun(cairo_t* cr, const Font& font, const std::string& text, double x, double y);
// What runs are shaped with: Pango's context of the measuring surface, and a font's
// description in it (the caller frees it).
PangoContext* measuringContext();
PangoFontDescription* runFontDescription(const Font& font);
// How many runs have been shaped so far, for the tests: a run is shaped once, however often
// it is measured and drawn.
std::uint64_t runsShaped();

// The face that stands in on Linux for a Windows font name.
wxString linuxFace(const std::string& name);

}  // namespace tk::wx
