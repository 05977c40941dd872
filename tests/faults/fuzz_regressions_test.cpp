// Settings files that fuzzing found to break the start-up, each kept as a test.
#include <climits>

#include "program.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace {

using testsupport::ProgramTest;

namespace headless = tk::headless;

std::string geometrySettings(const std::string& width, const std::string& height) {
  std::string text;
  for (const std::string& line : {std::string("0"), std::string("0"), width, height,
                                  std::string("0"), std::string("0"), width, height}) {
    text += line + "\r\n";
  }
  return text + "0\r\n9600\r\n240\r\nlog.txt\r\n";
}

class FuzzRegressionTest : public ProgramTest {
 protected:
  void startWith(const std::string& settings) {
    linkDevice();
    writeSettings(settings);
    start();
    EXPECT_TRUE(errorBoxes().empty()) << errorBoxes().front().text;
    EXPECT_TRUE(fMain->tDatenCont.running()) << "the start-up completed";
  }
};

// The frame was taken off the outer size in 32 bits: -2147483648 minus the frame overflowed
// and gave a huge client area instead of none.
TEST_F(FuzzRegressionTest, TheMostNegativeWindowSizeLeavesNoClientArea) {
  startWith(geometrySettings("-2147483648", "-2147483648"));
  for (const tk::Window* window :
       {static_cast<tk::Window*>(fMain), static_cast<tk::Window*>(fSetup)}) {
    EXPECT_EQ(window->clientSize().width, 0);
    EXPECT_EQ(window->clientSize().height, 0);
  }
  EXPECT_EQ(fMain->bBeenden.top(), 0);
}

// A window some two billion pixels high gives a font of 181 million pixels; the width of a
// label's text at that size overflowed instead of saturating.
TEST_F(FuzzRegressionTest, AHugeWindowGivesLabelsTheLargestSizeInsteadOfAnOverflow) {
  startWith(geometrySettings("2147483647", "2147483647"));
  for (const tk::Label* label :
       {&fMain->lBaudRateUsed, &fMain->lComPortUsed, &fMain->lTime, &fMain->lSchnittAct}) {
    EXPECT_GE(label->width(), 0) << label->text();
    EXPECT_GE(label->height(), 0) << label->text();
  }
  EXPECT_EQ(fMain->lBaudRateUsed.width(), INT_MAX) << "too wide for any screen: the largest size";
}

}  // namespace
