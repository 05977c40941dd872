#include <gtest/gtest.h>

#include "core/error.h"
#include "toolkit/headless/headless.h"
#include "toolkit/toolkit.h"

namespace {

namespace headless = tk::headless;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::clearMessages();
    headless::setProgramPath("/opt/querlan/Querlan");
  }
  tk::Window main{{"Haupt", {0, 0, 416, 339}, {}}};
  tk::Window dialog{{"Setup", {0, 0, 300, 200}, {}}};
};

TEST_F(WindowTest, AHandlerErrorIsShownInTheErrorBoxAndTheProgramGoesOn) {
  tk::Button button(main, "&Los");
  int clicks = 0;
  button.onClick = [&] {
    ++clicks;
    throw core::Error("Datei x kann nicht erstellt werden");
  };
  button.click();
  button.click();
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(headless::messages().size(), 2u);
  const auto& box = headless::messages()[0];
  EXPECT_EQ(box.text, "Datei x kann nicht erstellt werden.");
  EXPECT_EQ(box.caption, "Querlan");
  EXPECT_EQ(box.icon, tk::Icon::stop);
}

TEST_F(WindowTest, AnErrorOfAnotherKindShowsAnEmptyText) {
  tk::Timer timer(main, 10, true);
  timer.onTimer = [&] {
    timer.setEnabled(false);
    throw std::runtime_error("intern");
  };
  headless::advance(10);
  ASSERT_EQ(headless::messages().size(), 1u);
  EXPECT_EQ(headless::messages()[0].text, "");
}

TEST_F(WindowTest, AFailedCloseHandlerAbandonsTheClose) {
  main.show();
  bool fail = true;
  main.onClose = [&] {
    if (fail) throw core::Error("Datei /x/Setup.txt kann nicht erstellt werden");
  };
  headless::pressClose(main);
  EXPECT_TRUE(main.visible());
  EXPECT_FALSE(headless::quitRequested());
  fail = false;
  headless::pressClose(main);
  EXPECT_FALSE(main.visible());
  EXPECT_TRUE(headless::quitRequested()) << "closing the main window ends the loop";
}

TEST_F(WindowTest, ResizeRunsOnEveryChangeOfSizeOnly) {
  int layouts = 0;
  dialog.onResize = [&] { ++layouts; };
  dialog.setLeft(50);
  dialog.setTop(60);
  EXPECT_EQ(layouts, 0);
  dialog.setWidth(500);
  dialog.setHeight(300);
  dialog.setHeight(300);
  EXPECT_EQ(layouts, 2);
  EXPECT_EQ(dialog.clientSize(),
            (tk::Size{500 - headless::frameWidth, 300 - headless::frameHeight}));
  EXPECT_EQ((tk::Rect{dialog.left(), dialog.top(), dialog.width(), dialog.height()}),
            (tk::Rect{50, 60, 500, 300}));
}

TEST_F(WindowTest, ModalWindowRunsUntilClosedWithTheOthersDisabled) {
  tk::Button ok(dialog, "OK");
  bool closedByOk = false;
  ok.onClick = [&] {
    closedByOk = true;
    dialog.close();
  };
  headless::scriptModal([&](headless::ModalEvent& event) {
    EXPECT_EQ(event.window, &dialog);
    EXPECT_TRUE(dialog.visible());
    EXPECT_TRUE(dialog.modal());
    EXPECT_TRUE(headless::otherWindowsDisabled());
    ok.click();
  });
  dialog.showModal();
  EXPECT_TRUE(closedByOk);
  EXPECT_FALSE(dialog.visible());
  EXPECT_FALSE(dialog.modal());
  EXPECT_FALSE(headless::otherWindowsDisabled());
}

TEST_F(WindowTest, EnterClicksTheVisibleDefaultButtonUnlessAButtonHasTheFocus) {
  tk::LabeledEdit edit(main);
  tk::Button start(main, "&Daten holen");
  tk::Button stop(main, "&Abbrechen");
  tk::Button other(main, "&Setup");
  std::string clicked;
  start.onClick = [&] { clicked += "start "; };
  stop.onClick = [&] { clicked += "stop "; };
  other.onClick = [&] { clicked += "setup "; };
  start.setDefault(true);
  stop.setDefault(true);
  stop.setVisible(false);
  edit.setFocus();
  headless::pressEnter(main);
  start.setVisible(false);
  stop.setVisible(true);
  headless::pressEnter(main);
  other.setFocus();
  headless::pressEnter(main);
  EXPECT_EQ(clicked, "start stop setup ");
  EXPECT_EQ(main.defaultButton(), &stop);
}

TEST_F(WindowTest, AcceleratorClicksOnlyAVisibleButton) {
  tk::Button setup(main, "&Setup");
  tk::Button hidden(main, "&Abbrechen");
  hidden.setVisible(false);
  int clicks = 0;
  setup.onClick = [&] { ++clicks; };
  hidden.onClick = [&] { clicks += 100; };
  EXPECT_TRUE(headless::pressAccelerator(main, 'S'));
  EXPECT_FALSE(headless::pressAccelerator(main, 'a'));
  EXPECT_EQ(clicks, 1);
}

TEST_F(WindowTest, FileDialogReturnsTheConfirmedChoiceOnly) {
  tk::OpenDialog dialogBox(main);
  dialogBox.setFileName("Dest.txt");
  headless::scriptModal([](headless::ModalEvent& event) {
    EXPECT_EQ(event.fileName, "Dest.txt");
    event.chosenFile = "/tmp/messung.txt";
  });
  EXPECT_TRUE(dialogBox.execute());
  EXPECT_EQ(dialogBox.fileName(), "/tmp/messung.txt");
  EXPECT_FALSE(dialogBox.execute()) << "no script: the user cancels";
  EXPECT_EQ(dialogBox.fileName(), "/tmp/messung.txt");
}

}  // namespace
