// Input on the wx backend, typed and clicked through the X server, for a drawn control of our
// own: the spinner's arrows by clicks, held buttons and arrow keys. Enter, accelerators and
// Tab are rules of every backend (tests/conformance).
#include <gtest/gtest.h>

#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"
#include "toolkit/wx/controls.h"

namespace {

TEST(Spinner, StepsItsEditBoxByClicksAndArrowKeys) {
  tk::Window window{{"Tastatur", {600, 40, 400, 220}, {"Arial", -14}}};
  tk::LabeledEdit edit{window};
  edit.setLeft(10);
  edit.setTop(10);
  edit.setWidth(200);
  tk::UpDown spinner(window);
  spinner.setAssociate(edit);
  spinner.setRange(0, 400);
  spinner.setPosition(240);
  spinner.setLeft(220);
  spinner.setTop(10);
  spinner.setWidth(18);
  spinner.setHeight(30);
  window.show();
  wxtest::frameOf(window).Raise();
  ASSERT_TRUE(wxtest::pumpUntil([&] { return wxtest::frameOf(window).IsActive(); }));
  wxWindow& arrows = *tk::wx::widgetOf(tk::backend::FrontAccess::peer(spinner));
  wxtest::settle();

  ASSERT_TRUE(wxtest::clickAt(arrows, 9, 5));
  EXPECT_EQ(edit.text(), "241");
  ASSERT_TRUE(wxtest::clickAt(arrows, 9, 25));
  ASSERT_TRUE(wxtest::clickAt(arrows, 9, 25));
  EXPECT_EQ(edit.text(), "239");

  spinner.setFocus();
  wxtest::settle();
  ASSERT_TRUE(wxtest::typeKeys("Up Up Up Down"));
  EXPECT_EQ(edit.text(), "241");
  EXPECT_EQ(spinner.position(), 241);
}

}  // namespace
