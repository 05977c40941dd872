// Win32 file calls. Exclusive access is a share mode of 0: while the file is open no other
// program can open it. Paths arrive as UTF-8 and go to the wide calls as UTF-16.
//
// The text in the files is the ANSI code page's, as Windows programs of this kind keep their
// settings; the program's own text is UTF-8. So text is converted here, where it meets the
// file. Numbers and line ends are ASCII, the same in both, so only text a user typed (a
// destination name with German letters) changes form, and a file written and read back
// gives the same text. Bytes that are no UTF-8 text are written as they are. A name the code
// page cannot hold exactly would come back as another name (a look-alike, or "?"), so a file
// with such text is written as UTF-8 behind a byte-order mark, and a file that begins with
// the mark is read as UTF-8.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "core/os/file.h"
#include "core/os/wide.h"

namespace core::os {

namespace {
// The conversion calls count in int.
int clampedSize(std::size_t size) {
  return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}
}  // namespace

std::wstring toWide(unsigned codePage, std::string_view text, unsigned long flags) {
  const int size = clampedSize(text.size());
  const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
  return wide;
}

std::string fromWide(unsigned codePage, std::wstring_view wide) {
  const int size = clampedSize(wide.size());
  const int length =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

namespace {

constexpr DWORD kLargestWrite = 1u << 30;
constexpr std::size_t kLargestConversion = 1u << 28;

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The text in the ANSI code page, or nothing where the code page lacks one of its characters
// (or the conversion fails): best fit is off, so no look-alike stands in unnoticed.
std::optional<std::string> exactAnsi(std::wstring_view wide) {
  // A code page of UTF-8 holds everything, and takes no default-character question.
  if (GetACP() == CP_UTF8) return fromWide(CP_UTF8, wide);
  const int size = clampedSize(wide.size());
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                         0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string text(static_cast<std::size_t>(length), '\0');
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, nullptr,
                      &usedDefault);
  if (usedDefault) return std::nullopt;
  return text;
}

// What stands in a file for `text`, which is not all ASCII: in the ANSI code page where that
// holds every character, otherwise UTF-8 behind the mark, which only the start of a file can
// carry (nothing, then, for text further on).
std::optional<std::string> storedText(std::string_view text, bool beginsFile) {
  if (text.size() > kLargestConversion) return std::string(text);
  const std::wstring wide = toWide(CP_UTF8, text, MB_ERR_INVALID_CHARS);
  if (wide.empty()) return std::string(text);
  if (std::optional<std::string> ansi = exactAnsi(wide)) return ansi;
  if (!beginsFile) return std::nullopt;
  return std::string(kUtf8Mark) + std::string(text);
}

std::string utf8FromFile(std::string_view text) {
  if (text.starts_with(kUtf8Mark)) return std::string(text.substr(kUtf8Mark.size()));
  if (isAscii(text) || text.size() > kLargestConversion) return std::string(text);
  return fromWide(CP_UTF8, toWide(CP_ACP, text));
}

bool atFileStart(HANDLE file) {
  LARGE_INTEGER position{};
  return SetFilePointerEx(file, LARGE_INTEGER{}, &position, FILE_CURRENT) && position.QuadPart == 0;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (isOpen()) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

std::wstring widen(const std::string& text) {
  return toWide(CP_UTF8, text);
}

std::wstring fullPathOf(const std::wstring& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return {};
  full.resize(length);
  return full;
}

// A path whose full form has MAX_PATH characters or more goes to the wide calls in the
// \\?\ form, which they take up to 32,767 characters long ("Maximum Path Length Limitation"
// in Microsoft's file naming documentation): so the temporary name beside a target that fits
// never fails for being the longer one. The limit applies to the full path, which a relative
// name in a deep current folder can pass while the name itself is short. The \\?\ form skips
// Windows' path normalization, so it is made from the full path, which is normalized already.
std::wstring filePath(const std::string& path) {
  const std::wstring wide = widen(path);
  if (wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
  const std::wstring full = fullPathOf(wide);
  if (full.size() < MAX_PATH) return wide;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string narrow(const std::wstring& wide) {
  return fromWide(CP_UTF8, wide);
}

HANDLE openExisting(const std::string& path, DWORD access, DWORD share, DWORD flags = 0) {
  return CreateFileW(filePath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

// Reading stops at the first NUL because the text ends there anyway.
std::optional<std::string> readUntilNul(HANDLE file) {
  std::string text;
  char block[65536];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file, block, sizeof block, &count, nullptr)) return std::nullopt;
    if (count == 0) return text;
    text.append(block, count);
    if (std::find(block, block + count, '\0') != block + count) return text;
  }
}

// Virus scanners, indexers and cloud sync open a file for a moment, most often just after it
// was written; meanwhile it cannot be opened for this process alone, nor replaced, nor
// renamed, and the call fails with one of these errors (Microsoft's documentation of
// MoveFileEx and of sharing violations advises trying again after a short wait).
constexpr ULONGLONG kHoldPatienceMs = 2000;
constexpr DWORD kRetryPauseMs = 50;

bool isBriefHold(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

// Repeats `attempt` while it fails for a hold, for up to kHoldPatienceMs.
template <typename Attempt>
bool retryWhileHeld(Attempt attempt) {
  const ULONGLONG deadline = GetTickCount64() + kHoldPatienceMs;
  while (!attempt()) {
    if (!isBriefHold(GetLastError()) || GetTickCount64() >= deadline) return false;
    Sleep(kRetryPauseMs);
  }
  return true;
}

// The name Windows gives the file an open handle reaches, after every link on the way.
std::optional<std::string> finalPathOf(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, path.data(), MAX_PATH, FILE_NAME_NORMALIZED);
  if (length >= MAX_PATH) {
    path.resize(length);
    length = GetFinalPathNameByHandleW(file, path.data(), length, FILE_NAME_NORMALIZED);
  }
  if (length == 0 || length > path.size()) return std::nullopt;
  path.resize(length);
  return narrow(path);
}

}  // namespace

PathKind pathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(filePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::missing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::directory;
  return PathKind::regularFile;
}

std::size_t nameStart(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\:");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

std::string resolveLinks(const std::string& path) {
  const Handle file(openExisting(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 FILE_FLAG_BACKUP_SEMANTICS));
  if (!file.isOpen()) return path;
  // Some file systems cannot answer the final-path query (RAM disks, some network
  // redirectors fail it with ERROR_INVALID_FUNCTION or ERROR_NOT_SUPPORTED); the given path
  // still names the file there.
  return finalPathOf(file.get()).value_or(path);
}

bool isWritable(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(filePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

// A brief hold is waited out; only a program that keeps the file counts as holding it.
bool isLockedByOther(const std::string& path) {
  const bool released =
      retryWhileHeld([&] { return Handle(openExisting(path, GENERIC_READ, 0)).isOpen(); });
  return !released && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::optional<std::string> readText(const std::string& path) {
  const Handle file(openExisting(path, GENERIC_READ, FILE_SHARE_READ));
  if (!file.isOpen()) return std::nullopt;
  const std::optional<std::string> text = readUntilNul(file.get());
  if (!text) return std::nullopt;
  return utf8FromFile(*text);
}

CreateOutcome OutputFile::createNew(const std::string& path, const std::string&, OutputFile& file) {
  // Access rights come from the folder, as for any new file; share mode 0 keeps it ours.
  const HANDLE handle = CreateFileW(filePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_FILE_EXISTS ? CreateOutcome::nameTaken : CreateOutcome::failed;
  }
  file = OutputFile(reinterpret_cast<std::intptr_t>(handle));
  return CreateOutcome::created;
}

OutputFile OutputFile::openDevice(const std::string& path) {
  const HANDLE handle = openExisting(path, GENERIC_WRITE, 0);
  if (handle == INVALID_HANDLE_VALUE) return OutputFile();
  return OutputFile(reinterpret_cast<std::intptr_t>(handle));
}

// The string list hands its text over in one piece, so that its form is chosen for the whole
// file. Text that only UTF-8 holds fails where it does not begin the file.
bool OutputFile::write(std::string_view text) {
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  // A recording is digits and line ends only: it goes out as it is, neither copied nor
  // looked at twice.
  std::optional<std::string> stored;
  if (!isAscii(text)) {
    stored = storedText(text, atFileStart(file));
    if (!stored) return false;
  }
  std::string_view bytes = stored ? std::string_view(*stored) : text;
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kLargestWrite));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), size, &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

// Windows has no call that starts the write-back of a range without waiting for it; the
// cache manager's lazy writer begins on its own within a second or so.
void OutputFile::startWriteback() {}

bool OutputFile::flushToDisk() {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(handle_));
}

bool OutputFile::close() {
  if (!isOpen()) return true;
  return CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, kNoHandle)));
}

// A scanner that opens the fresh temporary file, or the target, holds up the replace.
bool renameOver(const std::string& from, const std::string& to) {
  const std::wstring source = filePath(from);
  const std::wstring target = filePath(to);
  return retryWhileHeld([&] {
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  });
}

CreateOutcome renameNew(const std::string& from, const std::string& to) {
  const std::wstring source = filePath(from);
  const std::wstring target = filePath(to);
  if (retryWhileHeld([&] {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
      })) {
    return CreateOutcome::created;
  }
  const DWORD error = GetLastError();
  const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
  return taken ? CreateOutcome::nameTaken : CreateOutcome::failed;
}

void removeFile(const std::string& path) {
  DeleteFileW(filePath(path).c_str());
}

}  // namespace core::os
