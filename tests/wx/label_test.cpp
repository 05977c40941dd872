// Labels that change while their window is shown, as the main window's do at every tick of
// its poll timer: a change is shaped once however often it is drawn, repaints only where
// the label's text is, and shows the new text; setting what a label already has repaints
// nothing.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support.h"
#include "toolkit/toolkit.h"
#include "toolkit/wx/client_area.h"
#include "toolkit/wx/fonts.h"

namespace {

class ChangingLabel : public ::testing::Test {
 protected:
  const tk::Font font{"Arial", -20};
  tk::Window window{{"Anzeige", {40, 40, 400, 200}, font}};
  tk::Label label{window, "COM-In:\t:"};

  void SetUp() override {
    label.setLeft(10);
    label.setTop(10);
    window.show();
    ASSERT_TRUE(wxtest::pumpUntil([&] { return area().paints() > 0; }));
    wxtest::settle();
    takeWaitingArea();  // whatever showing the window has left to paint
  }

  tk::wx::ClientArea& area() { return dynamic_cast<tk::wx::ClientArea&>(wxtest::clientOf(window)); }

  // The bounding box of what waits to be repainted, in client coordinates, which then no
  // longer waits; nothing if nothing waits.
  std::optional<cairo_rectangle_int_t> takeWaitingArea() {
    cairo_region_t* waiting =
        gdk_window_get_update_area(wxtest::clientOf(window).GTKGetDrawingWindow());
    if (waiting == nullptr) return std::nullopt;
    cairo_rectangle_int_t box;
    cairo_region_get_extents(waiting, &box);
    cairo_region_destroy(waiting);
    return box;
  }

  // Has the whole client area painted again.
  void repaint() {
    const unsigned before = area().paints();
    wxtest::clientOf(window).Refresh();
    ASSERT_TRUE(wxtest::pumpUntil([&] { return area().paints() > before; }));
  }

  // Which columns of a label's rows hold ink.
  static std::vector<bool> inkColumns(const wxImage& shot, const tk::Label& shown) {
    std::vector<bool> columns(static_cast<std::size_t>(shot.GetWidth()), false);
    for (int y = shown.top(); y < shown.top() + shown.height(); ++y) {
      for (int x = 0; x < shot.GetWidth(); ++x) {
        if (wxtest::isInk(shot, x, y)) columns[static_cast<std::size_t>(x)] = true;
      }
    }
    return columns;
  }
};

TEST_F(ChangingLabel, SettingWhatItAlreadyHasRepaintsNothingAndAChangeOnlyTheLabel) {
  label.setText("COM-In:\t:");
  label.setLeft(10);
  label.setTop(10);
  label.setFont(font);
  label.setVisible(true);
  EXPECT_FALSE(takeWaitingArea());

  label.setText("COM-In:\t -");
  const auto waiting = takeWaitingArea();
  ASSERT_TRUE(waiting);
  EXPECT_GE(waiting->x, label.left());
  EXPECT_GE(waiting->y, label.top());
  EXPECT_LE(waiting->x + waiting->width, label.left() + label.width());
  EXPECT_LE(waiting->y + waiting->height, label.top() + label.height());
}

TEST_F(ChangingLabel, AChangeIsShapedOnceHoweverOftenItIsDrawnAndShowsTheNewText) {
  const auto before = tk::wx::runsShaped();
  label.setText("COM-In:\t  )");  // "COM-In:" is shaped already: one new run
  for (int paint = 0; paint < 3; ++paint) repaint();
  EXPECT_EQ(tk::wx::runsShaped(), before + 1);

  // It shows what a label made with that text shows, not what it showed before.
  tk::Label made(window, "COM-In:\t  )");
  made.setLeft(label.left());
  made.setTop(100);
  repaint();
  wxImage shot;
  ASSERT_TRUE(wxtest::pumpUntil([&] {
    shot = wxtest::screenshot(window);
    const auto columns = inkColumns(shot, made);
    return shot.IsOk() && std::find(columns.begin(), columns.end(), true) != columns.end();
  }));
  EXPECT_EQ(inkColumns(shot, label), inkColumns(shot, made));
}

}  // namespace
