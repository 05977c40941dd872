// Fonts and text on the wx backend: Windows' font conventions on Linux fonts, one native font
// per control, and labels drawn exactly where their text was measured.
#include <gtest/gtest.h>

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"
#include "toolkit/wx/controls.h"
#include "toolkit/wx/fonts.h"

namespace {

using tk::backend::averageCharWidth;
using tk::backend::lineHeight;
using tk::backend::textWidth;

// Arial's published metrics (its metric twin Liberation Sans stands in on Linux): the cell,
// ascent plus descent, is 1.117 em; the average character width Windows reports is 0.441 em.
constexpr double arialCell = (1854.0 + 434.0) / 2048.0;
constexpr double arialAverage = 904.0 / 2048.0;

TEST(FontMetrics, ANegativeHeightIsTheCharacterHeightOfArial) {
  for (const int em : {11, 16, 32, 100}) {
    SCOPED_TRACE(em);
    const tk::Font font{"Arial", -em};
    EXPECT_NEAR(lineHeight(font), em * arialCell, 1.5);
    EXPECT_NEAR(averageCharWidth(font), em * arialAverage, 1.0);
  }
}

TEST(FontMetrics, APositiveHeightIsTheCellHeight) {
  for (const int cell : {20, 40, 90}) {
    EXPECT_NEAR(lineHeight({"Arial", cell}), cell, 1.5) << cell;
  }
}

TEST(FontMetrics, WindowsOnlyFontsFallBackToArialsTwin) {
  const tk::Font arial{"Arial", -14};
  const tk::Font sansSerif{"MS Sans Serif", -14};
  EXPECT_EQ(lineHeight(sansSerif), lineHeight(arial));
  EXPECT_EQ(textWidth(sansSerif, "Schnittstelle:"), textWidth(arial, "Schnittstelle:"));
  // Text is UTF-8: an umlaut is one character, not two bytes' worth of replacement glyphs.
  EXPECT_EQ(textWidth(arial, "Ä"), textWidth(arial, "A"));
}

template <class A, class B>
std::vector<std::pair<A, B>> cross(const std::vector<A>& as, const std::vector<B>& bs) {
  std::vector<std::pair<A, B>> pairs;
  for (const A& a : as) {
    for (const B& b : bs) pairs.emplace_back(a, b);
  }
  return pairs;
}

// A run is shaped without a Pango layout when one font shows all of it left to right, and
// laid out otherwise; either way it must measure and draw exactly as Pango lays the same text
// out: kerning, ligatures, umlauts, text that needs another font, right-to-left text.
TEST(ShapedRuns, MeasureAndDrawAsPangoLaysTheSameTextOut) {
  const std::vector<tk::Font> fonts = {{"Arial", -20}, {"Times New Roman", -17}};
  const std::vector<std::string> texts = {"927171 Zeichen wurden empfangen",
                                          "Verstrichen:",
                                          "12345",
                                          " :-)",
                                          "AVAT Wa To.",
                                          "Größe: 5 µs, 20 °C",
                                          "office ffi",
                                          "\u05e9\u05dc\u05d5\u05dd",
                                          "COM-In \u05e9\u05dc",
                                          "x \u2603 \U0001f600 y"};
  constexpr int width = 600;
  constexpr int height = 40;
  // The text drawn with its top left at (3.5, 4) on a white image.
  const auto draw = [&](const auto& drawText) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    cairo_t* cr = cairo_create(image.get());
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    drawText(cr);
    cairo_destroy(cr);
    cairo_surface_flush(image.get());
    const auto* pixels = cairo_image_surface_get_data(image.get());
    return std::vector<unsigned char>(
        pixels, pixels + cairo_image_surface_get_stride(image.get()) * height);
  };
  for (const auto& [font, text] : cross(fonts, texts)) {
    SCOPED_TRACE(font.name + ": " + text);
    PangoLayout* layout = pango_layout_new(tk::wx::measuringContext());
    PangoFontDescription* description = tk::wx::runFontDescription(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    PangoRectangle logical{};
    pango_layout_get_extents(layout, nullptr, &logical);
    EXPECT_EQ(textWidth(font, text), std::lround(double(logical.width) / PANGO_SCALE));

    const auto laidOut = draw([&](cairo_t* cr) {
      cairo_move_to(cr, 3.5, 4);
      pango_cairo_show_layout(cr, layout);
    });
    const auto shaped = draw([&](cairo_t* cr) { tk::wx::drawRun(cr, font, text, 3.5, 4); });
    EXPECT_NE(laidOut, draw([](cairo_t*) {}));
    EXPECT_TRUE(shaped == laidOut);
    g_object_unref(layout);
  }
}

// Ink runs: [start, end) of each group of inked columns.
std::vector<std::pair<int, int>> inkRuns(const std::vector<bool>& columns) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
    if (!columns[static_cast<std::size_t>(x)]) continue;
    if (runs.empty() || runs.back().second != x) runs.push_back({x, x});
    runs.back().second = x + 1;
  }
  return runs;
}

class LabelDrawing : public ::testing::Test {
 protected:
  static constexpr int left = 12;
  static constexpr int top = 9;
  const tk::Font font{"Arial", -32};

