// The keyboard in a window that is not a dialog, as Win32 alone shows it: Escape clicks
// nothing, and the default button is drawn as such. Enter, accelerators and Tab are rules of
// every backend (tests/conformance).
#include <gtest/gtest.h>

#include "support.h"
#include "toolkit/win32/win32.h"

namespace {

using tk::win32::nativeHandle;

// The main window's buttons in small: two default buttons that take turns, and two others.
class KeyboardWindow : public test::TestWindow {
 public:
  KeyboardWindow() {
    edit.setTabOrder(0);
    other.setTabOrder(1);
    start.setDefault(true);
    start.setTabOrder(2);
    stop.setDefault(true);
    stop.setVisible(false);
    stop.setTabOrder(3);
    quit.setTabOrder(4);
    int top = 10;
    for (tk::Control* control :
         std::initializer_list<tk::Control*>{&edit, &other, &start, &stop, &quit}) {
      control->setLeft(10);
      control->setTop(top += 40);
      control->setWidth(150);
      control->setHeight(30);
    }
    other.onClick = [this] { clicks += "other "; };
    start.onClick = [this] { clicks += "start "; };
    stop.onClick = [this] { clicks += "stop "; };
    quit.onClick = [this] { clicks += "quit "; };
    show();
  }

  tk::LabeledEdit edit{*this};
  tk::Button other{*this, "D&urchsuchen"};
  tk::Button start{*this, "&Daten holen"};
  tk::Button stop{*this, "&Abbrechen"};
  tk::Button quit{*this, "&Beenden"};
  std::string clicks;
};

// Presses a key and lets the loop run until a click has arrived or the key is surely gone.
std::string afterKey(KeyboardWindow& window, const std::function<void()>& press) {
  window.clicks.clear();
  press();
  test::pumpUntil([&] { return !window.clicks.empty(); }, 1500);
  return window.clicks;
}

TEST(Keyboard, OnlyTheVisibleDefaultButtonIsDrawnAsTheDefault) {
  KeyboardWindow window;
  EXPECT_TRUE(GetWindowLongW(nativeHandle(window.start), GWL_STYLE) & BS_DEFPUSHBUTTON);
  window.start.setVisible(false);
  window.stop.setVisible(true);
  EXPECT_TRUE(GetWindowLongW(nativeHandle(window.stop), GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_FALSE(GetWindowLongW(nativeHandle(window.start), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST(Keyboard, EscapeClicksNothing) {
  KeyboardWindow window;
  window.edit.setFocus();
  EXPECT_EQ(afterKey(window, [] { test::pressKey(VK_ESCAPE); }), "");
}

}  // namespace
