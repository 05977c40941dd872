// The keyboard: Enter reaches the focused push button or else the visible default button,
// Alt and a marked letter click a visible button, Tab walks the tab order.
#include <gtest/gtest.h>

#include <initializer_list>

#include "driver.h"

namespace {

using namespace conformance;

// The main window's buttons in small: two default buttons that take turns, and two others.
// The tab order goes against the order of creation.
class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    int top = 10;
    for (tk::Control* control :
         std::initializer_list<tk::Control*>{&edit, &start, &stop, &other, &quit}) {
      control->setLeft(10);
      control->setTop(top);
      control->setWidth(150);
      control->setHeight(30);
      top += 40;
    }
    edit.setTabOrder(0);
    other.setTabOrder(1);
    start.setTabOrder(2);
    stop.setTabOrder(3);
    quit.setTabOrder(4);
    start.setDefault(true);
    stop.setDefault(true);
    stop.setVisible(false);
    for (tk::Button* button : {&start, &stop, &other, &quit}) {
      button->onClick = [this, button] { clicks += button->caption() + ' '; };
    }
    showActive(window);
  }

  // Presses keys, then runs the loop until a click arrived. Keys are handled in order, so
  // once the last key's button answered, an earlier key's would have too.
  std::string afterKeys(const std::function<void()>& press, const std::string& lastClick) {
    clicks.clear();
    press();
    runUntil([&] { return clicks.ends_with(lastClick + ' '); });
    return clicks;
  }

  void swapStartAndStop() {
    start.setVisible(!start.visible());
    stop.setVisible(!stop.visible());
  }

  tk::Window window{{"Tastatur", {600, 40, 400, 260}, {"Arial", -14}}};
  tk::LabeledEdit edit{window};
  tk::Button start{window, "&Daten holen"};
  tk::Button stop{window, "&Abbrechen"};
  tk::Button other{window, "D&urchsuchen"};
  tk::Button quit{window, "&Beenden"};
  std::string clicks;
};

TEST_F(Keyboard, EnterClicksTheFocusedPushButtonElseTheVisibleDefaultButton) {
  focus(edit);
  EXPECT_EQ(afterKeys([&] { pressEnter(window); }, start.caption()), "&Daten holen ");
  swapStartAndStop();
  EXPECT_EQ(window.defaultButton(), &stop);
  focus(edit);
  EXPECT_EQ(afterKeys([&] { pressEnter(window); }, stop.caption()), "&Abbrechen ");
  focus(quit);
  EXPECT_EQ(afterKeys([&] { pressEnter(window); }, quit.caption()), "&Beenden ");
}

TEST_F(Keyboard, AltWithTheMarkedLetterClicksOnlyAVisibleButton) {
  focus(edit);
  const auto altThen = [&](char first, char second) {
    return [&, first, second] {
      pressAlt(window, first);
      pressAlt(window, second);
    };
  };
  // "&Abbrechen" is hidden.
  EXPECT_EQ(afterKeys(altThen('a', 'd'), start.caption()), "&Daten holen ");
  EXPECT_EQ(afterKeys(altThen('a', 'u'), other.caption()), "D&urchsuchen ");
  swapStartAndStop();
  focus(edit);
  EXPECT_EQ(afterKeys(altThen('d', 'a'), stop.caption()), "&Abbrechen ");
}

TEST_F(Keyboard, TabWalksTheTabOrderSkippingHiddenControlsAndComesRound) {
  if (!walksTabStops()) GTEST_SKIP() << "this backend has no keyboard focus to walk";
  focus(edit);
  EXPECT_EQ(focusedControl(window), &edit);
  std::vector<tk::Control*> visited;
  for (int i = 0; i < 4; ++i) {
    pressTab(window);
    visited.push_back(focusedControl(window));
  }
  EXPECT_EQ(visited, (std::vector<tk::Control*>{&other, &start, &quit, &edit}));
}

}  // namespace
