#include "fixture.h"

namespace {

namespace headless = tk::headless;

const char* const restartText =
    "Damit die Änderungen der Schnittstelle übernommen werden,\n"
    "muss das Programm neu gestartet werden.";

class SetupTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    fMain->ComPort = 0;
    fMain->BaudRate = 9600;
    fMain->RecTime = 240;
  }

  // Opens the dialog with the setup button and lets the user work in it.
  void openSetup(const std::function<void()>& user) {
    headless::scriptModal([&](headless::ModalEvent& event) {
      EXPECT_EQ(event.window, fSetup);
      user();
    });
    fMain->bSetup.click();
    EXPECT_FALSE(fSetup->visible());
  }

  int restartMessages() const {
    return static_cast<int>(std::count_if(headless::messages().begin(), headless::messages().end(),
                                          [](const auto& box) { return box.text == restartText; }));
  }
};

TEST_F(SetupTest, TheDialogIsFilledFromTheMainWindow) {
  fMain->ComPort = 2;
  fMain->BaudRate = -19200;
  openSetup([] {
    EXPECT_EQ(fSetup->cbComPort.itemIndex(), 2);
    EXPECT_EQ(fSetup->cbComPort.text(), "COM3");
    EXPECT_EQ(fSetup->cbBaudRate.text(), "-19200");
    EXPECT_EQ(fSetup->leRecTime.text(), "240");
  });
  EXPECT_EQ(SetupOldPort, 2);
  EXPECT_EQ(SetupOldBaud, -19200);
}

TEST_F(SetupTest, ANewRecordingTimeAloneTakesEffectWithoutARestart) {
  openSetup([] {
    fSetup->leRecTime.setText("120");
    fSetup->bOk.click();
  });
  EXPECT_EQ(fMain->RecTime, 120);
  EXPECT_EQ(fMain->tDatenEnd.interval(), 120000);
  EXPECT_EQ(fMain->lTime.text(), "Aufzeichnung:\t120 s");
  EXPECT_TRUE(headless::messages().empty());
}

TEST_F(SetupTest, AChangedPortAsksForARestartAndLeavesThePortLabel) {
  fMain->ShowPortAndBaud();
  openSetup([] {
    fSetup->cbComPort.setItemIndex(1);
    fSetup->bOk.click();
  });
  EXPECT_EQ(fMain->ComPort, 1);
  ASSERT_EQ(restartMessages(), 1);
  EXPECT_EQ(lastMessage().caption, "Information");
  EXPECT_EQ(lastMessage().icon, tk::Icon::none);
  EXPECT_EQ(fMain->lComPortUsed.text(), "Schnittstelle:\tCOM1");
}

TEST_F(SetupTest, OnlyTheValuesAtOkAreComparedWithThoseAtOpening) {
  openSetup([] {
    fSetup->cbBaudRate.setText("19200");
    fSetup->cbComPort.setItemIndex(4);
    fSetup->cbBaudRate.setText("9600");  // chosen back
    fSetup->cbComPort.setItemIndex(0);
    fSetup->bOk.click();
  });
  EXPECT_EQ(restartMessages(), 0);
}

TEST_F(SetupTest, TheComparisonIsWithTheOpeningNotWithThePortInUse) {
  openSetup([] {
    fSetup->cbComPort.setItemIndex(1);
    fSetup->bOk.click();
  });
  openSetup([] { fSetup->bOk.click(); });  // COM2 at opening, unchanged
  EXPECT_EQ(restartMessages(), 1);
  openSetup([] {
    fSetup->cbComPort.setItemIndex(0);  // back to the port in use
    fSetup->bOk.click();
  });
  EXPECT_EQ(restartMessages(), 2);
}

TEST_F(SetupTest, BaudRateTextIsReadAsAnIntegerOr9600) {
  struct Case {
    int openedWith;
    const char* typed;
    int stored;
    bool restart;
  } cases[] = {
      {9600, "abc", 9600, false},    {9600, "", 9600, false},       {19200, "abc", 9600, true},
      {9600, "0", 0, true},          {9600, "-300", -300, true},    {9600, "$2580", 9600, false},
      {9600, " 38400", 38400, true}, {9600, "38400 ", 9600, false},
  };
  for (const Case& c : cases) {
    fMain->BaudRate = c.openedWith;
    headless::clearMessages();
    openSetup([&] {
      fSetup->cbBaudRate.setText(c.typed);
      fSetup->bOk.click();
    });
    EXPECT_EQ(fMain->BaudRate, c.stored) << c.typed;
    EXPECT_EQ(restartMessages(), c.restart ? 1 : 0) << c.typed;
  }
}

TEST_F(SetupTest, APortOutsideTheListOpensWithNoneSelectedAndStoresMinusOne) {
  fMain->ComPort = 9;
  openSetup([] {
    EXPECT_EQ(fSetup->cbComPort.itemIndex(), -1);
    fSetup->bOk.click();
  });
  EXPECT_EQ(fMain->ComPort, -1);
  EXPECT_EQ(restartMessages(), 1);
}

TEST_F(SetupTest, CancelStoresNothingAndTheRecordingTimeStaysInTheDialog) {
  openSetup([] {
    fSetup->cbComPort.setItemIndex(3);
    fSetup->cbBaudRate.setText("4800");
    fSetup->leRecTime.setText("60");
    fSetup->bAbbrechen.click();
  });
  EXPECT_EQ(fMain->ComPort, 0);
  EXPECT_EQ(fMain->BaudRate, 9600);
  EXPECT_EQ(fMain->RecTime, 240);
  openSetup([] {
    EXPECT_EQ(fSetup->cbComPort.itemIndex(), 0);
    EXPECT_EQ(fSetup->cbBaudRate.text(), "9600");
    EXPECT_EQ(fSetup->leRecTime.text(), "60");
    fSetup->bOk.click();
  });
  EXPECT_EQ(fMain->RecTime, 60);
  EXPECT_TRUE(headless::messages().empty());
}

TEST_F(SetupTest, EnterAcceptsAndTheCloseControlCancels) {
  openSetup([] {
    fSetup->leRecTime.setText("30");
    fSetup->leRecTime.setFocus();
    headless::pressEnter(*fSetup);
  });
  EXPECT_EQ(fMain->RecTime, 30);
  openSetup([] {
    fSetup->leRecTime.setText("31");
    headless::pressClose(*fSetup);
  });
  EXPECT_EQ(fMain->RecTime, 30);
}

TEST_F(SetupTest, PortListHoldsCom1ToCom8) {
  ASSERT_EQ(fSetup->cbComPort.itemCount(), 8);
  EXPECT_EQ(fSetup->cbComPort.item(0), "COM1");
  EXPECT_EQ(fSetup->cbComPort.item(7), "COM8");
}

}  // namespace
