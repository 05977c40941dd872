#include "tmpfs.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace testsupport {
namespace {

std::string sizeOption(std::size_t bytes) {
  return "size=" + std::to_string(bytes);
}

}  // namespace

bool takePrivateMounts() {
  static const bool taken = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return taken;
}

Tmpfs::Tmpfs(const std::filesystem::path& at, std::size_t bytes) : at_(at), bytes_(bytes) {
  std::filesystem::create_directories(at_);
  mounted_ = takePrivateMounts() &&
             ::mount("tmpfs", at_.c_str(), "tmpfs", 0, sizeOption(bytes_).c_str()) == 0;
}

Tmpfs::~Tmpfs() {
  if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
}

bool Tmpfs::setReadOnly(bool readOnly) {
  const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
  return ::mount("tmpfs", at_.c_str(), "tmpfs", flags, sizeOption(bytes_).c_str()) == 0;
}

std::size_t fillDisk(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return 0;
  static const char block[4096] = {};
  std::size_t filled = 0;
  for (ssize_t written; (written = ::write(fd, block, sizeof block)) > 0;) {
    filled += static_cast<std::size_t>(written);
  }
  ::close(fd);
  return filled;
}

}  // namespace testsupport
