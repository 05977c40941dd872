// Files on Windows: the settings file keeps its ANSI text byte for byte through a whole
// start-up and close of the real windows, and a name the code page cannot hold in UTF-8;
// the program's UTF-8 names reach the file system as UTF-16; a file held open by another
// program is neither read nor replaced, while a brief hold (a virus scanner, an indexer) is
// waited out; a target that fits the path limit is saved although its temporary name does
// not fit.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/atomicfile.h"
#include "core/error.h"
#include "core/os/file.h"
#include "core/stringlist.h"
#include "import_patch.h"
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

std::string inCodePage(UINT codePage, const std::wstring& text) {
  const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
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

// A destination and the form Setup.txt keeps it in: the ANSI code page (1252 here) where it
// holds every character, byte for byte as ever; otherwise the whole file in UTF-8 behind a
// byte-order mark, also where the name is long enough to be stored apart from the numbers.
struct Destination {
  const char* label;
  std::wstring name;
  bool inUtf8;
};

void PrintTo(const Destination& destination, std::ostream* out) {
  *out << destination.label;
}

class SettingsFile : public InFolder, public testing::WithParamInterface<Destination> {};

TEST_P(SettingsFile, KeepsTheDestinationByteForByteThroughStartUpAndClose) {
  // ComPort -1 names no device, so the start-up opens no port.
  const std::string numbers =
      "20\r\n30\r\n500\r\n300\r\n40\r\n50\r\n480\r\n260\r\n-1\r\n9600\r\n240\r\n";
  const std::wstring& name = GetParam().name;
  const std::string settings = GetParam().inUtf8
                                   ? "\xEF\xBB\xBF" + numbers + inCodePage(CP_UTF8, name) + "\r\n"
                                   : numbers + inCodePage(CP_ACP, name) + "\r\n";
  writeBytes(folder_ / "Setup.txt", settings);
  fMain = new TfMain;
  fSetup = new TfSetup;
  const std::u8string path = (fs::current_path() / "Setup.txt").u8string();
  EXPECT_EQ(SetupFileName, std::string(path.begin(), path.end()));
  tk::headless::advance(1);  // the deferred start-up
  EXPECT_EQ(fMain->eDest.text(), inCodePage(CP_UTF8, name));
  fMain->FormClose();
  EXPECT_EQ(fileBytes(folder_ / "Setup.txt"), settings);
}

INSTANTIATE_TEST_SUITE_P(Names, SettingsFile,
                         testing::Values(Destination{"Ansi", L"Messung Größe ÄÖÜ.txt", false},
                                         Destination{"Utf8", L"Łódź.txt", true},
                                         Destination{"Utf8Long",
                                                     L"C:\\Messungen\\Łódź\\" +
                                                         std::wstring(300, L'x') + L".txt",
                                                     true}),
                         [](const auto& param) { return std::string(param.param.label); });

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

// Another program holds the file open: by default sharing it with no one; a virus scanner
// shares reading and writing but not deleting, and lets go soon.
class HeldOpen {
 public:
  explicit HeldOpen(const fs::path& path, DWORD share = 0)
      : handle_(
            CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpen() {
    if (releaser_.joinable()) {
      releaser_.join();
    } else {
      CloseHandle(handle_);
    }
  }
  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Lets go after `ms` on a thread of its own.
  void releaseAfter(DWORD ms) {
    releaser_ = std::thread([this, ms] {
      Sleep(ms);
      CloseHandle(handle_);
    });
  }

 private:
  HANDLE handle_;
  std::thread releaser_;
};

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::Error& error) {
    return error.what();
  }
  return "no error";
}

// The save waits about 2 s for the holder before it reports.
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

