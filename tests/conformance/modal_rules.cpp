// Modal windows, message boxes, questions and the file dialog: the program's timers tick on
// inside each of them while the other windows take no input; an error in a handler shows the
// error box.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>

#include "core/error.h"
#include "driver.h"

namespace {

using namespace conformance;

class Modal : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.show();
    ticker.onTimer = [this] {
      if (!inside()) return;
      ++ticksInside;
      ownerTookInput = ownerTookInput || takesInput(owner);
    };
    ticker.setEnabled(true);
  }

  // Ready to be answered once the timer has ticked inside a few times.
  std::function<bool()> afterTicks() {
    return [this] { return ticksInside >= 3; };
  }

  // Opens a box with `show` and answers it with `reply` once the timer has ticked inside it
  // a few times; what the box showed.
  Seen answerBox(const std::function<void()>& show, Reply reply = Reply::yes) {
    inside = [this] { return boxOpen; };
    ticksInside = 0;
    ModalAnswer answer(owner, afterTicks(), reply);
    boxOpen = true;
    show();
    boxOpen = false;
    EXPECT_GE(ticksInside, 3);
    EXPECT_TRUE(answer.seen().answered);
    return answer.seen();
  }

  tk::Window owner{{"Haupt", {20, 20, 300, 200}, {"Arial", -14}}};
  tk::Timer ticker{owner, 15};
  std::function<bool()> inside = [] { return false; };
  int ticksInside = 0;
  bool ownerTookInput = false;
  bool boxOpen = false;
};

TEST_F(Modal, AModalWindowRunsUntilClosedWithTheTimersTickingAndTheOthersDisabled) {
  tk::Window dialog({"Setup", {340, 20, 300, 200}, {"Arial", -14}});
  tk::Button ok(dialog, "OK");
  ok.onClick = [&] { dialog.close(); };
  inside = [&] { return dialog.modal(); };
  bool visibleInside = false;
  ticker.onTimer = [&, count = ticker.onTimer] {
    count();
    if (ticksInside != 3) return;
    visibleInside = dialog.visible();
    ok.click();
  };
  ModalAnswer answer(owner, afterTicks());
  dialog.showModal();
  EXPECT_GE(ticksInside, 3);
  EXPECT_TRUE(visibleInside);
  EXPECT_FALSE(ownerTookInput);
  EXPECT_FALSE(dialog.visible());
  EXPECT_FALSE(dialog.modal());
  EXPECT_TRUE(takesInput(owner));
}

TEST_F(Modal, AMessageBoxOffersOnlyOkAndShowsItsTextCaptionAndIcon) {
  const struct {
    std::string text;
    std::string caption;
    tk::Icon icon;
    ShownIcon shown;
  } cases[] = {
      {"Damit die Änderungen übernommen werden,\nneu starten.", "Information", tk::Icon::none,
       ShownIcon::none},
      {"Schnittstelle nicht zu öffnen !", "COM1:", tk::Icon::none, ShownIcon::none},
      {"Halt", "Querlan", tk::Icon::stop, ShownIcon::stop},
      {"Frage", "Querlan", tk::Icon::question, ShownIcon::question},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Seen seen = answerBox([&] { tk::showMessage(c.text, c.caption, c.icon); });
    EXPECT_EQ(seen.text, c.text);
    EXPECT_EQ(seen.caption, c.caption);
    EXPECT_EQ(seen.icon, c.shown);
    EXPECT_FALSE(seen.cancelOffered);
  }
  EXPECT_FALSE(ownerTookInput);
  EXPECT_TRUE(takesInput(owner));
}

// Enter must not lose anything: it answers No.
TEST_F(Modal, AQuestionIsTrueForYesAndFalseForNoWhichIsWhatEnterGives) {
  const std::string text = "Die Aufnahme ist noch nicht gespeichert.\nTrotzdem beenden?";
  const struct {
    Reply reply;
    bool result;
  } cases[] = {{Reply::yes, true}, {Reply::no, false}, {Reply::enter, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.reply));
    std::optional<bool> result;
    const Seen seen = answerBox([&] { result = tk::askYesNo(text, "Querlan"); }, c.reply);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.caption, "Querlan");
    EXPECT_EQ(seen.icon, ShownIcon::question);
    EXPECT_FALSE(seen.cancelOffered);
  }
  EXPECT_FALSE(ownerTookInput);
  EXPECT_TRUE(takesInput(owner));
}

// The message with a full stop where due, the application's title, the stop icon; and the
// program goes on, so a second error shows a second box.
TEST_F(Modal, AnErrorInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
  tk::Button button(owner, "&Daten holen");
  int clicks = 0;
  const struct {
    std::function<void()> fail;
    std::string shown;
  } cases[] = {
      {[] { throw core::Error("Datei x kann nicht erstellt werden"); },
       "Datei x kann nicht erstellt werden."},
      {[] { throw core::Error("Datei C:\\x\\log.txt kann nicht erstellt werden"); },
       "Datei C:\\x\\log.txt kann nicht erstellt werden."},
      // Any other error has no text the user could act on.
      {[] { throw std::runtime_error("intern"); }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    button.onClick = [&] {
      ++clicks;
      c.fail();
    };
    ModalAnswer answer(owner, [] { return true; });
    button.click();
    ASSERT_TRUE(answer.seen().answered);
    EXPECT_EQ(answer.seen().text, c.shown);
    EXPECT_EQ(answer.seen().caption, tk::Application::title());
    EXPECT_EQ(answer.seen().icon, ShownIcon::stop);
  }
  EXPECT_EQ(clicks, 3);
}

// A handler that fails inside the loop, such as a timer's, is shown the same way.
TEST_F(Modal, AnErrorInATimerShowsTheErrorBoxAndTheTimersGoOn) {
  tk::Timer failing(owner, 20, true);
  failing.onTimer = [&] {
    failing.setEnabled(false);
    throw core::Error("Datei x kann nicht erstellt werden");
  };
  ModalAnswer answer(owner, [] { return true; });
  int ticksAfter = 0;
  ticker.onTimer = [&] { ticksAfter += answer.seen().answered ? 1 : 0; };
  ASSERT_TRUE(runUntil([&] { return ticksAfter >= 3; }));
  EXPECT_EQ(answer.seen().text, "Datei x kann nicht erstellt werden.");
  EXPECT_EQ(answer.seen().icon, ShownIcon::stop);
}

TEST_F(Modal, TheFileDialogTakesANewNameWithItsFullPathAndCancelGivesNothing) {
  tk::OpenDialog dialog(owner);
  dialog.setFileName("Dest.txt");
  dialog.setFilter("Alle Dateien (*.*)|*.*");
  bool open = false;
  inside = [&] { return open; };
  const std::string file = newFile("Querlan-neu-äö.txt");
  {
    ModalAnswer answer(owner, afterTicks(), file);
    open = true;
    ASSERT_TRUE(dialog.execute());
    open = false;
    EXPECT_GE(ticksInside, 3);
    EXPECT_EQ(answer.seen().fileName, "Dest.txt");
    if (answer.seen().filter) {
      EXPECT_EQ(*answer.seen().filter, "Alle Dateien (*.*)");
    }
    EXPECT_EQ(dialog.fileName(), file);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(file))) << "choosing creates it";
  }
  ticksInside = 0;
  ModalAnswer cancel(owner, afterTicks());
  open = true;
  EXPECT_FALSE(dialog.execute());
  open = false;
  EXPECT_GE(ticksInside, 3);
  EXPECT_EQ(dialog.fileName(), file) << "a cancelled dialog keeps the last choice";
}

}  // namespace
