// Modal windows and the system's modal boxes: the program's timers tick on in every one of
// them, and the other windows take no input meanwhile.
#include <gtest/gtest.h>

#include "core/error.h"
#include "support.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/win32.h"

namespace {

using tk::win32::nativeHandle;

// Counts the ticks of a 10 ms timer while `during` runs; `closer` runs at every tick.
struct TickCounter {
  explicit TickCounter(tk::Window& window) : timer(window, 10, false) {
    timer.onTimer = [this] {
      ++ticks;
      if (ticks > 5) closer();
    };
  }
  tk::Timer timer;
  int ticks = 0;
  std::function<void()> closer = [] {};
};

TEST(Modal, AModalWindowDisablesTheOthersAndTheTimersTickOn) {
  test::TestWindow owner;
  owner.show();
  test::TestWindow dialog;
  TickCounter counter(owner);
  bool ownerEnabledMeanwhile = true;
  HWND ownedBy = nullptr;
  counter.closer = [&] {
    ownerEnabledMeanwhile = IsWindowEnabled(nativeHandle(owner));
    ownedBy = GetWindow(nativeHandle(dialog), GW_OWNER);
    dialog.close();
  };
  counter.timer.setEnabled(true);
  dialog.showModal();
  EXPECT_GT(counter.ticks, 5);
  EXPECT_FALSE(ownerEnabledMeanwhile);
  EXPECT_EQ(ownedBy, nativeHandle(owner)) << "kept above the window it was opened from";
  EXPECT_EQ(GetWindow(nativeHandle(dialog), GW_OWNER), nullptr) << "and on its own afterwards";
  EXPECT_TRUE(IsWindowEnabled(nativeHandle(owner)));
  EXPECT_FALSE(dialog.visible());
}

struct Shown {
  std::wstring text;
  std::wstring caption;
  bool icon = false;
  bool ownerEnabled = true;
  HWND ownedBy = nullptr;
};

// Shows a box with `show` and confirms it from a timer once it has ticked a few times.
Shown confirmBox(tk::Window& owner, const std::function<void()>& show, int& ticks) {
  TickCounter counter(owner);
  Shown shown;
  counter.closer = [&] {
    const HWND box = test::findDialog();
    if (box == nullptr) return;
    shown = {test::messageBoxText(box), test::windowText(box), test::hasIcon(box),
             IsWindowEnabled(nativeHandle(owner)) != FALSE, GetWindow(box, GW_OWNER)};
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  };
  counter.timer.setEnabled(true);
  show();
  ticks = counter.ticks;
  return shown;
}

TEST(Modal, AMessageBoxShowsItsTextAndCaptionWithOrWithoutTheStopIcon) {
  test::TestWindow owner;
  owner.show();
  int ticks = 0;
  const Shown plain = confirmBox(
      owner, [] { tk::showMessage("Schnittstelle nicht zu öffnen !", "COM1:"); }, ticks);
  EXPECT_GT(ticks, 5);
  EXPECT_EQ(plain.text, L"Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(plain.caption, L"COM1:");
  EXPECT_FALSE(plain.icon);
  EXPECT_FALSE(plain.ownerEnabled);
  EXPECT_EQ(plain.ownedBy, nativeHandle(owner));
  const Shown stop = confirmBox(
      owner, [] { tk::showMessage("Halt", "Querlan", tk::Icon::stop); }, ticks);
  EXPECT_TRUE(stop.icon);
  EXPECT_TRUE(IsWindowEnabled(nativeHandle(owner)));
}

// As the restart message from the setup dialog: the box stays above the dialog, and the
// window below the dialog stays disabled while both are open.
TEST(Modal, AMessageBoxFromAModalWindowBelongsToThatWindow) {
  test::TestWindow owner;
  owner.show();
  test::TestWindow dialog;
  tk::Timer once(dialog, 20, true);
  Shown fromDialog;
  bool ownerEnabled = true;
  once.onTimer = [&] {
    once.setEnabled(false);
    int ticks = 0;
    fromDialog = confirmBox(
        dialog, [] { tk::showMessage("Neu starten", "Information"); }, ticks);
    ownerEnabled = IsWindowEnabled(nativeHandle(owner)) != FALSE;
    dialog.close();
  };
  dialog.showModal();
  EXPECT_EQ(fromDialog.text, L"Neu starten");
  EXPECT_EQ(fromDialog.ownedBy, nativeHandle(dialog));
  EXPECT_FALSE(ownerEnabled);
}

TEST(Modal, AnErrorInAHandlerIsShownInTheErrorBoxAndTheProgramGoesOn) {
  test::TestWindow owner;
  owner.show();
  tk::Button button(owner, "&Daten holen");
  button.onClick = [] { throw core::Error("Datei C:\\x\\log.txt kann nicht erstellt werden"); };
  int ticks = 0;
  const Shown error = confirmBox(
      owner, [&] { button.click(); }, ticks);
  EXPECT_EQ(error.text, L"Datei C:\\x\\log.txt kann nicht erstellt werden.");
  // The program file's name up to its first ".", every letter after the first in lower case.
  EXPECT_EQ(error.caption, L"test_win32_toolkit");
  EXPECT_TRUE(error.icon);
  EXPECT_EQ(error.ownedBy, nativeHandle(owner));
}

// The file dialog's own controls, as the common dialog numbers them.
constexpr int fileTypeList = 0x470;   // cmb1
constexpr int fileNameBox = 0x47c;    // cmb13
constexpr int readOnlyCheck = 0x410;  // chx1

std::wstring dialogItemText(HWND dialog, int item) {
  return test::windowText(GetDlgItem(dialog, item));
}

TEST(Modal, TheFileDialogKeepsTheTimersGoingAndTakesANameThatDoesNotExist) {
  test::TestWindow owner;
  owner.show();
  tk::OpenDialog dialog(owner);
  dialog.setFileName("Dest.txt");
  dialog.setFilter("Alle Dateien (*.*)|*.*");
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring chosen = std::wstring(folder) + L"Querlan-neu-äö.txt";
  DeleteFileW(chosen.c_str());

  TickCounter counter(owner);
  std::wstring initialName, fileType;
  bool readOnlyShown = true;
  counter.closer = [&] {
    const HWND box = test::findDialog();
    if (box == nullptr || !initialName.empty()) return;
    initialName = dialogItemText(box, fileNameBox);
    fileType = dialogItemText(box, fileTypeList);
    const HWND readOnly = GetDlgItem(box, readOnlyCheck);
    readOnlyShown = readOnly != nullptr && IsWindowVisible(readOnly);
    SetDlgItemTextW(box, fileNameBox, chosen.c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  };
  counter.timer.setEnabled(true);
  ASSERT_TRUE(dialog.execute());
  EXPECT_GT(counter.ticks, 5);
  EXPECT_EQ(initialName, L"Dest.txt");
  EXPECT_EQ(fileType, L"Alle Dateien (*.*)");
  EXPECT_FALSE(readOnlyShown);
  EXPECT_EQ(dialog.fileName(), tk::win32::narrow(chosen));
}

}  // namespace
