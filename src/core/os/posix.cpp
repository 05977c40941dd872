// POSIX file calls. Exclusive access is an flock: the lock that Linux programs take on a
// file they do not want touched meanwhile, and the nearest thing to a Windows share mode.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "core/os/file.h"

namespace core::os {
namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own limit before ELOOP

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// O_NONBLOCK keeps open() from waiting for the other end of a FIFO or a modem line.
Descriptor openForReading(const std::string& path) {
  return Descriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

std::optional<std::string> readLink(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
  if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) return std::nullopt;
  return std::string(target, static_cast<std::size_t>(length));
}

// Reading stops at the first NUL because the text ends there anyway; it also bounds the
// reading of endless devices such as /dev/zero.
std::optional<std::string> readUntilNul(int fd) {
  std::string text;
  char block[65536];
  for (;;) {
    const ssize_t count = ::read(fd, block, sizeof block);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) return text;
    text.append(block, static_cast<std::size_t>(count));
    if (std::memchr(block, 0, static_cast<std::size_t>(count)) != nullptr) return text;
  }
}

// The replacement keeps the mode and, where this process may give it, the owner of the file
// it replaces.
void copyPermissions(int fd, const std::string& model) {
  struct stat info {};
  if (::stat(model.c_str(), &info) != 0) return;
  if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
    // Only a privileged process may hand a file to another owner; the new one stays ours.
  }
  ::fchmod(fd, info.st_mode & 07777);
}

std::string directoryOf(const std::string& path) {
  const std::size_t start = nameStart(path);
  return start == 0 ? "." : path.substr(0, start);
}

void syncDirectoryOf(const std::string& path) {
  const Descriptor fd(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

// The kernel's rule for folders where anybody may create files (/tmp, protected_symlinks):
// a link there is followed only when it belongs to this user or to the folder's owner.
// Otherwise another user could plant one that makes the save replace any of our files.
bool mayFollow(const std::string& link, const struct stat& linkInfo) {
  struct stat folder {};
  if (::stat(directoryOf(link).c_str(), &folder) != 0) return false;
  const bool sharedSticky = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !sharedSticky || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid;
}

}  // namespace

PathKind pathKind(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return PathKind::missing;
  if (S_ISREG(info.st_mode)) return PathKind::regularFile;
  if (S_ISDIR(info.st_mode)) return PathKind::directory;
  return PathKind::other;
}

std::size_t nameStart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string resolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    if (!mayFollow(current, info)) return {};
    const auto target = readLink(current);
    if (!target) return {};
    current = target->starts_with('/') ? *target : current.substr(0, nameStart(current)) + *target;
  }
  return {};
}

bool isWritable(const std::string& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

bool isLockedByOther(const std::string& path) {
  const Descriptor fd = openForReading(path);
  return fd.get() >= 0 && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

std::optional<std::string> readText(const std::string& path) {
  const Descriptor fd = openForReading(path);
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return std::nullopt;
  return readUntilNul(fd.get());
}

CreateOutcome OutputFile::createNew(const std::string& path, const std::string& permissionsOf,
                                    OutputFile& file) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? CreateOutcome::nameTaken : CreateOutcome::failed;
  file = OutputFile(fd);
  // A fresh name is ours alone already; the lock tells programs that look that it is being
  // written. Where a file system has no locks the file is written all the same.
  ::flock(fd, LOCK_EX | LOCK_NB);
  copyPermissions(fd, permissionsOf);
  return CreateOutcome::created;
}

OutputFile OutputFile::openDevice(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return OutputFile();
  // Opened without waiting; from here on a write waits for a slow reader like any other.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return OutputFile(fd);
}

bool OutputFile::write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

void OutputFile::startWriteback() {
#ifdef __linux__
  ::sync_file_range(static_cast<int>(handle_), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool OutputFile::flushToDisk() {
  return ::fsync(static_cast<int>(handle_)) == 0;
}

bool OutputFile::close() {
  if (!isOpen()) return true;
  // The descriptor is gone even when close() reports an error, so it is never retried.
  return ::close(static_cast<int>(std::exchange(handle_, kNoHandle))) == 0;
}

bool renameOver(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  syncDirectoryOf(to);
  return true;
}

CreateOutcome renameNew(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno == EEXIST) return CreateOutcome::nameTaken;
    if (errno != EINVAL && errno != ENOSYS) return CreateOutcome::failed;
    // File systems without a rename that refuses to replace (NFS, some FUSE) have links,
    // which refuse as well.
    if (::link(from.c_str(), to.c_str()) != 0) {
      return errno == EEXIST ? CreateOutcome::nameTaken : CreateOutcome::failed;
    }
    ::unlink(from.c_str());
  }
  syncDirectoryOf(to);
  return CreateOutcome::created;
}

void removeFile(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace core::os
