#include "fixture.h"

namespace {

namespace headless = tk::headless;

TEST_F(WindowsTest, TheCaptionEndsInTheVersion) {
  EXPECT_EQ(fMain->caption(), "QUERLAN - Speichert die Daten einer RS232 - Version 1.1");
  EXPECT_EQ(versionText(110), " - Version 1.1");
  EXPECT_EQ(versionText(123), " - Version 12.3");
  EXPECT_EQ(versionText(100), " - Version 1.0");
}

TEST_F(WindowsTest, TheSettingsFileLiesInTheStartDirectoryForGood) {
  const std::string expected = (startDirectory / "Setup.txt").string();
  EXPECT_EQ(SetupFileName, expected);
  std::filesystem::current_path("/");
  EXPECT_EQ(SetupFileName, expected);
}

TEST_F(WindowsTest, BeforeTheStartUpTheWindowShowsItsDesignState) {
  EXPECT_EQ(fMain->lBaudRateUsed.text(), "lBaudRateUsed");
  EXPECT_EQ(fMain->lSchnittAct.text(), "lSchnittAct");
  EXPECT_EQ(fMain->eDest.text(), "log.txt");
  EXPECT_EQ(fMain->eDest.captionLabel().text(), "Log-Datei");
  EXPECT_TRUE(fMain->bHolen.visible());
  EXPECT_FALSE(fMain->bAbbrechen.visible());
  EXPECT_EQ(fMain->defaultButton(), &fMain->bHolen);
  EXPECT_TRUE(fMain->tStart.running());
  EXPECT_EQ(fMain->tStart.interval(), 1);
  EXPECT_FALSE(fMain->tDatenEnd.enabled());
  EXPECT_EQ(fMain->tDatenEnd.interval(), 240000);
  EXPECT_FALSE(fMain->tDatenCont.enabled());
  EXPECT_FALSE(fSetup->visible());
  EXPECT_EQ(fMain->left(), 192);
  EXPECT_EQ(fMain->width(), 696);
}

TEST_F(WindowsTest, StatusTextsAreBuiltFromTheFields) {
  struct Case {
    int port;
    int baud;
    const char* portText;
    const char* baudText;
  } cases[] = {
      {0, 9600, "Schnittstelle:\tCOM1", "Baudrate:\t9600 Bits pro Sek."},
      {7, 115200, "Schnittstelle:\tCOM8", "Baudrate:\t115200 Bits pro Sek."},
      {9, 0, "Schnittstelle:\tCOM10", "Baudrate:\t0 Bits pro Sek."},
      {-1, -5, "Schnittstelle:\tCOM0", "Baudrate:\t-5 Bits pro Sek."},
      {2147483647, 1, "Schnittstelle:\tCOM2147483648", "Baudrate:\t1 Bits pro Sek."},
  };
  for (const Case& c : cases) {
    fMain->ComPort = c.port;
    fMain->BaudRate = c.baud;
    fMain->ShowPortAndBaud();
    EXPECT_EQ(fMain->lComPortUsed.text(), c.portText);
    EXPECT_EQ(fMain->lBaudRateUsed.text(), c.baudText);
  }
  fMain->ShowRecTime(-7);
  EXPECT_EQ(fMain->lTime.text(), "Aufzeichnung:\t-7 s");
}

TEST_F(WindowsTest, RecordingIntervalWrapsInsteadOfOverflowing) {
  EXPECT_EQ(recordingIntervalMs(240), 240000);
  EXPECT_EQ(recordingIntervalMs(0), 0);
  EXPECT_EQ(recordingIntervalMs(-1), -1000);
  EXPECT_EQ(recordingIntervalMs(2147484), -2147483296);  // 2147484000 wrapped to 32 bits
}

TEST_F(WindowsTest, SetupOpensByItsAcceleratorAndQuitClosesTheProgram) {
  bool opened = false;
  headless::scriptModal([&](headless::ModalEvent& event) { opened = event.window == fSetup; });
  EXPECT_TRUE(headless::pressAccelerator(*fMain, 's'));
  EXPECT_TRUE(opened);
  fMain->show();
  EXPECT_TRUE(headless::pressAccelerator(*fMain, 'b'));  // "&Beenden"
  EXPECT_FALSE(fMain->visible());
  EXPECT_TRUE(headless::quitRequested());
}

}  // namespace
