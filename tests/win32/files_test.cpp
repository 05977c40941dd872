// Files on Windows: the settings file keeps its ANSI text byte for byte through a whole
// start-up and close of the real windows; the program's UTF-8 names reach the file system
// as UTF-16; a file held open by another program is neither read nor replaced.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/error.h"
#include "core/stringlist.h"
#include "serial/sio.h"
#include "toolkit/headless/headless.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ansi(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                      nullptr, nullptr);
  return bytes;
}

// A fresh folder, with German letters in its name, as the current directory.
class InFolder : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / (L"Querlan Prüfung " + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::size_t filesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
  }

  fs::path folder_;
  fs::path previous_;
};

using SettingsFile = InFolder;

TEST_F(SettingsFile, KeepsItsAnsiTextByteForByteThroughStartUpAndClose) {
  // ComPort -1 names no device, so the start-up opens no port.
  const std::string settings =
      "20\r\n30\r\n500\r\n300\r\n40\r\n50\r\n480\r\n260\r\n-1\r\n9600\r\n"
      "240\r\n" +
      ansi(L"Messung Größe ÄÖÜ.txt") + "\r\n";
  writeBytes(folder_ / "Setup.txt", settings);
  fMain = new TfMain;
  fSetup = new TfSetup;
  const std::u8string path = (fs::current_path() / "Setup.txt").u8string();
  EXPECT_EQ(SetupFileName, std::string(path.begin(), path.end()));
  tk::headless::advance(1);  // the deferred start-up
  EXPECT_EQ(fMain->eDest.text(), "Messung Größe ÄÖÜ.txt");
  fMain->FormClose();
  EXPECT_EQ(fileBytes(folder_ / "Setup.txt"), settings);
}

TEST_F(InFolder, ARecordingUnderAGermanNameLandsUnderThatName) {
  core::StringList lines;
  lines.add("65");
  lines.add("255");
  lines.saveToFile("Messung ä.txt");
  EXPECT_EQ(fileBytes(folder_ / L"Messung ä.txt"), "65\r\n255\r\n");
  lines.add("0");
  lines.saveToFile("Messung ä.txt");
  EXPECT_EQ(fileBytes(folder_ / L"Messung ä.txt"), "65\r\n255\r\n0\r\n");
  EXPECT_EQ(filesInFolder(), 1u) << "a temporary file was left behind";
}

// Another program holds the file open and shares it with no one.
class HeldOpen {
 public:
  explicit HeldOpen(const fs::path& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr)) {}
  ~HeldOpen() { CloseHandle(handle_); }
  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::Error& error) {
    return error.what();
  }
  return "no error";
}

TEST_F(InFolder, AFileHeldOpenByAnotherProgramIsNeitherReadNorReplaced) {
  writeBytes(folder_ / "log.txt", "1\r\n");
  const HeldOpen other(folder_ / "log.txt");
  ASSERT_TRUE(other.isOpen());
  core::StringList lines;
  lines.add("2");
  EXPECT_EQ(errorOf([&] { lines.saveToFile("log.txt"); }),
            "Datei log.txt kann nicht erstellt werden");
  EXPECT_EQ(errorOf([&] { lines.loadFromFile("log.txt"); }),
            "Datei log.txt kann nicht geöffnet werden");
  EXPECT_EQ(filesInFolder(), 1u);
}

}  // namespace