// The scanner may hold the target, or the fresh temporary file as it is renamed.
TEST_F(InFolder, ASaveWaitsForABriefHoldToEnd) {
  constexpr DWORD kScannerShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  writeBytes(folder_ / "log.txt", "1\r\n");
  {
    HeldOpen scanner(folder_ / "log.txt", kScannerShare);
    ASSERT_TRUE(scanner.isOpen());
    scanner.releaseAfter(1000);
    EXPECT_EQ(errorOf([] { core::replaceFile("log.txt", "2\r\n"); }), "no error");
  }
  EXPECT_EQ(fileBytes(folder_ / "log.txt"), "2\r\n");
  writeBytes(folder_ / "temporary", "3\r\n");
  {
    HeldOpen scanner(folder_ / "temporary", kScannerShare);
    ASSERT_TRUE(scanner.isOpen());
    scanner.releaseAfter(1000);
    EXPECT_TRUE(core::os::renameOver("temporary", "log.txt"));
  }
  EXPECT_EQ(fileBytes(folder_ / "log.txt"), "3\r\n");
  EXPECT_EQ(filesInFolder(), 1u);
}

// Windows without long paths refuses a path whose full form has MAX_PATH characters or more,
// unless it comes in the \\?\ form; Wine takes any. While a WindowsPathLimit lives, the
// file calls the program makes refuse such a path as Windows does.
bool pastThePathLimit(LPCWSTR path) {
  if (std::wstring_view(path).starts_with(L"\\\\?\\")) return false;
  return GetFullPathNameW(path, 0, nullptr, nullptr) > MAX_PATH;  // the count holds the NUL
}

template <class Result>
Result refused(Result result) {
  SetLastError(ERROR_PATH_NOT_FOUND);
  return result;
}

HANDLE WINAPI limitedCreateFileW(LPCWSTR path, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE model) {
  if (pastThePathLimit(path)) return refused(INVALID_HANDLE_VALUE);
  return test::systemFunction<decltype(&CreateFileW)>("CreateFileW")(path, access, share, security,
                                                                     disposition, flags, model);
}

DWORD WINAPI limitedGetFileAttributesW(LPCWSTR path) {
  if (pastThePathLimit(path)) return refused<DWORD>(INVALID_FILE_ATTRIBUTES);
  return test::systemFunction<decltype(&GetFileAttributesW)>("GetFileAttributesW")(path);
}

BOOL WINAPI limitedMoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (pastThePathLimit(from) || pastThePathLimit(to)) return refused<BOOL>(FALSE);
  return test::systemFunction<decltype(&MoveFileExW)>("MoveFileExW")(from, to, flags);
}

BOOL WINAPI limitedDeleteFileW(LPCWSTR path) {
  if (pastThePathLimit(path)) return refused<BOOL>(FALSE);
  return test::systemFunction<decltype(&DeleteFileW)>("DeleteFileW")(path);
}

class WindowsPathLimit {
 public:
  bool applied() const {
    return create_.applied() && attributes_.applied() && move_.applied() && remove_.applied();
  }

 private:
  test::ImportPatch create_{"CreateFileW", reinterpret_cast<void*>(&limitedCreateFileW)};
  test::ImportPatch attributes_{"GetFileAttributesW",
                                reinterpret_cast<void*>(&limitedGetFileAttributesW)};
  test::ImportPatch move_{"MoveFileExW", reinterpret_cast<void*>(&limitedMoveFileExW)};
  test::ImportPatch remove_{"DeleteFileW", reinterpret_cast<void*>(&limitedDeleteFileW)};
};

// A target whose full path just fits the limit, named in full or relative to a deep current
// folder: the temporary name beside it is the longer one, past the limit, and the save works
// all the same, for a new file and for one replaced.
class PathLimit : public InFolder, public testing::WithParamInterface<bool> {};

TEST_P(PathLimit, ATargetThatJustFitsIsSaved) {
  const std::size_t room = MAX_PATH - (folder_ / "x" / "log.txt").native().size();
  const fs::path deep = folder_ / std::wstring(room, L'x');
  const fs::path target = deep / "log.txt";
  ASSERT_EQ(target.native().size(), MAX_PATH - 1u);
  fs::create_directory(deep);
  fs::current_path(deep);
  const std::u8string full = target.u8string();
  const std::string name = GetParam() ? "log.txt" : std::string(full.begin(), full.end());
  const WindowsPathLimit limit;
  ASSERT_TRUE(limit.applied());
  for (const char* content : {"1\r\n", "2\r\n"}) {  // a new file, then one replaced
    EXPECT_EQ(errorOf([&] { core::replaceFile(name, content); }), "no error");
    EXPECT_EQ(fileBytes(target), content);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(NamedInFullOrRelative, PathLimit, testing::Bool());

}  // namespace
