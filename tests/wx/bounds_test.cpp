// Window geometry on the wx backend: outer bounds set one value at a time, resize
// notifications, and (with a window manager) minimised and maximised windows.
#include <gtest/gtest.h>

#include <climits>

#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace {

class Geometry : public ::testing::Test {
 protected:
  void SetUp() override {
    window.onResize = [this] { resizes.push_back(window.clientSize()); };
  }

  tk::Rect bounds() const { return {window.left(), window.top(), window.width(), window.height()}; }

  tk::Window window{{"Geometrie", {100, 120, 420, 300}, {"Arial", -14}}};
  std::vector<tk::Size> resizes;
};

TEST_F(Geometry, EachSetterChangesOneValueAndAResizeReportsTheNewClientSize) {
  window.show();
  ASSERT_TRUE(wxtest::pumpUntil([&] { return wxtest::frameOf(window).IsShownOnScreen(); }));
  ASSERT_FALSE(resizes.empty()) << "showing the window must run its layout";
  const tk::Rect shown = bounds();
  EXPECT_EQ(shown.width, 420);
  EXPECT_EQ(shown.height, 300);

  resizes.clear();
  window.setWidth(500);
  ASSERT_FALSE(resizes.empty());
  EXPECT_EQ(resizes.back(), window.clientSize());
  EXPECT_EQ(bounds(), (tk::Rect{shown.left, shown.top, 500, 300}));

  resizes.clear();
  window.setHeight(350);
  ASSERT_FALSE(resizes.empty());
  EXPECT_EQ(resizes.back().height, window.clientSize().height);

  resizes.clear();
  window.setLeft(150);
  window.setTop(160);
  wxtest::settle();
  EXPECT_TRUE(resizes.empty()) << "a move is no resize";
  EXPECT_EQ(bounds(), (tk::Rect{150, 160, 500, 350}));
}

TEST_F(Geometry, APlaceNoDisplayShowsIsBroughtBackAndOneThatShowsStays) {
  const std::vector<tk::Rect> areas = tk::backend::workAreas();
  ASSERT_FALSE(areas.empty());
  window.show();
  window.setLeft(-40);
  window.keepOnScreen();
  EXPECT_EQ(window.left(), -40) << "most of the title bar still shows";
  window.setLeft(areas[0].left + areas[0].width + 2000);
  window.keepOnScreen();
  EXPECT_EQ(bounds(), tk::placeOnScreen(bounds(), areas));
  EXPECT_LE(window.left() + window.width(), areas[0].left + areas[0].width);
}

// A settings file may hold any 32-bit size; the X server holds 16 bits.
TEST_F(Geometry, HugeBoundsAreClampedToWhatTheScreenCanHold) {
  window.show();
  window.setHeight(INT_MAX);
  window.setWidth(INT_MAX);
  window.setLeft(INT_MIN);
  ASSERT_FALSE(resizes.empty());
  EXPECT_EQ(window.height(), 32767);
  EXPECT_EQ(resizes.back(), window.clientSize());
  EXPECT_LE(resizes.back().height, 32767);
  EXPECT_EQ(window.left(), -32767);
  EXPECT_GT(tk::backend::lineHeight({"Arial", INT_MIN}), 30000);
  EXPECT_LE(tk::backend::lineHeight({"Arial", INT_MIN}), 2 * 32767);
}

// With a window manager the outer bounds include its frame; a minimised window reports the
// rectangle it will be restored to, a maximised one the rectangle it covers.
using UnderAWindowManager = Geometry;

TEST_F(UnderAWindowManager, MinimisedReportsRestoredBoundsAndMaximisedTheScreen) {
  window.show();
  wxFrame& frame = wxtest::frameOf(window);
  // The manager frames and places the window in its own time, passing through odd sizes.
  ASSERT_TRUE(wxtest::pumpUntil([&] {
    return window.width() == 420 && window.height() == 300 &&
           window.clientSize().height < window.height();
  })) << "the window manager's frame is not part of the outer bounds";
  wxtest::settle();
  const tk::Rect normal = bounds();

  frame.Iconize(true);
  ASSERT_TRUE(wxtest::pumpUntil([&] { return frame.IsIconized(); }));
  wxtest::settle();
  EXPECT_EQ(bounds(), normal);
  frame.Iconize(false);
  ASSERT_TRUE(wxtest::pumpUntil([&] { return !frame.IsIconized() && bounds() == normal; }));

  resizes.clear();
  frame.Maximize(true);
  ASSERT_TRUE(wxtest::pumpUntil([&] { return frame.IsMaximized() && window.width() == 1280; }));
  EXPECT_FALSE(resizes.empty());
  EXPECT_EQ(resizes.back(), window.clientSize());
  EXPECT_GT(window.height(), 1000);

  frame.Maximize(false);
  EXPECT_TRUE(wxtest::pumpUntil([&] { return !frame.IsMaximized() && bounds() == normal; }));
}

}  // namespace
