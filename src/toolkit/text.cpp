#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "core/saturate.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace {

constexpr int tabStopChars = 8;

using core::saturate;

// Splits a line at tabs into runs, each starting at the next stop after the previous run.
void layoutLine(const Font& font, std::string_view line, int y, std::vector<TextRun>& runs) {
  const std::int64_t stop =
      std::max<std::int64_t>(1, std::int64_t{tabStopChars} * backend::averageCharWidth(font));
  std::int64_t x = 0;
  while (true) {
    const auto tab = line.find('\t');
    std::string run(line.substr(0, tab));
    const std::int64_t width = backend::textWidth(font, run);
    if (!run.empty()) runs.push_back({saturate(x), y, std::move(run), saturate(width)});
    if (tab == std::string_view::npos) return;
    x = (x + width) / stop * stop + stop;
    line.remove_prefix(tab + 1);
  }
}

std::vector<TextRun> computeLayout(const Font& font, const std::string& text) {
  std::vector<TextRun> runs;
  const std::int64_t lineHeight = backend::lineHeight(font);
  std::string_view rest(text);
  for (std::int64_t y = 0;; y += lineHeight) {
    const auto end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    layoutLine(font, line, saturate(y), runs);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return runs;
}

// A label that changes is measured when its text is set and laid out again when it is
// drawn; measuring is the costly part on every backend, so the last few layouts are kept.
// Only the thread that runs the windows measures text.
struct RecentLayouts {
  static constexpr std::size_t size = 8;
  struct Entry {
    Font font;
    std::string text;
    std::vector<TextRun> runs;
  };
  std::array<Entry, size> entries;
  std::size_t next = 0;
  std::size_t used = 0;

  const std::vector<TextRun>& get(const Font& font, const std::string& text) {
    for (std::size_t i = 0; i < used; ++i) {
      if (entries[i].text == text && entries[i].font == font) return entries[i].runs;
    }
    Entry& entry = entries[next];
    entry = {font, text, computeLayout(font, text)};
    next = (next + 1) % size;
    used = std::min(used + 1, size);
    return entry.runs;
  }
};

}  // namespace

std::vector<TextRun> layoutText(const Font& font, const std::string& text) {
  static RecentLayouts recent;
  return recent.get(font, text);
}

Size measureText(const Font& font, const std::string& text) {
  const std::int64_t lines = 1 + std::count(text.begin(), text.end(), '\n');
  std::int64_t width = 0;
  for (const TextRun& run : layoutText(font, text)) {
    width = std::max(width, std::int64_t{run.x} + run.width);
  }
  return {saturate(width), saturate(lines * backend::lineHeight(font))};
}

}  // namespace tk

namespace tk::backend {

std::string spokenText(const std::string& text) {
  std::string spoken;
  bool gap = false;
  for (const char c : text) {
    if (c == '\t' || c == '\n' || c == '\r') {
      gap = true;
      continue;
    }
    if (gap && !spoken.empty()) spoken += ' ';
    gap = false;
    spoken += c;
  }
  return spoken;
}

std::string plainCaption(const std::string& caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

// The layout gives buttons a font that grows with the window's height and a width that
// grows with its width, so a caption can outgrow its button; it is drawn smaller instead of
// being cut off.
Font captionFont(const Font& font, const std::string& plainCaption, int width, int padding) {
  const int room = width - padding;
  const int needed = textWidth(font, plainCaption);
  if (font.height >= 0 || room <= 0 || needed <= room) return font;
  return {font.name, std::min(-1, static_cast<int>(std::int64_t{font.height} * room / needed))};
}

}  // namespace tk::backend
