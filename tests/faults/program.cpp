#include "program.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "port_guard.h"
#include "windows/Main.h"
#include "windows/Recording.h"
#include "windows/Setupunit.h"

namespace faults {

namespace headless = tk::headless;

void ProgramTest::SetUp() {
  allowOnlyLinkedCom1();
  previousDirectory_ = std::filesystem::current_path();
  std::string pattern = (std::filesystem::temp_directory_path() / "querlan-faults-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  startDirectory = pattern;
  headless::setProgramPath("/usr/local/bin/Querlan");
  headless::clearMessages();
}

void ProgramTest::TearDown() {
  delete fSetup;
  fSetup = nullptr;
  delete fMain;
  fMain = nullptr;
  device.reset();
  std::filesystem::current_path(previousDirectory_);
  disk.reset();
  std::error_code ignored;
  std::filesystem::remove_all(startDirectory, ignored);
}

bool ProgramTest::putStartDirectoryOnDisk(std::size_t bytes) {
  disk = std::make_unique<Tmpfs>(startDirectory, bytes);
  return disk->mounted();
}

void ProgramTest::writeSettings(const std::string& bytes) const {
  std::ofstream(startDirectory / "Setup.txt", std::ios::binary) << bytes;
}

std::string settingsText(int recTime, const std::string& destination) {
  std::string text;
  for (const std::string line : {"0", "0", "500", "300", "0", "0", "500", "300", "0", "9600"}) {
    text += line + "\r\n";
  }
  return text + std::to_string(recTime) + "\r\n" + destination + "\r\n";
}

void ProgramTest::start() {
  std::filesystem::current_path(startDirectory);
  fMain = new TfMain;
  fSetup = new TfSetup;
  headless::advance(1);
}

void ProgramTest::startRecording() {
  fMain->bHolen.click();
  ASSERT_EQ(device->receive(1), "A") << "the request byte";
}

void ProgramTest::pollUntilReceived(int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (TotalCount < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    headless::advance(10);
  }
  ASSERT_EQ(TotalCount, count) << "bytes taken from the port";
}

std::string ProgramTest::readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> ProgramTest::namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<headless::MessageRecord> ProgramTest::errorBoxes() {
  std::vector<headless::MessageRecord> boxes;
  std::copy_if(headless::messages().begin(), headless::messages().end(), std::back_inserter(boxes),
               [](const headless::MessageRecord& box) { return box.icon == tk::Icon::stop; });
  return boxes;
}

}  // namespace faults
