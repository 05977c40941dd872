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

TEST_F(WindowTest, TheErrorBoxIsCaptionedWithTheProgramFilesName) {
  tk::Button button(main, "&Los");
  button.onClick = [] { throw core::Error("Datei x kann nicht erstellt werden"); };
  button.click();
  ASSERT_EQ(headless::messages().size(), 1u);
  EXPECT_EQ(headless::messages()[0].caption, "Querlan");
}

// The headless backend's modal scripts are told which window they run for.
TEST_F(WindowTest, AModalScriptIsHandedItsWindowWhileItIsModal) {
  tk::Window* scripted = nullptr;
  bool modalMeanwhile = false;
  headless::scriptModal([&](headless::ModalEvent& event) {
    scripted = event.window;
    modalMeanwhile = dialog.modal();
  });
  dialog.showModal();
  EXPECT_EQ(scripted, &dialog);
  EXPECT_TRUE(modalMeanwhile);
  EXPECT_FALSE(dialog.modal());
}

// Tests that do not script a question go on as the user who wants it would.
TEST_F(WindowTest, AQuestionIsRecordedAndAnsweredYesUnlessAScriptSaysNo) {
  EXPECT_TRUE(tk::askYesNo("Trotzdem beenden?", "Querlan"));
  headless::scriptModal([](headless::ModalEvent& event) {
    if (event.kind == headless::ModalKind::question) event.answerYes = false;
  });
  EXPECT_FALSE(tk::askYesNo("Trotzdem beenden?", "Querlan"));
  ASSERT_EQ(headless::messages().size(), 2u);
  EXPECT_EQ(headless::messages()[1].text, "Trotzdem beenden?");
  EXPECT_EQ(headless::messages()[1].icon, tk::Icon::question);
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

}  // namespace
