// What the wx backend asks of the desktop: the program's icon on its windows, and keeping the
// system awake, which without a system bus (as here) does nothing and says nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support.h"
#include "toolkit/toolkit.h"

namespace {

TEST(Desktop, EveryWindowShowsTheProgramsIcon) {
  tk::Window window({"Icon", {40, 40, 300, 200}, {"Sans", -12}});
  window.show();
  GdkPixbuf* icon = gtk_window_get_icon(GTK_WINDOW(wxtest::frameOf(window).GetHandle()));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(icon), 64);
  EXPECT_TRUE(gdk_pixbuf_get_has_alpha(icon));
}

TEST(Desktop, KeepingAwakeWithoutASystemBusDoesNothingAndSaysNothing) {
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/querlan-test-bus", 1);
  testing::internal::CaptureStderr();
  tk::keepAwake(true);
  wxtest::settle();
  tk::keepAwake(false);
  tk::keepAwake(true);
  wxtest::settle();
  tk::keepAwake(false);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
