// Fonts and text: one native font per control however often it changes, labels sized to
// their text with tab stops every eight average character widths, and button captions
// drawn smaller where they would not fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "driver.h"
#include "toolkit/backend.h"

namespace {

using namespace conformance;
using tk::backend::averageCharWidth;
using tk::backend::lineHeight;
using tk::backend::textWidth;

TEST(NativeFonts, EachControlHoldsOneFontAndAThousandChangesLeaveNoneBehind) {
  tk::Window window({"Schriften", {20, 20, 300, 200}, {"MS Sans Serif", -14}});
  const int withoutControls = tk::backend::liveFontCount();
  {
    tk::Label label(window, "x");
    tk::LabeledEdit edit(window);  // two controls: the box and its caption
    tk::Button button(window, "&OK");
    tk::ComboBox list(window, tk::ComboStyle::dropDownList);
    tk::ComboBox combo(window, tk::ComboStyle::dropDown);
    tk::UpDown spinner(window);
    const std::vector<tk::Control*> controls = {
        &label, &edit, &edit.captionLabel(), &button, &list, &combo, &spinner};
    const int withControls = tk::backend::liveFontCount();
    EXPECT_EQ(withControls - withoutControls, 7);
    for (int pass = 1; pass <= 1000; ++pass) {
      // A font built for one layout pass and gone after it, as the layouts do.
      const tk::Font layoutFont{"Arial", -(10 + pass % 7)};
      for (tk::Control* control : controls) control->setFont(layoutFont);
    }
    EXPECT_EQ(tk::backend::liveFontCount(), withControls);
  }
  EXPECT_EQ(tk::backend::liveFontCount(), withoutControls);
}

TEST(Labels, SizeThemselvesToTheirTextWithTabStopsEveryEightAverageCharacters) {
  tk::Window window({"Tabulator", {40, 40, 500, 200}, {"MS Sans Serif", -14}});
  const tk::Font font{"Arial", -16};
  const int stop = 8 * averageCharWidth(font);
  const int line = lineHeight(font);
  const auto w = [&](const char* text) { return textWidth(font, text); };
  // Text after a tab starts at the first stop beyond the text before it.
  const auto stopAfter = [&](int x) { return (x / stop + 1) * stop; };
  tk::Label label(window);
  label.setFont(font);
  label.setLeft(10);
  label.setTop(20);
  const struct {
    const char* text;
    int width;
    int height;
  } cases[] = {
      {"", 0, line},
      {"Baud-Rate", w("Baud-Rate"), line},
      {"a\tb", stop + w("b"), line},
      {"\t\tnach zwei Tabs", 2 * stop + w("nach zwei Tabs"), line},
      {"Schnittstelle:\tCOM1", stopAfter(w("Schnittstelle:")) + w("COM1"), line},
      {"ab\ncdef", std::max(w("ab"), w("cdef")), 2 * line},
      {"Verstrichen:\t1 von 240 s\n\t\t37",
       std::max(stopAfter(w("Verstrichen:")) + w("1 von 240 s"), 2 * stop + w("37")), 2 * line},
  };
  for (const auto& c : cases) {
    label.setText(c.text);
    EXPECT_EQ(label.width(), c.width) << c.text;
    EXPECT_EQ(label.height(), c.height) << c.text;
    EXPECT_EQ(label.left(), 10) << "the left edge stays";
    EXPECT_EQ(label.top(), 20);
  }
  // Text that reaches a stop exactly moves on to the next one.
  std::string upToStop;
  while (textWidth(font, upToStop) < stop) upToStop += 'i';
  if (textWidth(font, upToStop) == stop) {
    label.setText(upToStop + "\tb");
    EXPECT_EQ(label.width(), 2 * stop + w("b"));
  }
}

TEST(ButtonCaptions, ACaptionThatWouldBeCutOffIsDrawnSmallerAndTheButtonKeepsItsFont) {
  tk::Window window({"Knöpfe", {20, 20, 400, 200}, {"MS Sans Serif", -14}});
  tk::Button wide(window, "&Daten holen");
  tk::Button narrow(window, "&Daten holen");
  const tk::Font big{"Arial", -36};
  wide.setWidth(400);
  narrow.setWidth(150);
  wide.setFont(big);
  narrow.setFont(big);
  EXPECT_EQ(narrow.font(), big);
  if (!shownFontSize(wide)) GTEST_SKIP() << "this backend draws nothing";
  EXPECT_LT(*shownFontSize(narrow), *shownFontSize(wide));
  narrow.setWidth(400);  // room again: the full size comes back
  EXPECT_EQ(shownFontSize(narrow), shownFontSize(wide));
}

}  // namespace
