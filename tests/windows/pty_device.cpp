#include "pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

PtyDevice::PtyDevice(const std::filesystem::path& directory, const std::string& entry) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  // Left in the kernel's default settings, as a freshly plugged adapter presents them: the
  // program must make the line transparent itself.
  std::filesystem::create_symlink(ptsname(master_), directory / entry);
}

PtyDevice::~PtyDevice() {
  close(master_);
}

// Both sides of a pseudo-terminal share one set of settings: the program's show here.
bool PtyDevice::waitUntilConfigured(std::chrono::milliseconds wait) const {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  termios settings{};
  while (tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ICANON) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return (settings.c_lflag & ICANON) == 0;
}

void PtyDevice::send(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(master_, bytes.data() + done, bytes.size() - done);
    if (written < 0) throw std::runtime_error("device write failed");
    done += static_cast<std::size_t>(written);
  }
}

std::string PtyDevice::receive(std::size_t count, std::chrono::milliseconds wait) {
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, 10) <= 0 || (ready.revents & POLLIN) == 0) continue;
    char buffer[4096];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}
