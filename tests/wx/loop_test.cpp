// Loops on the wx backend: timers tick inside modal windows, message boxes and the file
// dialog; an error in a handler shows the error box and the loop goes on. The native boxes
// are answered from a timer, as a user would answer them, while the loop runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "core/error.h"
#include "support.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace {

GtkWindow* gtkWindowOf(tk::Window& window) {
  return GTK_WINDOW(wxtest::frameOf(window).GetHandle());
}

struct SeenBox {
  std::string title;
  std::string text;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  bool hasCancel = false;
  bool ownerEnabled = true;
  GtkWindow* transientFor = nullptr;
};

class Loops : public ::testing::Test {
 protected:
  // Counts ticks of a fast timer, and how many fell while a modal box or window was open.
  void countTicks(const std::function<bool()>& modalOpen) {
    ticker.onTimer = [this, modalOpen] {
      ++ticks;
      if (modalOpen()) ++ticksWhileModal;
    };
    ticker.setEnabled(true);
  }

  // Answers the message box from a timer once the ticker has ticked inside it a few times.
  void answerMessageBoxAfterTicks() {
    answerer.onTimer = [this] {
      GtkWidget* box = wxtest::openDialog(GTK_TYPE_MESSAGE_DIALOG);
      if (box == nullptr || ticksWhileModal < 3 || box == answered) return;
      answered = box;
      seen = SeenBox{
          wxtest::titleOf(box),
          wxtest::messageTextOf(box),
          wxtest::messageTypeOf(box),
          gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_CANCEL) != nullptr,
          wxtest::frameOf(owner).IsEnabled(),
          gtk_window_get_transient_for(GTK_WINDOW(box))};
      gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    };
    answerer.setEnabled(true);
  }

  tk::Window owner{{"Haupt", {20, 20, 300, 200}, {"Arial", -14}}};
  tk::Timer ticker{owner, 15};
  tk::Timer answerer{owner, 10};
  int ticks = 0;
  int ticksWhileModal = 0;
  std::optional<SeenBox> seen;
  // A box stays on screen a moment after its answer: it is answered only once.
  GtkWidget* answered = nullptr;
};

TEST_F(Loops, TimersTickInsideAModalWindowWhileTheOtherWindowsAreDisabled) {
  owner.show();
  tk::Window dialog({"Setup", {340, 20, 300, 200}, {"Arial", -14}});
  bool ownerEnabledInside = true;
  GtkWindow* transientFor = nullptr;
  countTicks([&] { return dialog.modal(); });
  answerer.onTimer = [&] {
    if (ticksWhileModal < 3) return;
    ownerEnabledInside = wxtest::frameOf(owner).IsEnabled();
    transientFor = gtk_window_get_transient_for(gtkWindowOf(dialog));
    dialog.close();
  };
  answerer.setEnabled(true);

  dialog.showModal();

  EXPECT_GE(ticksWhileModal, 3);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_EQ(transientFor, gtkWindowOf(owner)) << "kept above the window it was opened from";
  EXPECT_EQ(gtk_window_get_transient_for(gtkWindowOf(dialog)), nullptr) << "and alone afterwards";
  EXPECT_FALSE(dialog.visible());
  EXPECT_TRUE(wxtest::frameOf(owner).IsEnabled());
}

TEST_F(Loops, TimersTickInsideAMessageBoxThatOffersOnlyOk) {
  owner.show();
  bool boxOpen = false;
  countTicks([&] { return boxOpen; });
  answerMessageBoxAfterTicks();

  boxOpen = true;
  tk::showMessage("Damit die Änderungen übernommen werden,\nneu starten.", "Information");
  boxOpen = false;

  EXPECT_GE(ticksWhileModal, 3);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->title, "Information");
  EXPECT_EQ(seen->text, "Damit die Änderungen übernommen werden,\nneu starten.");
  EXPECT_EQ(seen->type, GTK_MESSAGE_OTHER);  // no icon
  EXPECT_FALSE(seen->hasCancel);
  EXPECT_FALSE(seen->ownerEnabled);
  EXPECT_EQ(seen->transientFor, gtkWindowOf(owner));
  EXPECT_TRUE(wxtest::frameOf(owner).IsEnabled());
}

TEST_F(Loops, AnErrorInAHandlerShowsTheErrorBoxAndTheLoopGoesOn) {
  owner.show();
  tk::Timer failing(owner, 20, true);
  failing.onTimer = [&] {
    failing.setEnabled(false);
    throw core::Error("Datei x kann nicht erstellt werden");
  };
  countTicks([&] { return wxtest::openDialog(GTK_TYPE_MESSAGE_DIALOG) != nullptr; });
  answerMessageBoxAfterTicks();
  int ticksAfterAnswer = 0;
  tk::Timer finisher(owner, 10, true);
  finisher.onTimer = [&] {
    if (seen && ++ticksAfterAnswer == 3) tk::backend::quit();
  };

  tk::backend::runLoop();

  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->text, "Datei x kann nicht erstellt werden.");
  EXPECT_EQ(seen->title, tk::Application::title());
  EXPECT_EQ(seen->type, GTK_MESSAGE_ERROR);  // the stop icon
  EXPECT_EQ(ticksAfterAnswer, 3);
}

class OpenDialog : public Loops {
 protected:
  // Answers the file dialog once the ticker has ticked inside it: sets a name and accepts,
  // or cancels when the name is empty.
  void answerFileDialog(const std::string& name) {
    answerer.onTimer = [this, name] {
      GtkWidget* dialog = wxtest::openDialog(GTK_TYPE_FILE_CHOOSER_DIALOG);
      if (dialog == nullptr || ticksWhileModal < 3 || dialog == answered) return;
      answered = dialog;
      auto* chooser = GTK_FILE_CHOOSER(dialog);
      gchar* initial = gtk_file_chooser_get_current_name(chooser);
      initialName = initial != nullptr ? initial : "";
      g_free(initial);
      if (GtkFileFilter* filter = gtk_file_chooser_get_filter(chooser)) {
        filterName = gtk_file_filter_get_name(filter);
      }
      if (name.empty()) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        return;
      }
      gtk_file_chooser_set_current_name(chooser, name.c_str());
      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    };
    answerer.setEnabled(true);
  }

  std::optional<std::string> run() {
    owner.show();
    countTicks([] { return wxtest::openDialog(GTK_TYPE_FILE_CHOOSER_DIALOG) != nullptr; });
    return tk::backend::runOpenDialog(tk::backend::FrontAccess::peer(owner), "Dest.txt",
                                      "Alle Dateien (*.*)|*.*");
  }

  std::string initialName;
  std::string filterName;
};

TEST_F(OpenDialog, AcceptsAFileThatDoesNotExistAndReturnsItsFullPath) {
  const std::string name = "noch-nicht-da-" + std::to_string(::getpid()) + ".txt";
  answerFileDialog(name);
  const auto chosen = run();
  EXPECT_GE(ticksWhileModal, 3);
  EXPECT_EQ(initialName, "Dest.txt");
  EXPECT_EQ(filterName, "Alle Dateien (*.*)");
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, (std::filesystem::current_path() / name).string());
  EXPECT_FALSE(std::filesystem::exists(*chosen));
}

TEST_F(OpenDialog, CancelReturnsNothing) {
  answerFileDialog("");
  EXPECT_FALSE(run());
  EXPECT_GE(ticksWhileModal, 3);
}

}  // namespace
