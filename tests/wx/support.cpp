#include "support.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <cstdlib>

#include "toolkit/wx/window.h"

namespace wxtest {
namespace {

constexpr long giveUpMs = 20000;

}  // namespace

bool pumpUntil(const std::function<bool()>& done) {
  wxStopWatch watch;
  while (!done()) {
    if (watch.Time() > giveUpMs) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) wxMilliSleep(1);
    wxTheApp->ProcessPendingEvents();
  }
  return true;
}

void settle() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  wxTheApp->ProcessPendingEvents();
}

namespace {

bool runXdotool(const std::string& arguments, bool handle = true) {
  if (std::system(("xdotool " + arguments).c_str()) != 0) return false;
  // xdotool has returned, so the X server has made the events; one round trip later they
  // are all in this program's queue.
  gdk_display_sync(gdk_display_get_default());
  if (handle) settle();
  return true;
}

}  // namespace

bool typeKeys(const std::string& keys) {
  return runXdotool("key --clearmodifiers " + keys);
}

bool queueKeys(const std::string& keys) {
  return runXdotool("key --clearmodifiers " + keys, false);
}

bool clickAt(wxWindow& widget, int x, int y) {
  const wxPoint at = widget.ClientToScreen({x, y});
  return runXdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1");
}

wxFrame& frameOf(tk::Window& window) {
  return tk::wx::native(tk::backend::FrontAccess::peer(window)).frame();
}

wxWindow& clientOf(tk::Window& window) {
  return tk::wx::native(tk::backend::FrontAccess::peer(window)).panel();
}

GtkWidget* openDialog(GType kind) {
  GtkWidget* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    auto* widget = GTK_WIDGET(item->data);
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, kind) && gtk_widget_get_visible(widget)) found = widget;
  }
  g_list_free(windows);
  return found;
}

std::string titleOf(GtkWidget* dialog) {
  const char* title = gtk_window_get_title(GTK_WINDOW(dialog));
  return title != nullptr ? title : "";
}

std::string messageTextOf(GtkWidget* dialog) {
  gchar* text = nullptr;
  g_object_get(dialog, "text", &text, nullptr);
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

GtkMessageType messageTypeOf(GtkWidget* dialog) {
  GtkMessageType type = GTK_MESSAGE_OTHER;
  g_object_get(dialog, "message-type", &type, nullptr);
  return type;
}

wxImage screenshot(tk::Window& window) {
  wxWindow& client = clientOf(window);
  const wxSize size = client.GetClientSize();
  GdkWindow* native = gtk_widget_get_window(client.GetHandle());
  GdkPixbuf* pixels = gdk_pixbuf_get_from_window(native, 0, 0, size.x, size.y);
  if (pixels == nullptr) return {};
  const wxSize shown(gdk_pixbuf_get_width(pixels), gdk_pixbuf_get_height(pixels));
  wxImage image(shown.x, shown.y);
  const int stride = gdk_pixbuf_get_rowstride(pixels);
  const int channels = gdk_pixbuf_get_n_channels(pixels);
  const guchar* data = gdk_pixbuf_get_pixels(pixels);
  for (int y = 0; y < shown.y; ++y) {
    for (int x = 0; x < shown.x; ++x) {
      const guchar* pixel = data + y * stride + x * channels;
      image.SetRGB(x, y, pixel[0], pixel[1], pixel[2]);
    }
  }
  g_object_unref(pixels);
  return image;
}

bool isInk(const wxImage& image, int x, int y) {
  return image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 128;
}

}  // namespace wxtest
