#include "fixture.h"

#include <fstream>
#include <sstream>

namespace headless = tk::headless;

void WindowsTest::SetUp() {
  previousDirectory = std::filesystem::current_path();
  std::string pattern = (std::filesystem::temp_directory_path() / "querlan-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  startDirectory = pattern;
  std::filesystem::current_path(startDirectory);
  headless::setProgramPath("/usr/local/bin/Querlan");
  headless::clearMessages();
  fMain = new TfMain;
  fSetup = new TfSetup;
}

void WindowsTest::TearDown() {
  delete fSetup;
  fSetup = nullptr;
  delete fMain;
  fMain = nullptr;
  std::filesystem::current_path(previousDirectory);
  std::error_code ignored;
  std::filesystem::remove_all(startDirectory, ignored);
}

void WindowsTest::setClientSize(tk::Window& window, int width, int height) {
  window.setWidth(width + headless::frameWidth);
  window.setHeight(height + headless::frameHeight);
}

std::string WindowsTest::readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WindowsTest::writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

headless::MessageRecord WindowsTest::lastMessage() {
  return headless::messages().empty() ? headless::MessageRecord{} : headless::messages().back();
}
