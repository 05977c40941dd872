// A recording when its disk fills up during the save, and when the device vanishes in the
// middle of it.
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "program.h"
#include "windows/Main.h"
#include "windows/Recording.h"

namespace {

using testsupport::namesIn;
using testsupport::ProgramTest;
using testsupport::readFile;
using testsupport::settingsText;
using testsupport::Tmpfs;
using testsupport::writeFile;

namespace headless = tk::headless;
using Names = std::vector<std::string>;

std::string bytesCounting(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += static_cast<char>(i % 256);
  return bytes;
}

std::string linesCounting(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += std::to_string(i % 256) + "\r\n";
  return lines;
}

double processCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec / 1e6;
}

class RecordingFaultTest : public ProgramTest {
 protected:
  void startWith(int recTime, const std::filesystem::path& destination) {
    linkDevice();
    writeSettings(settingsText(recTime, destination.string()));
    start();
    ASSERT_TRUE(headless::messages().empty()) << headless::messages().front().text;
  }
  static bool idle() { return Capturing == 0 && fMain->bHolen.visible(); }
  // The device sends a few thousand bytes at a time: the test plays the device and the
  // program's main thread at once, so it must not wait for the port while the queue is full.
  void deliver(const std::string& bytes) {
    constexpr std::size_t kPortion = 2000;
    for (std::size_t at = 0; at < bytes.size(); at += kPortion) {
      const std::string portion = bytes.substr(at, kPortion);
      device->send(portion);
      pollUntilReceived(TotalCount + static_cast<int>(portion.size()));
    }
  }
};

TEST_F(RecordingFaultTest, ADiskThatFillsDuringTheSaveKeepsTheEarlierFile) {
  const auto folder = startDirectory / "disk";
  const Tmpfs small(folder, 16 * 1024);
  if (!small.mounted()) GTEST_SKIP() << "no right to mount a tmpfs here";
  const auto destination = folder / "log.txt";
  writeFile(destination, "1\r\n2\r\n3\r\n");
  startWith(240, destination);
  startRecording();
  deliver(bytesCounting(20'000));  // some 90 KB of lines for a 16 KB disk
  fMain->bAbbrechen.click();
  ASSERT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(errorBoxes().back().text, "Stream-Schreibfehler.");
  EXPECT_EQ(readFile(destination), "1\r\n2\r\n3\r\n");
  EXPECT_EQ(namesIn(folder), Names{"log.txt"}) << "a temporary file is left";
  EXPECT_TRUE(idle());
  // The disk has room for a short recording: the program goes on working.
  startRecording();
  deliver(bytesCounting(100));
  fMain->bAbbrechen.click();
  EXPECT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(readFile(destination), linesCounting(100));
}

// Where no place takes a recording (the destination's disk and the start folder's full), it
// is kept: the next "Daten holen" saves it before it records anything, and the close asks
// before it lets it go.
TEST_F(RecordingFaultTest, ARecordingNoPlaceTakesIsKeptUntilItIsSaved) {
  if (!putStartDirectoryOnDisk(64 * 1024)) GTEST_SKIP() << "no right to mount a tmpfs here";
  const auto destination = startDirectory / "log.txt";
  startWith(240, destination);
  const auto filler = startDirectory / "filler";
  testsupport::fillDisk(filler);
  startRecording();
  deliver(bytesCounting(3000));
  fMain->bAbbrechen.click();
  EXPECT_TRUE(idle());
  ASSERT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(lastMessage().caption, "Information");
  EXPECT_TRUE(lastMessage().text.starts_with("Die Aufzeichnung konnte nirgends"))
      << lastMessage().text;
  headless::advance(10);
  fMain->bHolen.click();
  EXPECT_EQ(errorBoxes().size(), 2u) << "the error again";
  EXPECT_EQ(device->receive(1, std::chrono::milliseconds(100)), "") << "a request went out";
  EXPECT_TRUE(idle());
  // The close tries once more: the error box, then the question.
  headless::scriptModal([](headless::ModalEvent&) {});
  headless::scriptModal([](headless::ModalEvent& question) { question.answerYes = false; });
  fMain->close();
  EXPECT_EQ(lastMessage().icon, tk::Icon::question);
  EXPECT_FALSE(headless::quitRequested()) << "closed although the question was answered No";
  std::filesystem::remove(filler);
  headless::clearMessages();
  startRecording();
  EXPECT_EQ(readFile(destination), linesCounting(3000)) << "saved before the next recording";
  EXPECT_TRUE(headless::messages().empty());
  deliver(bytesCounting(5));
  fMain->bAbbrechen.click();
  EXPECT_EQ(readFile(destination), linesCounting(5));
  EXPECT_EQ(namesIn(startDirectory), (Names{"COM1", "Setup.txt", "log.txt"}));
}

// An adapter unplugged in the middle of a recording and plugged in again: the recording
// goes on, ends on time and keeps both parts; the next one needs no restart.
TEST_F(RecordingFaultTest, AnUnpluggedDeviceThatComesBackLosesNoRecording) {
  // Virtual time runs on while the test waits for real bytes, so the recording time leaves
  // room for a slow, loaded machine.
  startWith(60, startDirectory / "out.txt");
  startRecording();
  const std::int64_t started = headless::now();
  deliver(bytesCounting(1000));
  device.reset();  // the far end closes: the adapter is unplugged
  headless::advance(10);
  // The worker waits for the device to come back. It must wait between passes as before:
  // a loop that spins would take a whole core in these two seconds.
  const double cpuBefore = processCpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  EXPECT_LT(processCpuSeconds() - cpuBefore, 1.0) << "CPU seconds in 2 s after the hang-up";
  linkDevice();
  ASSERT_TRUE(device->waitUntilConfigured()) << "the port was not opened again";
  const std::string second = bytesCounting(1256).substr(1000);
  deliver(second);
  headless::advance(static_cast<int>(started + 59'999 - headless::now()));
  EXPECT_FALSE(idle()) << "still recording until its time is up";
  headless::advance(1);
  EXPECT_TRUE(idle());
  EXPECT_TRUE(errorBoxes().empty());
  EXPECT_EQ(readFile(startDirectory / "out.txt"), linesCounting(1256));
  startRecording();
  deliver(bytesCounting(10));
  fMain->bAbbrechen.click();
  EXPECT_EQ(readFile(startDirectory / "out.txt"), linesCounting(10));
}

}  // namespace
