// Modal loops on the wx backend, what GTK alone shows: a modal window, a message box and a
// question are kept above the window they were opened from, and only while they are open. Timers
// inside modal loops, the error box and the file dialog are rules of every backend
// (tests/conformance).
#include <gtest/gtest.h>

#include "support.h"
#include "toolkit/toolkit.h"

namespace {

GtkWindow* gtkWindowOf(tk::Window& window) {
  return GTK_WINDOW(wxtest::frameOf(window).GetHandle());
}

class Loops : public ::testing::Test {
 protected:
  tk::Window owner{{"Haupt", {20, 20, 300, 200}, {"Arial", -14}}};
  // Answers from inside the modal loop, as the user would.
  tk::Timer answerer{owner, 10};
};

TEST_F(Loops, AModalWindowIsKeptAboveTheWindowItWasOpenedFromWhileItIsOpen) {
  owner.show();
  tk::Window dialog({"Setup", {340, 20, 300, 200}, {"Arial", -14}});
  GtkWindow* transientFor = nullptr;
  answerer.onTimer = [&] {
    if (!dialog.modal()) return;
    transientFor = gtk_window_get_transient_for(gtkWindowOf(dialog));
    dialog.close();
  };
  answerer.setEnabled(true);
  dialog.showModal();
  EXPECT_EQ(transientFor, gtkWindowOf(owner));
  EXPECT_EQ(gtk_window_get_transient_for(gtkWindowOf(dialog)), nullptr) << "and alone afterwards";
}

TEST_F(Loops, AMessageBoxOrQuestionIsKeptAboveTheWindowItWasOpenedFrom) {
  owner.show();
  GtkWindow* transientFor = nullptr;
  // A box stays on screen a moment after its answer: it is answered only once.
  GtkWidget* answered = nullptr;
  answerer.onTimer = [&] {
    GtkWidget* box = wxtest::openDialog(GTK_TYPE_MESSAGE_DIALOG);
    if (box == nullptr || box == answered) return;
    answered = box;
    transientFor = gtk_window_get_transient_for(GTK_WINDOW(box));
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_DELETE_EVENT);  // closed, as with Escape
  };
  answerer.setEnabled(true);
  tk::showMessage("Neu starten", "Information");
  EXPECT_EQ(transientFor, gtkWindowOf(owner));
  transientFor = nullptr;
  tk::askYesNo("Trotzdem beenden?", "Querlan");
  EXPECT_EQ(transientFor, gtkWindowOf(owner));
}

}  // namespace
