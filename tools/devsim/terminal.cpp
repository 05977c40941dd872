#include "terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace devsim {

namespace {

std::string systemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

std::string linkTarget(const std::string& link) {
  char target[4096];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  return length < 0 ? std::string() : std::string(target, static_cast<std::size_t>(length));
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PseudoTerminal::open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = systemError("pseudo-terminal");
    return false;
  }
  const char* name = ::ptsname(master_);
  slaveName_ = name ? name : "";
  slave_ = name ? ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
  termios settings{};
  if (slave_ < 0 || ::tcgetattr(slave_, &settings) != 0) {
    error = systemError("pseudo-terminal slave");
    return false;
  }
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B9600);
  ::tcsetattr(slave_, TCSANOW, &settings);
  return true;
}

void PseudoTerminal::allowReopen() const {
  ::ioctl(slave_, TIOCNXCL);
}

bool createLink(const std::string& target, const std::string& link, std::string& error) {
  struct stat info {};
  if (::lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
    error = link + " exists and is not a symbolic link";
    return false;
  }
  // Made beside the link and renamed over it, so the link never points anywhere else.
  const std::string temporary = link + ".devsim-" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(target.c_str(), temporary.c_str()) != 0) {
    error = systemError(link.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), link.c_str()) != 0) {
    error = systemError(link.c_str());
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

void removeLink(const std::string& target, const std::string& link) {
  if (linkTarget(link) == target) ::unlink(link.c_str());
}

}  // namespace devsim
