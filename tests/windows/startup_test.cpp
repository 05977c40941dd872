#include "fixture.h"
#include "windows/Recording.h"

namespace {

namespace headless = tk::headless;
using testsupport::settingsText;

tk::Rect boundsOf(const tk::Window& window) {
  return {window.left(), window.top(), window.width(), window.height()};
}

class StartupTest : public SessionTest {
 protected:
  void expectDefaultsApplied() {
    EXPECT_EQ(boundsOf(*fMain), (tk::Rect{0, 0, 500, 300}));
    EXPECT_EQ(boundsOf(*fSetup), (tk::Rect{0, 0, 500, 300}));
    EXPECT_EQ(fMain->ComPort, 0);
    EXPECT_EQ(fMain->BaudRate, 9600);
    EXPECT_EQ(fMain->RecTime, 240);
    EXPECT_EQ(fMain->lComPortUsed.text(), "Schnittstelle:\tCOM1");
    EXPECT_EQ(fMain->lBaudRateUsed.text(), "Baudrate:\t9600 Bits pro Sek.");
    EXPECT_EQ(fMain->lTime.text(), "Aufzeichnung:\t240 s");
    EXPECT_EQ(fMain->tDatenEnd.interval(), 240000);
    EXPECT_FALSE(fMain->tDatenEnd.enabled());
    EXPECT_EQ(fSetup->cbComPort.itemIndex(), 0);
    EXPECT_EQ(fSetup->cbBaudRate.text(), "9600");
    EXPECT_EQ(fSetup->udRecTime.position(), 240);
    EXPECT_TRUE(fMain->tDatenCont.running());
    EXPECT_FALSE(fMain->tStart.enabled());
    EXPECT_TRUE(headless::messages().empty())
        << lastMessage().caption << ": " << lastMessage().text;
  }
};

TEST_F(StartupTest, WithoutASettingsFileTheDefaultsApply) {
  startUp();
  expectDefaultsApplied();
  EXPECT_EQ(fMain->eDest.text(), "log.txt");
}

TEST_F(StartupTest, LinesThatAreNoNumbersTakeTheirDefaults) {
  writeSettings(settingsText(std::vector<std::string>(12, "abc")));
  startUp();
  expectDefaultsApplied();
  EXPECT_EQ(fMain->eDest.text(), "abc");
}

TEST_F(StartupTest, EachLineIsAppliedToItsPlace) {
  writeSettings(settingsText({"12", "34", "640", "410", "56", "78", "480", "260", "0", "$4B00",
                              " 120", "  Messung 1.txt "}));
  startUp();
  EXPECT_EQ(boundsOf(*fMain), (tk::Rect{12, 34, 640, 410}));
  EXPECT_EQ(boundsOf(*fSetup), (tk::Rect{56, 78, 480, 260}));
  EXPECT_EQ(fMain->BaudRate, 19200);
  EXPECT_EQ(fMain->RecTime, 120) << "spaces before a number are allowed";
  EXPECT_EQ(fMain->eDest.text(), "  Messung 1.txt ") << "the name is taken verbatim";
  EXPECT_EQ(fMain->tDatenEnd.interval(), 120000);
  EXPECT_EQ(fMain->bBeenden.top(), (410 - tk::headless::frameHeight) * 16 / 19)
      << "laid out at its size";
}

// Each case starts a program of its own: the port stays open for the life of a process.
class LineEndTest : public StartupTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(LineEndTest, EveryKindOfLineEndReadsAlike) {
  const std::string end = GetParam();
  std::string text;
  for (const char* line :
       {"1", "2", "600", "400", "3", "4", "500", "300", "0", "4800", "60", "x.txt"}) {
    text += line + end;
  }
  text.resize(text.size() - end.size());  // the last line without an end
  writeSettings(text);
  startUp();
  EXPECT_EQ(fMain->BaudRate, 4800);
  EXPECT_EQ(fMain->RecTime, 60);
  EXPECT_EQ(fMain->eDest.text(), "x.txt");
  EXPECT_TRUE(headless::messages().empty());
  fMain->bBeenden.click();
  EXPECT_EQ(savedSettings(), settingsText({"1", "2", "600", "400", "3", "4", "500", "300", "0",
                                           "4800", "60", "x.txt"}))
      << "written back with CR LF";
}

INSTANTIATE_TEST_SUITE_P(LineEnds, LineEndTest, ::testing::Values("\r\n", "\n", "\r"));

TEST_F(StartupTest, ATrailingSpaceMakesALineInvalidAndZeroIsATime) {
  writeSettings(
      settingsText({"0", "0", "500", "300", "0", "0", "500", "300", "0", "9600 ", "0", "a"}));
  startUp();
  EXPECT_EQ(fMain->BaudRate, 9600);
  EXPECT_EQ(fMain->RecTime, 0);
  EXPECT_EQ(fMain->tDatenEnd.interval(), 0);
  EXPECT_EQ(fMain->lTime.text(), "Aufzeichnung:\t0 s");
}

TEST_F(StartupTest, AnEmptyFileStopsTheStartUpWithTheIndexError) {
  writeSettings("");
  startUp();
  ASSERT_EQ(headless::messages().size(), 1u);
  EXPECT_EQ(lastMessage().text, "Listenindex überschreitet das Maximum (0)")
      << "no full stop after \")\"";
  EXPECT_EQ(lastMessage().icon, tk::Icon::stop);
  EXPECT_EQ(fMain->left(), 192);
  EXPECT_EQ(fMain->lComPortUsed.text(), "lComPortUsed");
  EXPECT_FALSE(fMain->tDatenCont.enabled());
  EXPECT_EQ(CaptureLines, nullptr);
  headless::advance(1000);
  EXPECT_EQ(headless::messages().size(), 1u) << "the start-up is not tried again";
}

TEST_F(StartupTest, AShortFileAppliesWhatItHasAndTheCloseWritesZeros) {
  writeSettings(settingsText({"5", "6", "610", "420", "7"}));
  startUp();
  EXPECT_EQ(lastMessage().text, "Listenindex überschreitet das Maximum (5)");
  EXPECT_EQ(boundsOf(*fMain), (tk::Rect{5, 6, 610, 420}));
  EXPECT_EQ(fSetup->left(), 7);
  fMain->bBeenden.click();
  EXPECT_EQ(savedSettings(), settingsText({"5", "6", "610", "420", "7", "223", "491", "239", "0",
                                           "0", "0", "log.txt"}));
}

TEST_F(StartupTest, ALongFileIsCutToTwelveLinesAtTheClose) {
  std::vector<std::string> lines{"0",   "0",   "500", "300",  "0",   "0",
                                 "500", "300", "0",   "9600", "240", "log.txt"};
  for (int i = 0; i < 8; ++i) lines.push_back("extra");
  writeSettings(settingsText(lines));
  startUp();
  fMain->setLeft(40);
  fMain->bBeenden.click();
  lines.resize(12);
  lines[0] = "40";
  EXPECT_EQ(savedSettings(), settingsText(lines));
}

TEST_F(StartupTest, APortBeyondTheListIsShownAndOpenedAsItIs) {
  std::filesystem::create_symlink(startDirectory / "unplugged", startDirectory / "COM10");
  writeSettings(settingsText(240, "log.txt", 9));
  startUp();
  EXPECT_EQ(fMain->lComPortUsed.text(), "Schnittstelle:\tCOM10");
  EXPECT_EQ(fSetup->cbComPort.itemIndex(), -1);
  ASSERT_EQ(headless::messages().size(), 1u);
  EXPECT_EQ(lastMessage().text, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(lastMessage().caption, "COM10:");
  EXPECT_EQ(lastMessage().icon, tk::Icon::none);
  EXPECT_TRUE(fMain->tDatenCont.running()) << "the start-up goes on";
}

// A place on a monitor that is gone is brought onto the screen that is left, a short file's
// half-applied one too; a place that can be seen stays; the close saves where they are.
TEST_F(StartupTest, AWindowThatNoScreenShowsIsBroughtBack) {
  headless::setScreens({{0, 0, 1024, 728}});
  writeSettings(settingsText({"1500", "40", "600", "400", "-20", "700", "480", "260"}));
  startUp();
  headless::setScreens({});
  EXPECT_EQ(boundsOf(*fMain), (tk::Rect{424, 40, 600, 400}));
  EXPECT_EQ(boundsOf(*fSetup), (tk::Rect{-20, 700, 480, 260}));
  fMain->setTop(5000);  // placed by the user from here on: not checked
  fMain->bBeenden.click();
  EXPECT_EQ(savedSettings(), settingsText({"424", "5000", "600", "400", "-20", "700", "480", "260",
                                           "0", "0", "0", "log.txt"}));
}

TEST_F(StartupTest, AShortFileStillBringsAWindowBack) {
  headless::setScreens({{0, 0, 1024, 728}});
  writeSettings(settingsText({"0", "0", "500", "300", "-3000"}));
  startUp();
  headless::setScreens({});
  EXPECT_EQ(boundsOf(*fSetup), (tk::Rect{0, 223, 491, 239}));
}

class DestinationTest : public StartupTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(DestinationTest, IsWrittenBackByteForByte) {
  writeSettings(settingsText(240, GetParam()));
  startUp();
  EXPECT_EQ(fMain->eDest.text(), GetParam());
  fMain->bBeenden.click();
  EXPECT_EQ(savedSettings(), settingsText(240, GetParam()));
}

// German letters as UTF-8 and as single bytes of an 8-bit code page.
INSTANTIATE_TEST_SUITE_P(GermanLetters, DestinationTest,
                         ::testing::Values("Meßwerte_äöü.txt", "\xE4\xF6\xFC.txt"));

TEST_F(StartupTest, AFailedSaveAbandonsTheCloseAndALaterCloseWrites) {
  startUp();
  fMain->show();
  std::filesystem::create_directories(startDirectory / "Setup.txt" / "blocked");
  fMain->bBeenden.click();
  EXPECT_TRUE(fMain->visible());
  EXPECT_FALSE(headless::quitRequested());
  EXPECT_EQ(lastMessage().text, "Datei " + SetupFileName + " kann nicht erstellt werden.");
  std::filesystem::remove_all(startDirectory / "Setup.txt");
  headless::pressClose(*fMain);
  EXPECT_TRUE(headless::quitRequested());
  EXPECT_EQ(savedSettings(), settingsText(240, "log.txt"));
}

}  // namespace
