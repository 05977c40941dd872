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

// Pango's own declaration, without its headers.
typedef struct _PangoLayout PangoLayout;

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

// One run of text (without tabs or line breaks) laid out in a font by Pango, and its width:
// what a label measures and then draws. Kept by the backend and valid until the next call.
struct RunLayout {
  PangoLayout* layout = nullptr;
  int width = 0;
};
RunLayout runLayout(const Font& font, const std::string& text);
// How many runs have been laid out so far, for the tests: a run is laid out once, however
// often it is measured and drawn.
std::uint64_t runLayoutsMade();

// The face that stands in on Linux for a Windows font name.
wxString linuxFace(const std::string& name);

}  // namespace tk::wx
