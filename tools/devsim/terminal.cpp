#include "terminal.h"

#include <fcntl.h>
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

bool makeRaw(int slave) {
  termios settings{};
  if (::tcgetattr(slave, &settings) != 0) return false;
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B9600);
  return ::tcsetattr(slave, TCSANOW, &settings) == 0;
}

}  // namespace

bool PseudoTerminal::open(bool raw, std::string& error) {
  close();
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = systemError("pseudo-terminal");
    close();
    return false;
  }
  const char* name = ::ptsname(master_);
  slaveName_ = name ? name : "";
  slave_ = name ? ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (slave_ < 0 || (raw && !makeRaw(slave_))) {
    error = systemError("pseudo-terminal slave");
    close();
    return false;
  }
  return true;
}

void PseudoTerminal::close() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
  slaveName_.clear();
}

void PseudoTerminal::holdOutput(bool held) const {
  ::tcflow(slave_, held ? TCOOFF : TCOON);
}

bool PseudoTerminal::setUpByProgram() const {
  termios settings{};
  return ::tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ICANON) == 0;
}

bool LinkedTerminal::plugIn(std::string& error) {
  if (!terminal_.open(raw_, error)) return false;
  if (!createLink(terminal_.slaveName(), link_, error)) {
    terminal_.close();
    return false;
  }
  return true;
}

void LinkedTerminal::unplug() {
  if (!pluggedIn()) return;
  const std::string name = terminal_.slaveName();
  terminal_.close();
  removeLink(name, link_);
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
