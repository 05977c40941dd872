#include "program.h"

#include <algorithm>

#include "eventually.h"
#include "serial/queues.h"
#include "windows/Main.h"
#include "windows/Recording.h"
#include "windows/Setupunit.h"

namespace testsupport {

namespace headless = tk::headless;

std::string settingsText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string settingsText(int recTime, const std::string& destination, int port) {
  return settingsText({"0", "0", "500", "300", "0", "0", "500", "300", std::to_string(port), "9600",
                       std::to_string(recTime), destination});
}

void ProgramTest::SetUp() {
  headless::setProgramPath("/usr/local/bin/Querlan");
  headless::clearMessages();
}

// The windows go before the device and the disk they use; the members follow.
void ProgramTest::TearDown() {
  delete fSetup;
  fSetup = nullptr;
  delete fMain;
  fMain = nullptr;
  current_.reset();
}

bool ProgramTest::putStartDirectoryOnDisk(std::size_t bytes) {
  disk = std::make_unique<Tmpfs>(startDirectory, bytes);
  return disk->mounted();
}

void ProgramTest::linkDevice() {
  device = std::make_unique<PtyDevice>();
  device->linkAs(startDirectory / "COM1");
}

void ProgramTest::writeSettings(const std::string& bytes) const {
  writeFile(startDirectory / "Setup.txt", bytes);
}

std::string ProgramTest::savedSettings() const {
  return readFile(startDirectory / "Setup.txt");
}

void ProgramTest::buildWindows() {
  current_.emplace(startDirectory);
  fMain = new TfMain;
  fSetup = new TfSetup;
}

void ProgramTest::startRecording() {
  // After a stop the button takes input again from the next tick, long before a user's
  // next click.
  if (!fMain->bHolen.enabled()) headless::advance(10);
  fMain->bHolen.click();
  ASSERT_EQ(device->receive(1), "A") << "the request byte";
}

void ProgramTest::pollUntilReceived(int count) {
  eventually([count] {
    if (TotalCount >= count) return true;
    headless::advance(10);
    return false;
  });
  ASSERT_EQ(TotalCount, count) << "bytes taken from the port";
}

void ProgramTest::waitUntilQueued() {
  ASSERT_TRUE(device->waitUntilRead());
  constexpr int kMarker = 0x7E;
  TxPut(kMarker);
  ASSERT_EQ(device->receive(1), std::string(1, static_cast<char>(kMarker)));
}

std::vector<headless::MessageRecord> ProgramTest::errorBoxes() {
  std::vector<headless::MessageRecord> boxes;
  std::copy_if(headless::messages().begin(), headless::messages().end(), std::back_inserter(boxes),
               [](const headless::MessageRecord& box) { return box.icon == tk::Icon::stop; });
  return boxes;
}

headless::MessageRecord ProgramTest::lastMessage() {
  return headless::messages().empty() ? headless::MessageRecord{} : headless::messages().back();
}

}  // namespace testsupport
