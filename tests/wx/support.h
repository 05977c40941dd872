// What the wx backend tests share: running the event loop until something has happened,
// reaching the native windows behind the fronts, answering native dialogs, screenshots.
#pragma once

#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <functional>
#include <string>

#include "toolkit/toolkit.h"

namespace wxtest {

// Runs the event loop until done() holds. Gives up after a generous while, so that a broken
// backend fails the test instead of hanging it; how long anything took is never checked.
bool pumpUntil(const std::function<bool()>& done);
// Runs the event loop until nothing is pending.
void settle();

// Types keys (xdotool's names, e.g. "alt+d Return") through the X server and handles the
// events they cause. False when the keys could not be typed.
bool typeKeys(const std::string& keys);
// Types keys as typeKeys does, but leaves their events waiting for the loop, as keys
// typed while the program is busy wait.
bool queueKeys(const std::string& keys);

// Clicks the left mouse button at a point of a widget, through the X server.
bool clickAt(wxWindow& widget, int x, int y);

wxFrame& frameOf(tk::Window& window);
wxWindow& clientOf(tk::Window& window);

// The visible native dialog of the given kind (GTK_TYPE_MESSAGE_DIALOG, ...), or null.
GtkWidget* openDialog(GType kind);
std::string titleOf(GtkWidget* dialog);
std::string messageTextOf(GtkWidget* dialog);
GtkMessageType messageTypeOf(GtkWidget* dialog);

// What the X server shows of a window's client area.
// In the screen's pixels: twice the window's size where GTK scales by two.
wxImage screenshot(tk::Window& window);
// Whether a pixel is text-dark rather than the light background.
bool isInk(const wxImage& image, int x, int y);

}  // namespace wxtest
