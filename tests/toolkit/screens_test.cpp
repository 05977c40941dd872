#include <gtest/gtest.h>

#include <climits>

#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace {

// Two screens side by side, the left one with a task bar along its bottom.
const std::vector<tk::Rect> screens{{0, 0, 1024, 728}, {1024, 0, 1280, 1024}};

struct Placement {
  const char* what;
  tk::Rect stored;
  tk::Rect placed;
};

void PrintTo(const Placement& placement, std::ostream* out) {
  *out << placement.what;
}

class PlaceOnScreen : public testing::TestWithParam<Placement> {};

TEST_P(PlaceOnScreen, KeepsWhatCanBeSeenAndBringsBackTheRest) {
  EXPECT_EQ(tk::placeOnScreen(GetParam().stored, screens), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, PlaceOnScreen,
    testing::Values(
        Placement{"inside", {192, 107, 696, 480}, {192, 107, 696, 480}},
        Placement{"across both screens", {900, 300, 400, 300}, {900, 300, 400, 300}},
        Placement{"mostly off, 32 pixels of title bar left",
                  {-664, 100, 696, 480},
                  {-664, 100, 696, 480}},
        Placement{"31 pixels of title bar left", {-665, 100, 696, 480}, {0, 100, 696, 480}},
        Placement{"title bar above the screen, 8 pixels show",
                  {100, -16, 400, 300},
                  {100, -16, 400, 300}},
        Placement{
            "title bar above the screen, 7 pixels show", {100, -17, 400, 300}, {100, 0, 400, 300}},
        Placement{"title bar behind the task bar", {100, 725, 400, 300}, {100, 428, 400, 300}},
        Placement{"a third monitor that is gone", {2400, 200, 500, 300}, {1804, 200, 500, 300}},
        Placement{"far below the right screen", {1500, 5000, 500, 300}, {1500, 724, 500, 300}},
        Placement{"larger than the nearest screen", {-3000, 0, 1200, 900}, {0, 0, 1024, 728}},
        Placement{"a narrow window all shown", {1004, 10, 20, 20}, {1004, 10, 20, 20}},
        Placement{"a narrow window half shown", {-10, 10, 20, 20}, {0, 10, 20, 20}},
        Placement{"at the end of int", {INT_MAX, INT_MAX, 500, 300}, {1804, 724, 500, 300}}));

TEST(PlaceOnScreen, WithoutScreensEveryPlaceStays) {
  const tk::Rect anywhere{-5000, 9000, 300, 200};
  EXPECT_EQ(tk::placeOnScreen(anywhere, {}), anywhere);
}

}  // namespace
