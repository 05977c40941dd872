// The keyboard on the wx backend, typed through the X server: Enter reaches the visible
// default button, or the focused push button; Alt and a marked letter click a visible button.
#include <gtest/gtest.h>

#include "support.h"
#include "toolkit/toolkit.h"

namespace {

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    place(edit, 10);
    place(start, 80);
    place(stop, 80);
    place(setup, 130);
    start.setDefault(true);
    stop.setDefault(true);
    stop.setVisible(false);
    for (tk::Button* button : {&start, &stop, &setup}) {
      button->onClick = [this, button] { ++clicks[button]; };
    }
    window.show();
    wxtest::frameOf(window).Raise();
    ASSERT_TRUE(wxtest::pumpUntil([&] { return wxtest::frameOf(window).IsActive(); }));
  }

  static void place(tk::Control& control, int top) {
    control.setLeft(10);
    control.setTop(top);
    control.setWidth(200);
    control.setHeight(30);
  }

  void focus(tk::Control& control) {
    control.setFocus();
    wxtest::settle();
  }

  // Keys as xdotool names them, typed through the X server as a user types them.
  static void press(const std::string& keys) { ASSERT_TRUE(wxtest::typeKeys(keys)); }

  void swapStartAndStop() {
    start.setVisible(!start.visible());
    stop.setVisible(!stop.visible());
    wxtest::settle();
  }

  tk::Window window{{"Tastatur", {600, 40, 400, 220}, {"Arial", -14}}};
  tk::LabeledEdit edit{window};
  tk::Button start{window, "&Daten holen"};
  tk::Button stop{window, "&Abbrechen"};
  tk::Button setup{window, "&Setup"};
  std::map<tk::Button*, int> clicks;
};

TEST_F(Keyboard, EnterClicksTheVisibleDefaultButtonAndFollowsTheSwap) {
  focus(edit);
  press("Return");
  EXPECT_EQ(clicks[&start], 1);
  EXPECT_EQ(clicks[&stop], 0);

  swapStartAndStop();
  focus(edit);
  press("Return");
  EXPECT_EQ(clicks[&start], 1);
  EXPECT_EQ(clicks[&stop], 1);
  EXPECT_EQ(clicks[&setup], 0);
}

TEST_F(Keyboard, EnterOnAFocusedPushButtonClicksThatButtonOnly) {
  focus(setup);
  press("Return");
  EXPECT_EQ(clicks[&setup], 1);
  EXPECT_EQ(clicks[&start], 0);
}

// GTK clicks a button a moment after its mnemonic, once it has shown it pressed; keys are
// handled in order, so once the visible button has answered, a hidden one would have too.
TEST_F(Keyboard, AltWithTheMarkedLetterClicksOnlyAVisibleButton) {
  focus(edit);
  press("alt+a alt+d");  // "&Abbrechen" is hidden
  ASSERT_TRUE(wxtest::pumpUntil([&] { return clicks[&start] == 1; }));
  EXPECT_EQ(clicks[&stop], 0);

  swapStartAndStop();
  focus(edit);
  press("alt+d alt+a");
  ASSERT_TRUE(wxtest::pumpUntil([&] { return clicks[&stop] == 1; }));
  EXPECT_EQ(clicks[&start], 1);
}

TEST_F(Keyboard, TypedTextReachesTheEditBoxWithItsUmlauts) {
  edit.setText("");
  focus(edit);
  press("a b");
  EXPECT_EQ(edit.text(), "ab");
  edit.setText("Größe");
  EXPECT_EQ(edit.text(), "Größe");
}

}  // namespace
