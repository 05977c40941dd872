#include "windows/Recording.h"

#include <regex>

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

// Where the destination takes nothing, the error box comes as ever; then the recording is
// saved under a name stamped with its start, in the destination's folder or else the start
// folder, and a message names that file.
TEST_F(RecordingTest, ARecordingTheDestinationRefusesIsSavedInsteadAndNamed) {
  const std::string kSavedInstead = "Die Aufzeichnung wurde stattdessen unter ";
  startWith(240);
  const auto folder = startDirectory / "Messungen";
  std::filesystem::create_directory(folder);
  const std::string held = (startDirectory / "held.txt").string();
  writeFile(held, "old\r\n");
  const testsupport::FileHolder holder(held);  // as a spreadsheet holds it
  struct Case {
    std::string destination;
    std::filesystem::path fallbackFolder;
  } cases[] = {{(folder / "x.txt").string(), startDirectory}, {held, startDirectory}};
  std::filesystem::remove(folder);  // meanwhile
  for (const Case& c : cases) {
    headless::clearMessages();
    fMain->eDest.setText(c.destination);
    startRecording();
    device->send("\x01\xfe"s);
    pollUntilReceived(TotalCount + 2);
    fMain->bAbbrechen.click();
    EXPECT_FALSE(recording());
    ASSERT_EQ(headless::messages().size(), 2u) << c.destination;
    EXPECT_EQ(headless::messages()[0].text,
              "Datei " + c.destination + " kann nicht erstellt werden.");
    const std::string& told = lastMessage().text;
    ASSERT_TRUE(told.starts_with(kSavedInstead) && told.ends_with(" gespeichert.")) << told;
    const std::string saved =
        told.substr(kSavedInstead.size(), told.size() - kSavedInstead.size() - 13);
    EXPECT_TRUE(std::regex_match(saved, std::regex(R"(.*_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.txt)")))
        << saved;
    EXPECT_EQ(lastMessage().caption, "Information");
    EXPECT_EQ(lastMessage().icon, tk::Icon::none);
    EXPECT_EQ(std::filesystem::path(saved).parent_path(), c.fallbackFolder);
    EXPECT_EQ(readFile(saved), "1\r\n254\r\n");
  }
  EXPECT_EQ(readFile(held), "old\r\n");
  headless::clearMessages();
  fMain->eDest.setText("out.txt");  // relative to the current directory
  startRecording();
  fMain->bAbbrechen.click();
  EXPECT_TRUE(headless::messages().empty());
  EXPECT_EQ(output(), "");
}

TEST(FallbackPaths, StampTheNameWithTheStartInTheDestinationsFolderThenTheStartFolder) {
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  const std::time_t started = 1'796'826'607;  // 2026-12-09 14:30:07 UTC
  const testsupport::TempDir start;
  const std::string here = start.path().string() + "/";
  const testsupport::CurrentDir current(start.path());
  struct Case {
    std::string destination;
    std::vector<std::string> paths;
  } cases[] = {
      {"log.txt", {here + "log_2026-12-09_14-30-07.txt"}},
      {here + "data.csv", {here + "data_2026-12-09_14-30-07.csv"}},
      {"/no/such/Messung",
       {"/no/such/Messung_2026-12-09_14-30-07", here + "Messung_2026-12-09_14-30-07"}},
      {"/no/such/", {"/no/such/log_2026-12-09_14-30-07.txt", here + "log_2026-12-09_14-30-07.txt"}},
      {"", {here + "log_2026-12-09_14-30-07.txt"}},
      {"sub/x.txt", {here + "sub/x_2026-12-09_14-30-07.txt", here + "x_2026-12-09_14-30-07.txt"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fallbackPaths(c.destination, here, started), c.paths) << c.destination;
  }
}

// The stop takes what the worker has queued since the last tick, so the count shown is the
// count saved; the start takes what was waiting before the request as idle bytes.
TEST_F(RecordingTest, ARecordingHoldsExactlyTheBytesOfItsTime) {
  startWith(240);
  device->send("xy"s);
  waitUntilQueued();
  startRecording();
  EXPECT_EQ(TotalCount, 2);
  EXPECT_EQ(fMain->lSchnittAct.text(), "COM-In:\t  )");
  device->send("\x05\x06\x07"s);
  waitUntilQueued();
  fMain->bAbbrechen.click();
  EXPECT_EQ(output(), "5\r\n6\r\n7\r\n");
  EXPECT_NE(fMain->lTime.text().find("\t\t3 Zeichen"), std::string::npos) << fMain->lTime.text();
  EXPECT_EQ(TotalCount, 5);
}

// A click or Enter that the system queued while a long save ran is delivered after it: it
// must meet a disabled button, not start a recording that replaces the file just saved.
TEST_F(RecordingTest, DatenHolenTakesInputAgainOnlyFromTheTickAfterAStop) {
  startWith(240);
  startRecording();
  fMain->bAbbrechen.click();
  EXPECT_FALSE(fMain->bHolen.enabled());
  fMain->bHolen.click();
  headless::pressEnter(*fMain);
  headless::pressAccelerator(*fMain, 'd');
  EXPECT_FALSE(recording());
  EXPECT_EQ(device->receive(1, std::chrono::milliseconds(100)), "");
  headless::advance(10);
  EXPECT_TRUE(fMain->bHolen.enabled());
  startRecording();
  EXPECT_TRUE(recording());
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
