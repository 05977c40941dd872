// The keyboard: Enter reaches the focused push button or else the visible default button,
// Alt and a marked letter click a visible button, Tab walks the tab order; a disabled button
// takes none of them.
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <thread>

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

  // The program works without returning to the loop.
  static void busy(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

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

// As around a long save: the button is disabled while the program is busy and enabled again
// by the next tick of a timer. A click meets the disabled button; the keys pressed meanwhile
// are handled before that tick and click nothing; once enabled, the button takes keys again.
TEST_F(Keyboard, KeysQueuedWhileAButtonIsDisabledDoNotClickItWhenATickEnablesIt) {
  focus(edit);
  start.setEnabled(false);
  start.click();
  EXPECT_EQ(clicks, "");
  tk::Timer enabler(window, 10);
  enabler.onTimer = [&] {
    enabler.setEnabled(false);
    start.setEnabled(true);
  };
  enabler.setEnabled(true);
  // "D&urchsuchen" comes last: once it has answered, the keys before it were handled.
  EXPECT_EQ(afterKeys(
                [&] {
                  pressEnter(window);
                  pressAlt(window, 'd');
                  pressEnter(window);
                  pressAlt(window, 'u');
                  busy(50);  // the tick falls due while the keys wait
                },
                other.caption()),
            "D&urchsuchen ");
  ASSERT_TRUE(runUntil([&] { return start.enabled(); }));
  focus(edit);
  EXPECT_EQ(afterKeys([&] { pressEnter(window); }, start.caption()), "&Daten holen ");
  EXPECT_EQ(afterKeys([&] { pressAlt(window, 'd'); }, start.caption()), "&Daten holen ");
}

TEST(DisabledControls, TakeNoInputUntilEnabledAgain) {
  tk::Window window({"Gesperrt", {600, 40, 400, 260}, {"Arial", -14}});
  tk::LabeledEdit edit(window);
  tk::Button button(window, "&OK");
  tk::ComboBox list(window, tk::ComboStyle::dropDownList);
  tk::ComboBox combo(window, tk::ComboStyle::dropDown);
  tk::UpDown spinner(window);
  if (!takesInput(button).has_value()) GTEST_SKIP() << "this backend has no native controls";
  for (tk::Control* control :
       std::initializer_list<tk::Control*>{&edit, &button, &list, &combo, &spinner}) {
    control->setEnabled(false);
    EXPECT_EQ(takesInput(*control), false);
    control->setEnabled(true);
    EXPECT_EQ(takesInput(*control), true);
  }
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
