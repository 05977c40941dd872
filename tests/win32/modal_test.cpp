// Modal windows and the system's modal boxes as Win32 alone shows them: each is owned by the
// window it was opened from, and only while it is open; the file dialog hides its read-only
// box. Timers inside modal loops, the boxes' text and icon, the error box and the file
// dialog's answers are rules of every backend (tests/conformance).
#include <gtest/gtest.h>

#include "core/error.h"
#include "support.h"
#include "toolkit/win32/win32.h"

namespace {

using tk::win32::nativeHandle;

// Runs `show`, which opens a modal box, and confirms the box from a timer; returns the box's
// owner, and whether `owner` took input meanwhile.
struct Confirmed {
  HWND ownedBy = nullptr;
  bool ownerEnabled = true;
};
Confirmed confirmBox(
    tk::Window& owner, const std::function<void()>& show,
    const std::function<void(HWND)>& look = [](HWND) {}) {
  tk::Timer answerer(owner, 10, true);
  Confirmed confirmed;
  HWND answered = nullptr;
  answerer.onTimer = [&] {
    const HWND box = test::findDialog();
    if (box == nullptr || box == answered) return;
    answered = box;
    confirmed = {GetWindow(box, GW_OWNER), IsWindowEnabled(nativeHandle(owner)) != FALSE};
    look(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  };
  show();
  return confirmed;
}

TEST(Modal, AModalWindowIsOwnedByTheWindowItWasOpenedFromWhileItIsOpen) {
  test::TestWindow owner;
  owner.show();
  test::TestWindow dialog;
  tk::Timer closer(owner, 10, true);
  HWND ownedBy = nullptr;
  closer.onTimer = [&] {
    if (!dialog.modal()) return;
    ownedBy = GetWindow(nativeHandle(dialog), GW_OWNER);
    dialog.close();
  };
  dialog.showModal();
  EXPECT_EQ(ownedBy, nativeHandle(owner)) << "kept above the window it was opened from";
  EXPECT_EQ(GetWindow(nativeHandle(dialog), GW_OWNER), nullptr) << "and on its own afterwards";
}

TEST(Modal, MessageBoxesQuestionsAndTheErrorBoxAreOwnedByTheWindowTheyWereOpenedFrom) {
  test::TestWindow owner;
  owner.show();
  EXPECT_EQ(confirmBox(owner, [] { tk::showMessage("Halt", "COM1:"); }).ownedBy,
            nativeHandle(owner));
  EXPECT_EQ(confirmBox(owner, [] { tk::askYesNo("Trotzdem beenden?", "Querlan"); }).ownedBy,
            nativeHandle(owner));
  tk::Button button(owner, "&Daten holen");
  button.onClick = [] { throw core::Error("Datei C:\\x\\log.txt kann nicht erstellt werden"); };
  EXPECT_EQ(confirmBox(owner, [&] { button.click(); }).ownedBy, nativeHandle(owner));
  // The program file's name up to its first ".", every letter after the first in lower case.
  EXPECT_EQ(tk::Application::title(), "test_win32_toolkit");
}

// As the restart message from the setup dialog: the box stays above the dialog, and the
// window below the dialog stays disabled while both are open.
TEST(Modal, AMessageBoxFromAModalWindowBelongsToThatWindow) {
  test::TestWindow owner;
  owner.show();
  test::TestWindow dialog;
  tk::Timer once(dialog, 20, true);
  Confirmed fromDialog;
  bool ownerEnabled = true;
  once.onTimer = [&] {
    once.setEnabled(false);
    fromDialog = confirmBox(dialog, [] { tk::showMessage("Neu starten", "Information"); });
    ownerEnabled = IsWindowEnabled(nativeHandle(owner)) != FALSE;
    dialog.close();
  };
  dialog.showModal();
  EXPECT_EQ(fromDialog.ownedBy, nativeHandle(dialog));
  EXPECT_FALSE(ownerEnabled);
}

TEST(Modal, TheFileDialogHidesItsReadOnlyBox) {
  test::TestWindow owner;
  owner.show();
  tk::OpenDialog dialog(owner);
  dialog.setFileName("Dest.txt");
  constexpr int readOnlyCheck = 0x410;  // chx1, as the common dialog numbers it
  bool readOnlyShown = true;
  bool seen = false;
  confirmBox(
      owner, [&] { dialog.execute(); },
      [&](HWND box) {
        seen = true;
        const HWND readOnly = GetDlgItem(box, readOnlyCheck);
        readOnlyShown = readOnly != nullptr && IsWindowVisible(readOnly);
        SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
      });
  EXPECT_TRUE(seen);
  EXPECT_FALSE(readOnlyShown);
}

}  // namespace
