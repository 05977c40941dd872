#include "serial/comm/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace comm {

namespace {

// A lock file holds eleven bytes; anything much longer is no lock file.
constexpr std::size_t kMostLockBytes = 64;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// The usual form: the process ID as text, space-padded to ten characters, then a line end.
// Anything else after the digits makes it no text lock (a binary ID whose low byte happens
// to be a digit would otherwise read as a tiny, wrong number).
std::optional<pid_t> textOwner(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  std::size_t digits = 0;
  pid_t pid = 0;
  for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
    if (digits == 9) return std::nullopt;
    pid = pid * 10 + (text[digits] - '0');
  }
  if (digits == 0 || pid <= 0) return std::nullopt;
  text.remove_prefix(digits);
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  if (text.starts_with("\r\n")) text.remove_prefix(2);
  if (text.starts_with('\n')) text.remove_prefix(1);
  return text.empty() ? std::optional(pid) : std::nullopt;
}

// The old Kermit form: the ID as a binary int of four bytes.
std::optional<pid_t> binaryOwner(std::string_view content) {
  std::int32_t binary = 0;
  if (content.size() != sizeof binary) return std::nullopt;
  std::memcpy(&binary, content.data(), sizeof binary);
  return binary > 0 ? std::optional<pid_t>(binary) : std::nullopt;
}

// /run/lock is writable by every user: a FIFO there would block an open, a link to
// /dev/zero would never end. So the file is looked at before it is opened (opening a tty
// may raise its modem lines), opened without following a link and without waiting, and
// checked again once open, in case it was swapped meanwhile.
std::optional<std::string> readLockFile(const std::string& lockFile) {
  struct stat info {};
  if (::lstat(lockFile.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const int fd =
      ::open(lockFile.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content(kMostLockBytes + 1, '\0');
  ssize_t got = -1;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    got = ::read(fd, content.data(), content.size());
  }
  ::close(fd);
  if (got < 0 || static_cast<std::size_t>(got) > kMostLockBytes) return std::nullopt;
  content.resize(static_cast<std::size_t>(got));
  return content;
}

std::optional<pid_t> ownerOf(const std::string& lockFile) {
  const auto content = readLockFile(lockFile);
  if (!content) return std::nullopt;
  if (const auto pid = textOwner(*content)) return pid;
  return binaryOwner(*content);
}

// A process we may not signal (another user's) still lives.
bool isAlive(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The locks this process holds, removed at a normal end. Never destroyed: the worker may
// still take one while the exit handlers run.
struct Held {
  std::mutex mutex;
  std::vector<std::string> files;
};

Held& held() {
  static Held* const locks = new Held;
  return *locks;
}

void removeIfOurs(const std::string& lockFile) {
  if (ownerOf(lockFile) == ::getpid()) ::unlink(lockFile.c_str());
}

void releaseAllAtExit() {
  Held& locks = held();
  const std::lock_guard guard(locks.mutex);
  for (const std::string& file : locks.files) removeIfOurs(file);
  locks.files.clear();
}

void remember(const std::string& lockFile) {
  Held& locks = held();
  const std::lock_guard guard(locks.mutex);
  static const bool registered = std::atexit(releaseAllAtExit) == 0;
  (void)registered;
  if (std::ranges::find(locks.files, lockFile) == locks.files.end()) {
    locks.files.push_back(lockFile);
  }
}

// Our lock, complete, under a temporary name in the lock folder, so that nobody ever sees
// it half written. Empty when the folder takes no file.
std::string writeTemporaryLock(const std::string& lockFile) {
  const std::filesystem::path folder = std::filesystem::path(lockFile).parent_path();
  std::string name = (folder / "LTMP.XXXXXX").string();
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return {};
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  const auto size = static_cast<std::size_t>(length);
  const bool written = ::fchmod(fd, 0644) == 0 && ::write(fd, text, size) == length;
  if (::close(fd) != 0 || !written) {
    ::unlink(name.c_str());
    return {};
  }
  return name;
}

// A link to a new name fails when the name exists, so of two programs only one creates
// the lock. A lock that holds nothing is replaced in one step, and the result read back:
// when another program replaced it at the same moment, the later one has it.
LockClaim placeLock(const std::string& temporary, const std::string& lockFile) {
  if (::link(temporary.c_str(), lockFile.c_str()) == 0) return LockClaim::taken;
  if (errno != EEXIST) return LockClaim::noLock;
  if (heldByAnotherProgram(lockFile)) return LockClaim::heldByAnother;
  if (::rename(temporary.c_str(), lockFile.c_str()) != 0) return LockClaim::noLock;
  return ownerOf(lockFile) == ::getpid() ? LockClaim::taken : LockClaim::heldByAnother;
}

}  // namespace

std::string lockFileFor(const std::string& path, const std::string& lockDirectory) {
  std::error_code error;
  const std::filesystem::path device = std::filesystem::canonical(path, error);
  if (error) return {};
  return (std::filesystem::path(lockDirectory) / ("LCK.." + device.filename().string())).string();
}

bool heldByAnotherProgram(const std::string& lockFile) {
  const auto owner = ownerOf(lockFile);
  return owner && *owner != ::getpid() && isAlive(*owner);
}

LockClaim claimLock(const std::string& lockFile) {
  const auto owner = ownerOf(lockFile);
  if (owner == ::getpid()) return LockClaim::noLock;
  if (owner && isAlive(*owner)) return LockClaim::heldByAnother;
  const std::string temporary = writeTemporaryLock(lockFile);
  if (temporary.empty()) return LockClaim::noLock;
  const LockClaim claim = placeLock(temporary, lockFile);
  ::unlink(temporary.c_str());
  if (claim == LockClaim::taken) remember(lockFile);
  return claim;
}

void releaseLock(const std::string& lockFile) {
  Held& locks = held();
  const std::lock_guard guard(locks.mutex);
  std::erase(locks.files, lockFile);
  removeIfOurs(lockFile);
}

}  // namespace comm
