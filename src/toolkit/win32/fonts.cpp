// Native fonts and the text metrics of the fronts. Every metric comes from an HFONT made
// from the same LOGFONT as the control's own, so what the fronts measure is what the
// controls draw: the extent from GetTextExtentPoint32W, the tab stop from tmAveCharWidth
// (DrawText's DT_EXPANDTABS puts stops every eight of them) and the line from tmHeight.
#include "toolkit/win32/fonts.h"
#include "core/saturate.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "toolkit/backend.h"
#include "toolkit/win32/controls.h"
#include "toolkit/win32/text.h"

namespace tk::win32 {
namespace {

int liveFonts = 0;

using core::saturate;

// A few fonts kept for measuring: a layout pass measures with one font many times, and
// keeping them few keeps the process's GDI object count flat however often it runs.
class Measurer {
 public:
  Measurer() : dc_(CreateCompatibleDC(nullptr)) {}
  Measurer(const Measurer&) = delete;
  Measurer& operator=(const Measurer&) = delete;

  // The DC with `font` selected, and its metrics.
  HDC select(const Font& font, TEXTMETRICW& metrics) {
    Entry& entry = entryFor(font);
    SelectObject(dc_, entry.font);
    metrics = entry.metrics;
    return dc_;
  }

 private:
  struct Entry {
    Font attributes;
    HFONT font = nullptr;  // never the stock font: entries own what they hold
    TEXTMETRICW metrics{};
  };

  Entry& entryFor(const Font& font) {
    for (Entry& entry : entries_) {
      if (entry.font != nullptr && entry.attributes == font) return entry;
    }
    Entry& entry = entries_[next_];
    next_ = (next_ + 1) % entries_.size();
    fill(entry, font);
    return entry;
  }

  void fill(Entry& entry, const Font& font) {
    SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
    if (entry.font != nullptr) DeleteObject(entry.font);
    const LOGFONTW logFont = logFontOf(font);
    entry.font = CreateFontIndirectW(&logFont);
    entry.attributes = font;
    SelectObject(dc_, entry.font != nullptr ? entry.font : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(dc_, &entry.metrics);
  }

  HDC dc_;
  std::array<Entry, 4> entries_{};
  std::size_t next_ = 0;
};

Measurer& measurer() {
  static Measurer instance;
  return instance;
}

TEXTMETRICW metricsOf(const Font& font) {
  TEXTMETRICW metrics{};
  measurer().select(font, metrics);
  return metrics;
}

}  // namespace

LOGFONTW logFontOf(const Font& font) {
  LOGFONTW logFont{};
  logFont.lfHeight = font.height;
  logFont.lfWeight = FW_NORMAL;
  logFont.lfCharSet = DEFAULT_CHARSET;
  logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logFont.lfQuality = DEFAULT_QUALITY;
  logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring name = widen(font.name).substr(0, LF_FACESIZE - 1);
  std::copy(name.begin(), name.end(), logFont.lfFaceName);
  return logFont;
}

NativeFont::NativeFont(const Font& font) {
  const LOGFONTW logFont = logFontOf(font);
  handle_ = CreateFontIndirectW(&logFont);
  if (handle_ != nullptr) ++liveFonts;
}

NativeFont::~NativeFont() {
  if (handle_ == nullptr) return;
  DeleteObject(handle_);
  --liveFonts;
}

HFONT NativeFont::get() const {
  return handle_ != nullptr ? handle_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace tk::win32

namespace tk::backend {

using namespace tk::win32;

int lineHeight(const Font& font) {
  return metricsOf(font).tmHeight;
}

int averageCharWidth(const Font& font) {
  return metricsOf(font).tmAveCharWidth;
}

int textWidth(const Font& font, const std::string& text) {
  TEXTMETRICW metrics{};
  const HDC dc = measurer().select(font, metrics);
  const std::wstring wide = widen(text);
  SIZE extent{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
  return extent.cx;
}

// The cell height and the sunken border with a pixel of room inside it, as an edit box
// that fits its font is drawn.
int editHeight(const Font& font) {
  return saturate(std::int64_t{metricsOf(font).tmHeight} + 4 * GetSystemMetrics(SM_CYEDGE));
}

int comboHeight(const Font& font) {
  return closedComboHeight(font);
}

int liveFontCount() {
  return liveFonts;
}

}  // namespace tk::backend
