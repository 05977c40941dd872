// Native fonts: each control creates its own HFONT from the attributes of a tk::Font and
// deletes it when it gets another one. The live ones are counted for liveFontCount().
#pragma once

#include <windows.h>

#include "toolkit/toolkit.h"

namespace tk::win32 {

// The LOGFONT of a tk::Font: its name and height, every other attribute a new font's.
LOGFONTW logFontOf(const Font& font);

class NativeFont {
 public:
  explicit NativeFont(const Font& font);
  ~NativeFont();
  NativeFont(const NativeFont&) = delete;
  NativeFont& operator=(const NativeFont&) = delete;
  // The font, or the system's GUI font when GDI could not make this one.
  HFONT get() const;

 private:
  HFONT handle_;
};

}  // namespace tk::win32
