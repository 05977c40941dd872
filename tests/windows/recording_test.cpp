#include "windows/Recording.h"
#include "fixture.h"

namespace {

namespace headless = tk::headless;
using namespace std::string_literals;
using testsupport::readFile;
using testsupport::settingsText;
using testsupport::writeFile;

class RecordingTest : public SessionTest {
 protected:
  void startWith(int recTime) {
    writeSettings(settingsText(recTime, (startDirectory / "out.txt").string()));
    startUp();
    ASSERT_TRUE(headless::messages().empty())
        << lastMessage().caption << ": " << lastMessage().text;
  }
  std::string output() const { return readFile(startDirectory / "out.txt"); }
  // A recording shows in the buttons and keeps the computer awake; however it ends, both go.
  static bool recording() {
    const bool running = Capturing == 1 && fMain->bAbbrechen.visible() && !fMain->bHolen.visible();
    EXPECT_EQ(headless::keptAwake(), running);
    return running;
  }
};

TEST_F(RecordingTest, ARecordingStoppedByItsTimerSavesOneDecimalLinePerByte) {
  startWith(5);
  startRecording();
  device->send("\x00\x41\xff\x0d"s);
  pollUntilReceived(4);
  EXPECT_TRUE(recording());
  const std::string progress = fMain->lTime.text();
  EXPECT_EQ(progress.substr(0, 13), "Verstrichen:\t");
  EXPECT_NE(progress.find(" von 5 s\n\t\t4 Zeichen wurden empfangen"), std::string::npos)
      << progress;
  headless::advance(5000);
  EXPECT_FALSE(recording());
  EXPECT_TRUE(fMain->bHolen.visible());
  EXPECT_EQ(output(), "0\r\n65\r\n255\r\n13\r\n");
  headless::advance(10);
  EXPECT_EQ(fMain->lTime.text(), "Aufzeichnung:\t5 s");
}

TEST_F(RecordingTest, EnterStartsAndStopsThroughTheVisibleDefaultButton) {
  startWith(240);
  fMain->eDest.setFocus();
  headless::pressEnter(*fMain);
  ASSERT_EQ(device->receive(1), "A");
  EXPECT_TRUE(recording());
  std::string all;
  for (int i = 0; i < 3000; ++i) all += static_cast<char>(i % 256);
  device->send(all);
  pollUntilReceived(3000);
  headless::pressEnter(*fMain);
  EXPECT_FALSE(recording());
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += std::to_string(i % 256) + "\r\n";
  EXPECT_EQ(output(), expected);
}

TEST_F(RecordingTest, NothingReceivedGivesAnEmptyFileReplacingTheOldOne) {
  writeFile(startDirectory / "out.txt", "old content\r\n");
  startWith(3);
  startRecording();
  headless::advance(3000);
  EXPECT_FALSE(recording());
  EXPECT_TRUE(std::filesystem::exists(startDirectory / "out.txt"));
  EXPECT_EQ(output(), "");
}

TEST_F(RecordingTest, RecordingTimeZeroRunsUntilCancelled) {
  startWith(0);
  startRecording();
  headless::advance(1'000'000);
  EXPECT_TRUE(recording());
  EXPECT_NE(fMain->lTime.text().find(" von 0 s\n"), std::string::npos);
  device->send("\x07"s);
  pollUntilReceived(1);
  fMain->bAbbrechen.click();
  EXPECT_FALSE(recording());
  EXPECT_EQ(output(), "7\r\n");
}

TEST_F(RecordingTest, IdleBytesMoveTheIndicatorButAreNotStored) {
  startWith(240);
  headless::advance(10);
  EXPECT_EQ(fMain->lSchnittAct.text(), "COM-In:\t:");
  device->send("ab"s);
  pollUntilReceived(2);
  EXPECT_EQ(fMain->lSchnittAct.text(), "COM-In:\t  )");
  EXPECT_EQ(CaptureCount, 2);
  startRecording();
  EXPECT_EQ(CaptureCount, 0);
  device->send("c"s);
  pollUntilReceived(3);
  EXPECT_EQ(fMain->lSchnittAct.text(), "COM-In:\t:");
  fMain->bAbbrechen.click();
  EXPECT_EQ(output(), "99\r\n");
}

TEST(ActivityText, CyclesThroughTheThreeCharactersForAnyCount) {
  struct Case {
    std::int32_t count;
    const char* text;
  } cases[] = {{0, "COM-In:\t:"},   {1, "COM-In:\t -"},          {2, "COM-In:\t  )"},
               {3, "COM-In:\t:"},   {2147483647, "COM-In:\t -"}, {-2147483647 - 1, "COM-In:\t -"},
               {-1, "COM-In:\t  )"}};
  for (const Case& c : cases) EXPECT_EQ(activityText(c.count), c.text) << c.count;
}

TEST_F(RecordingTest, OkInTheSetupDialogWithANewTimeRestartsTheCountdown) {
  startWith(10);
  startRecording();
  headless::advance(6000);
  headless::scriptModal([](headless::ModalEvent&) {
    fSetup->leRecTime.setText("8");
    fSetup->bOk.click();
  });
  fMain->bSetup.click();
  headless::advance(10);
  EXPECT_NE(fMain->lTime.text().find(" von 8 s\n"), std::string::npos);
  headless::advance(7989);
  EXPECT_TRUE(recording()) << "the new time counts from the OK";
  headless::advance(1);
  EXPECT_FALSE(recording());
}

TEST_F(RecordingTest, ARecordingEndsAndSavesWhileTheSetupDialogIsOpen) {
  startWith(2);
  startRecording();
  device->send("\x10"s);
  pollUntilReceived(1);
  headless::scriptModal([this](headless::ModalEvent&) {
    headless::advance(2500);
    EXPECT_EQ(output(), "16\r\n") << "saved while the dialog is open";
    fSetup->bAbbrechen.click();
  });
  fMain->bSetup.click();
  EXPECT_FALSE(recording());
}

TEST_F(RecordingTest, AnUnwritableDestinationIsReportedAndTheProgramStaysReady) {
  startWith(240);
  const std::string unwritable = (startDirectory / "no-such-folder" / "x.txt").string();
  fMain->eDest.setText(unwritable);
  startRecording();
  fMain->bAbbrechen.click();
  ASSERT_EQ(headless::messages().size(), 1u);
  EXPECT_EQ(lastMessage().text, "Datei " + unwritable + " kann nicht erstellt werden.");
  EXPECT_EQ(lastMessage().icon, tk::Icon::stop);
  EXPECT_FALSE(recording());
  fMain->eDest.setText("out.txt");  // relative to the current directory
  startRecording();
  device->send("\x01"s);
  pollUntilReceived(1);
  fMain->bAbbrechen.click();
  EXPECT_EQ(output(), "1\r\n");
}

TEST_F(RecordingTest, TheFileDialogSetsTheDestinationWithItsFullPath) {
  startWith(240);
  headless::scriptModal([this](headless::ModalEvent& event) {
    EXPECT_EQ(event.fileName, "Dest.txt");
    event.chosenFile = (startDirectory / "gewählt.txt").string();
  });
  fMain->bDest.click();
  EXPECT_EQ(fMain->eDest.text(), (startDirectory / "gewählt.txt").string());
  headless::scriptModal([](headless::ModalEvent& event) {
    EXPECT_NE(event.fileName.find("gewählt.txt"), std::string::npos)
        << "starts from the last choice";
  });
  fMain->bDest.click();  // cancelled
  EXPECT_EQ(fMain->eDest.text(), (startDirectory / "gewählt.txt").string());
}

TEST_F(RecordingTest, AfterAFailedStartUpTheButtonsDoNoHarm) {
  writeSettings("");
  startUp();
  fMain->bHolen.click();
  EXPECT_TRUE(fMain->bHolen.visible());
  fMain->bAbbrechen.click();
  EXPECT_FALSE(std::filesystem::exists(startDirectory / "log.txt"));
  EXPECT_EQ(device->receive(1, std::chrono::milliseconds(50)), "") << "no port, no request";
}

}  // namespace
