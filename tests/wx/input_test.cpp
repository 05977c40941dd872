// The keyboard on the wx backend, typed through the X server: Enter reaches the visible
// default button, or the focused push button; Alt and a marked letter click a visible button.
#include <gtest/gtest.h>

#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"
#include "toolkit/wx/controls.h"

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

TEST_F(Keyboard, EnterClicksTheVisibleDefaultButtonUnlessAPushButtonHasTheFocus) {
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

  // A focused push button takes Enter itself.
  focus(setup);
  press("Return");
  EXPECT_EQ(clicks[&setup], 1);
  EXPECT_EQ(clicks[&stop], 1);
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

TEST_F(Keyboard, TabFollowsTheTabOrderAndSkipsHiddenButtons) {
  // Against the creation order: edit, start, stop, setup.
  setup.setTabOrder(0);
  start.setTabOrder(1);
  stop.setTabOrder(2);
  edit.setTabOrder(3);
  const auto focused = [](tk::Control& control) {
    return wxWindow::FindFocus() == tk::wx::widgetOf(tk::backend::FrontAccess::peer(control));
  };
  focus(setup);
  press("Tab");
  EXPECT_TRUE(focused(start));
  press("Tab");
  EXPECT_TRUE(focused(edit));
  press("Tab");
  EXPECT_TRUE(focused(setup));
}

// Clicks, held buttons and arrow keys of a drawn control of our own.
TEST_F(Keyboard, TheSpinnerStepsItsEditBoxByClicksAndArrowKeys) {
  tk::UpDown spinner(window);
  spinner.setAssociate(edit);
  spinner.setRange(0, 400);
  spinner.setPosition(240);
  spinner.setLeft(220);
  spinner.setTop(10);
  spinner.setWidth(18);
  spinner.setHeight(30);
  wxWindow& arrows = *tk::wx::widgetOf(tk::backend::FrontAccess::peer(spinner));
  wxtest::settle();

  ASSERT_TRUE(wxtest::clickAt(arrows, 9, 5));
  EXPECT_EQ(edit.text(), "241");
  ASSERT_TRUE(wxtest::clickAt(arrows, 9, 25));
  ASSERT_TRUE(wxtest::clickAt(arrows, 9, 25));
  EXPECT_EQ(edit.text(), "239");

  focus(spinner);
  press("Up Up Up Down");
  EXPECT_EQ(edit.text(), "241");
  EXPECT_EQ(spinner.position(), 241);
}

}  // namespace