  // The columns of one text line's rows that hold ink.
  std::vector<bool> inkColumns(const wxImage& image, int line) const {
    std::vector<bool> columns(static_cast<std::size_t>(image.GetWidth()), false);
    const int first = top + line * lineHeight(font);
    for (int y = first; y < first + lineHeight(font); ++y) {
      for (int x = 0; x < image.GetWidth(); ++x) {
        if (wxtest::isInk(image, x, y)) columns[static_cast<std::size_t>(x)] = true;
      }
    }
    return columns;
  }

  // Draws the label and waits until the X server shows its text.
  wxImage shoot(tk::Window& window) {
    window.show();
    wxImage shot;
    const bool drawn = wxtest::pumpUntil([&] {
      shot = wxtest::screenshot(window);
      // Until it is painted, a new window's contents are black.
      return shot.IsOk() && !wxtest::isInk(shot, shot.GetWidth() - 1, shot.GetHeight() - 1) &&
             !inkRuns(inkColumns(shot, 0)).empty();
    });
    EXPECT_TRUE(drawn);
    return shot;
  }
};

TEST_F(LabelDrawing, TextAfterATabStartsAtTheNextStopAndNothingIsCutOff) {
  tk::Window window({"Tabulator", {40, 40, 500, 200}, font});
  tk::Label label(window, "W\tW\nW");
  label.setLeft(left);
  label.setTop(top);
  const wxImage shot = shoot(window);

  const auto firstLine = inkRuns(inkColumns(shot, 0));
  ASSERT_EQ(firstLine.size(), 2u);
  const int stop = 8 * averageCharWidth(font);
  // "W" has almost no side bearing, so its ink starts within a pixel or two of its origin.
  EXPECT_NEAR(firstLine[0].first, left, 2);
  EXPECT_NEAR(firstLine[1].first, left + stop, 2);
  // The same glyph at the end of the label is drawn as wide as at its start: not clipped.
  EXPECT_EQ(firstLine[1].second - firstLine[1].first, firstLine[0].second - firstLine[0].first);
  EXPECT_LE(firstLine[1].second, left + label.width());

  const auto secondLine = inkRuns(inkColumns(shot, 1));
  ASSERT_EQ(secondLine.size(), 1u);
  EXPECT_NEAR(secondLine[0].first, left, 2);
  EXPECT_EQ(label.height(), 2 * lineHeight(font));
}

// Measured at another scale than GTK draws with, glyphs fitted to the pixels come out wider
// than measured and the label cuts off its end. A label sized to its text must show all the
// ink of the same text in a label with room to spare; run at GTK's scale two as well, where
// measuring at scale one cut off "Baud-Rate" at these heights.
TEST_F(LabelDrawing, ALabelSizedToItsTextShowsAllOfItAtTheScreensScale) {
  for (const int height : {15, 17, 24, 26}) {
    const tk::Font shown{"Arial", -height};
    tk::Window window({"Skala", {40, 40, 300, 150}, shown});
    tk::Label fitted(window, "Baud-Rate");
    tk::Label roomy(window, "Baud-Rate");
    for (tk::Label* label : {&fitted, &roomy}) {
      label->setFont(shown);
      label->setLeft(left);
    }
    fitted.setTop(top);
    roomy.setTop(top + 2 * lineHeight(shown));
    roomy.setWidth(fitted.width() + 100);
    const wxImage shot = shoot(window);
    const double scale = double(shot.GetWidth()) / window.clientSize().width;
    const auto inkEnd = [&](const tk::Label& label) {
      int end = 0;
      for (int y = int(label.top() * scale); y < int((label.top() + label.height()) * scale); ++y) {
        for (int x = 0; x < shot.GetWidth(); ++x) {
          if (wxtest::isInk(shot, x, y)) end = std::max(end, x + 1);
        }
      }
      return end;
    };
    ASSERT_GT(inkEnd(roomy), int(left * scale));
    EXPECT_EQ(inkEnd(fitted), inkEnd(roomy)) << "height " << height << ", scale " << scale;
  }
}

TEST_F(LabelDrawing, ALabelsEmptySpaceDoesNotHideAControlBelowIt) {
  tk::Window window({"Stapel", {40, 260, 500, 200}, font});
  tk::Label label(window, "W");
  label.setLeft(left);
  label.setTop(top);
  tk::LabeledEdit edit(window);
  edit.setLeft(left);
  edit.setTop(top + 60);
  edit.setWidth(300);
  edit.setText("WWW");
  // The layouts do this: a label set taller than its text, reaching over the next control.
  label.setHeight(200);
  label.setWidth(480);
  const wxImage shot = shoot(window);
  // Inside the edit box, right of its text: the box's own field, not the window's face.
  const wxPoint field(edit.left() + edit.width() - 20, edit.top() + edit.height() / 2);
  const wxPoint bare(shot.GetWidth() - 1, shot.GetHeight() - 1);
  const auto colour = [&](wxPoint at) {
    return wxColour(shot.GetRed(at.x, at.y), shot.GetGreen(at.x, at.y), shot.GetBlue(at.x, at.y));
  };
  EXPECT_NE(colour(field), colour(bare)) << "the label hides the edit box";
}

}  // namespace
