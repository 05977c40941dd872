// keepAwake() on Linux: an inhibitor lock of systemd-logind ("sleep", mode "block") on the
// system bus, held for as long as the file descriptor logind hands out stays open. logind
// serves whatever desktop runs, or none, and grants the lock to a user's active session
// without asking (polkit's org.freedesktop.login1.inhibit-block-sleep); the desktop portal
// would need a window handle and, in some desktops, asks the user. Everything is
// asynchronous on the GLib main loop that wxGTK runs, so a slow or missing bus or logind
// never holds up the windows. Without a system bus or logind nothing is held and nothing
// is said.
#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <utility>

#include "toolkit/toolkit.h"

namespace tk {
namespace {

enum class Bus { unknown, asking, none, connected };

struct Inhibitor {
  Bus bus = Bus::unknown;
  GDBusConnection* connection = nullptr;
  bool wanted = false;
  bool requested = false;  // an Inhibit call is on its way
  int lock = -1;           // the descriptor that holds the lock
};
Inhibitor inhibitor;

void takeLock(int lock) {
  if (inhibitor.wanted && inhibitor.lock < 0) {
    inhibitor.lock = lock;
  } else if (lock >= 0) {
    ::close(lock);
  }
}

int lockFromReply(GVariant* reply, GUnixFDList* descriptors) {
  if (reply == nullptr || descriptors == nullptr) return -1;
  gint32 index = -1;
  g_variant_get(reply, "(h)", &index);
  return g_unix_fd_list_get(descriptors, index, nullptr);
}

void onInhibitReply(GObject* source, GAsyncResult* result, gpointer) {
  GUnixFDList* descriptors = nullptr;
  GVariant* reply = g_dbus_connection_call_with_unix_fd_list_finish(G_DBUS_CONNECTION(source),
                                                                    &descriptors, result, nullptr);
  inhibitor.requested = false;
  takeLock(lockFromReply(reply, descriptors));
  if (reply != nullptr) g_variant_unref(reply);
  if (descriptors != nullptr) g_object_unref(descriptors);
}

void requestLock() {
  if (inhibitor.bus != Bus::connected || inhibitor.requested || inhibitor.lock >= 0) return;
  inhibitor.requested = true;
  g_dbus_connection_call_with_unix_fd_list(
      inhibitor.connection, "org.freedesktop.login1", "/org/freedesktop/login1",
      "org.freedesktop.login1.Manager", "Inhibit",
      g_variant_new("(ssss)", "sleep", "Querlan", "Aufzeichnung", "block"), G_VARIANT_TYPE("(h)"),
      G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, nullptr, onInhibitReply, nullptr);
}

void onBus(GObject*, GAsyncResult* result, gpointer) {
  inhibitor.connection = g_bus_get_finish(result, nullptr);
  inhibitor.bus = inhibitor.connection != nullptr ? Bus::connected : Bus::none;
  // A system bus that goes away must not end the program, as it would by default.
  if (inhibitor.connection != nullptr)
    g_dbus_connection_set_exit_on_close(inhibitor.connection, FALSE);
  if (inhibitor.wanted) requestLock();
}

}  // namespace

void keepAwake(bool on) {
  inhibitor.wanted = on;
  if (!on) {
    takeLock(std::exchange(inhibitor.lock, -1));
  } else if (inhibitor.bus == Bus::unknown) {
    inhibitor.bus = Bus::asking;
    g_bus_get(G_BUS_TYPE_SYSTEM, nullptr, onBus, nullptr);
  } else {
    requestLock();
  }
}

}  // namespace tk
