#include "fixture.h"
#include "toolkit/backend.h"

namespace {

tk::Rect boundsOf(const tk::Control& control) {
  return {control.left(), control.top(), control.width(), control.height()};
}

class LayoutTest : public WindowsTest {
 protected:
  // Sets the main window's (or dialog's) client area, as the user dragging its frame.
  static void setClientSize(tk::Window& window, int width, int height) {
    window.setWidth(width + tk::headless::frameWidth);
    window.setHeight(height + tk::headless::frameHeight);
  }
  // A repeated pass at the same size leaves every font as it is, so no control sizes
  // itself to its text and the sizes the layout set can be read back.
  static void layoutAt(tk::Window& window, int clientWidth, int clientHeight) {
    setClientSize(window, clientWidth, clientHeight);
    window.onResize();
    window.onResize();
  }
};

TEST_F(LayoutTest, MainWindowAt600By380) {
  layoutAt(*fMain, 600, 380);
  const tk::Font font{"Arial", -32};
  for (const tk::Label* label :
       {&fMain->lBaudRateUsed, &fMain->lComPortUsed, &fMain->lSchnittAct, &fMain->lTime}) {
    EXPECT_EQ(label->font(), font);
    EXPECT_EQ(label->width(), 580);
    EXPECT_EQ(label->height(), 60);
  }
  EXPECT_EQ(fMain->lBaudRateUsed.top(), 20);
  EXPECT_EQ(fMain->lComPortUsed.top(), 60);
  EXPECT_EQ(fMain->lSchnittAct.top(), 100);
  EXPECT_EQ(fMain->lTime.top(), 140);
  EXPECT_EQ(boundsOf(fMain->eDest), (tk::Rect{10, 260, 432, 50}));  // 1770 / 4, not 590 / 4 * 3
  EXPECT_EQ(boundsOf(fMain->bDest), (tk::Rect{452, 260, 137, 50}));
  EXPECT_EQ(boundsOf(fMain->bHolen), (tk::Rect{10, 320, 137, 50}));
  EXPECT_EQ(boundsOf(fMain->bAbbrechen), (tk::Rect{10, 320, 137, 50}));
  EXPECT_EQ(boundsOf(fMain->bSetup), (tk::Rect{157, 320, 137, 50}));
  EXPECT_EQ(boundsOf(fMain->bBeenden), (tk::Rect{305, 320, 137, 50}));
  EXPECT_EQ(fMain->eDest.captionLabel().font(), font);
  EXPECT_EQ(fMain->eDest.captionLabel().top(), 260 - 32 - 3) << "caption above the box at 3 pixels";
}

TEST_F(LayoutTest, MainWindowFollowsTheClientHeightNotMultiplesOfTheRowUnit) {
  layoutAt(*fMain, 600, 450);
  EXPECT_EQ(fMain->lTime.font(), (tk::Font{"Arial", -36}));
  EXPECT_EQ(fMain->bHolen.height(), 57);
  const int tops[] = {fMain->lBaudRateUsed.top(), fMain->lComPortUsed.top(),
                      fMain->lSchnittAct.top(),   fMain->lTime.top(),
                      fMain->eDest.top(),         fMain->bBeenden.top()};
  EXPECT_EQ(std::vector<int>(std::begin(tops), std::end(tops)),
            (std::vector<int>{23, 71, 118, 165, 307, 378}));
}

TEST_F(LayoutTest, MainWindowBelowNineteenPixelsGetsZeroHeights) {
  layoutAt(*fMain, 300, 18);
  EXPECT_EQ(fMain->bHolen.font().height, 0);
  EXPECT_EQ(fMain->bHolen.height(), 0);
  EXPECT_EQ(fMain->lTime.height(), 0);
  EXPECT_EQ(fMain->lComPortUsed.top(), 2);
  EXPECT_EQ(fMain->bBeenden.top(), 15);
}

TEST_F(LayoutTest, LabelsSizeToTheirTextWhenTheLayoutChangesTheirFont) {
  setClientSize(*fMain, 600, 380);  // one pass from the design font to Arial -32
  EXPECT_EQ(fMain->lTime.width(), 5 * 16) << "\"lTime\" in the headless metric";
  EXPECT_EQ(fMain->lTime.height(), 32);
  EXPECT_EQ(fMain->eDest.height(), 32 + 8) << "the edit box fits its new font";
}

TEST_F(LayoutTest, SetupDialogAt475By200) {
  layoutAt(*fSetup, 475, 200);
  EXPECT_EQ(fSetup->lComPort.font(), (tk::Font{"Arial", -16}));
  EXPECT_EQ(boundsOf(fSetup->lComPort), (tk::Rect{10, 10, 455, 30}));
  EXPECT_EQ(boundsOf(fSetup->lBaudRate), (tk::Rect{10, 60, 455, 30}));
  EXPECT_EQ(fSetup->cbComPort.top(), 30);
  EXPECT_EQ(fSetup->cbBaudRate.top(), 80);
  EXPECT_EQ(fSetup->cbBaudRate.bounds().height, 40) << "asked for 4 row units";
  EXPECT_EQ(fSetup->cbBaudRate.height(), 24) << "reports the closed height of its font";
  EXPECT_EQ(boundsOf(fSetup->leRecTime), (tk::Rect{10, 130, 437, 24}));
  EXPECT_EQ(fSetup->leRecTime.captionSpacing(), 5);
  EXPECT_EQ(boundsOf(fSetup->udRecTime), (tk::Rect{447, 130, 18, 24}));
  EXPECT_EQ(fSetup->udRecTime.font(), (tk::Font{"MS Sans Serif", -11}))
      << "the spinner keeps its font";
  EXPECT_EQ(boundsOf(fSetup->bOk), (tk::Rect{10, 170, 222, 30}));
  EXPECT_EQ(boundsOf(fSetup->bAbbrechen), (tk::Rect{242, 170, 222, 30}));
}

TEST_F(LayoutTest, AThousandResizesLeaveNoFontBehind) {
  setClientSize(*fMain, 600, 380);
  setClientSize(*fSetup, 475, 200);
  const int fonts = tk::backend::liveFontCount();
  for (int i = 0; i < 1000; ++i) {
    setClientSize(*fMain, 300 + i, 200 + i % 300);
    setClientSize(*fSetup, 200 + i % 400, 150 + i);
  }
  setClientSize(*fMain, 600, 380);
  setClientSize(*fSetup, 475, 200);
  EXPECT_EQ(tk::backend::liveFontCount(), fonts);
}

TEST_F(LayoutTest, HugeStoredSizesDoNotOverflowTheLayout) {
  fMain->setHeight(2'000'000'000);
  fMain->setWidth(2'000'000'000);
  EXPECT_GT(fMain->bBeenden.top(), fMain->eDest.top());
  EXPECT_GT(fMain->bBeenden.left(), fMain->bSetup.left());
}

}  // namespace
