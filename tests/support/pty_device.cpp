#include "pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Waits until `fd` is ready for `events`; false once `deadline` has passed.
bool waitFor(int fd, short events, Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return false;
  pollfd watch{fd, events, 0};
  return ::poll(&watch, 1, static_cast<int>(left.count())) > 0;
}

// Points `entry` at `target` in one step: the port layer must never find the entry missing,
// as it would then open the machine's own /dev/ttyS* instead.
bool pointAt(const std::filesystem::path& entry, const std::string& target) {
  const std::string staged = entry.string() + ".new";
  ::unlink(staged.c_str());
  return ::symlink(target.c_str(), staged.c_str()) == 0 &&
         ::rename(staged.c_str(), entry.c_str()) == 0;
}

}  // namespace

PtyDevice::PtyDevice() {
  plugIn();
}

PtyDevice::~PtyDevice() {
  unplug();
}

void PtyDevice::plugIn() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) fail("posix_openpt");
  slaveName_ = ::ptsname(master_);
  slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) fail("open " + slaveName_);
}

void PtyDevice::unplug() {
  for (const auto& link : links_) {
    std::error_code error;
    if (std::filesystem::read_symlink(link, error) == slaveName_) {
      pointAt(link, "/nonexistent/unplugged-device");
    }
  }
  links_.clear();
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
}

void PtyDevice::replugAs(const std::filesystem::path& entry) {
  unplug();
  plugIn();
  linkAs(entry);
}

void PtyDevice::linkAs(const std::filesystem::path& entry) {
  if (!pointAt(entry, slaveName_)) fail("symlink " + entry.string());
  links_.push_back(std::filesystem::absolute(entry));
}

termios PtyDevice::settings() const {
  termios settings{};
  if (::tcgetattr(slave_, &settings) != 0) fail("tcgetattr");
  return settings;
}

void PtyDevice::setSettings(const termios& settings) const {
  if (::tcsetattr(slave_, TCSANOW, &settings) != 0) fail("tcsetattr");
}

// Both sides of a pseudo-terminal share one set of settings: the program's show here.
bool PtyDevice::waitUntilConfigured() const {
  return eventually([this] { return (settings().c_lflag & ICANON) == 0; });
}

void PtyDevice::send(std::string_view bytes) const {
  const auto deadline = Clock::now() + patience;
  while (!bytes.empty()) {
    const ssize_t put = ::write(master_, bytes.data(), bytes.size());
    if (put > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(put));
    } else if (errno != EAGAIN || !waitFor(master_, POLLOUT, deadline)) {
      fail("write to the terminal");
    }
  }
}

void PtyDevice::send(const std::vector<std::uint8_t>& bytes) const {
  send(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string PtyDevice::receive(std::size_t count, std::chrono::milliseconds wait) const {
  std::string bytes;
  const auto deadline = Clock::now() + wait;
  while (bytes.size() < count && waitFor(master_, POLLIN, deadline)) {
    char buffer[4096];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::vector<std::uint8_t> PtyDevice::receiveBytes(std::size_t count) const {
  const std::string bytes = receive(count);
  return {bytes.begin(), bytes.end()};
}

// The kernel hands what the device wrote on to the port's input a moment later: a pause
// first keeps that moment from passing for "all read".
bool PtyDevice::waitUntilRead() const {
  ::usleep(50'000);
  return eventually([this] {
    int waiting = 0;
    return ::ioctl(slave_, FIONREAD, &waiting) == 0 && waiting == 0;
  });
}

void PtyDevice::hold(bool held) const {
  if (::tcflow(slave_, held ? TCOOFF : TCOON) != 0) fail("tcflow");
}

}  // namespace testsupport
