// The comm operations on POSIX terminals. Device names map to paths in device_path.cpp;
// baud rates beyond the B constants go through linux_baud.cpp; UUCP lock files, other
// programs' and our own, in uucp_lock.cpp.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "serial/comm/comm.h"
#include "serial/comm/device_path.h"
#include "serial/comm/linux_baud.h"
#include "serial/comm/uucp_lock.h"

namespace comm {

namespace {

static_assert(sizeof(termios) <= sizeof(LineState{}.platform));

int descriptor(Handle port) {
  return static_cast<int>(port);
}

// Exclusive like a Windows port opened with share mode 0. TIOCEXCL keeps out later opens
// by other programs, but root passes it; the flock holds for everyone who asks for it.
bool claimExclusively(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  if (::isatty(fd)) ::ioctl(fd, TIOCEXCL);
  return true;
}

// The flag constants are plain ints: the mask is complemented in the field's own unsigned
// type, not as a negative int.
void clearFlags(tcflag_t& field, tcflag_t flags) {
  field &= ~flags;
}

// Byte-transparent whatever the port was left with, as a Windows port always is: nothing
// may alter, drop or add a received byte, and no received byte may stop the output.
// Parity generation (PARENB, PARODD), the hardware handshake (CRTSCTS) and the modem
// lines (HUPCL) stay as the port has them: they belong to the device's wiring. So does
// IGNBRK, whether a break on the line reads as a 0x00: a break is no byte of the data.
void makeTransparent(termios& settings) {
  clearFlags(settings.c_iflag, IXON | IXOFF | IXANY);  // 0x11 and 0x13 are data, not flow control
  clearFlags(settings.c_iflag, INPCK | IGNPAR | PARMRK);  // a parity error neither drops nor marks
  clearFlags(settings.c_iflag, INLCR | IGNCR | ICRNL | IUCLC);  // CR and LF as they come
  clearFlags(settings.c_iflag, ISTRIP | BRKINT);  // all eight bits; a break does not flush
  clearFlags(settings.c_oflag, OPOST);            // the request byte goes out as it is
  clearFlags(settings.c_lflag, ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag |= CREAD;   // a receiver that is off receives nothing
  settings.c_cflag |= CLOCAL;  // Windows ignores carrier detect; a drop must not hang up
  settings.c_cc[VMIN] = 0;     // reads take what is there and never wait
  settings.c_cc[VTIME] = 0;
}

bool applyByteSize(termios& settings, std::uint8_t byteSize) {
  static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  if (byteSize < 5 || byteSize > 8) return false;
  clearFlags(settings.c_cflag, CSIZE);
  settings.c_cflag |= sizes[byteSize - 5];
  return true;
}

std::uint8_t byteSizeOf(const termios& settings) {
  switch (settings.c_cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

speed_t standardSpeed(std::uint32_t rate) {
  struct Entry {
    std::uint32_t rate;
    speed_t speed;
  };
  static constexpr Entry table[] = {
      {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
      {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
      {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
      {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
  for (const Entry& entry : table) {
    if (entry.rate == rate) return entry.speed;
  }
  return B0;
}

// The B constants go through termios itself; any other rate through termios2. Rate 0 would
// mean "hang up" (drop DTR) on POSIX: like any rate the port cannot take, it is refused and
// the speed stays as it was.
bool applySettings(int fd, termios& settings, std::uint32_t rate) {
  const speed_t speed = standardSpeed(rate);
  if (speed != B0) {
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
  }
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) return false;
  if (speed != B0) return true;
  return rate != 0 && linux_baud::writeBaudRate(fd, rate);
}

class PosixComm final : public Comm {
 public:
  // The lock file comes first, as with other terminal programs: whoever has it may open.
  Handle open(const std::string& deviceName) override {
    const std::string path = devicePath(deviceName);
    const std::string lockFile = path.empty() ? std::string() : lockFileFor(path);
    const LockClaim claim = lockFile.empty() ? LockClaim::noLock : claimLock(lockFile);
    if (path.empty() || claim == LockClaim::heldByAnother) return invalidHandle;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || !claimExclusively(fd)) {
      if (fd >= 0) ::close(fd);
      if (claim == LockClaim::taken) releaseLock(lockFile);
      return invalidHandle;
    }
    if (claim == LockClaim::taken) rememberLock(fd, lockFile);
    return fd;
  }

  // Fails for anything that is not a terminal, like GetCommState on a plain file.
  bool getLineState(Handle port, LineState& state) override {
    termios settings{};
    if (::tcgetattr(descriptor(port), &settings) != 0) return false;
    if (!linux_baud::readBaudRate(descriptor(port), state.baudRate)) {
      state.baudRate = 0;
    }
    state.byteSize = byteSizeOf(settings);
    state.stopBits = (settings.c_cflag & CSTOPB) ? twoStopBits : oneStopBit;
    std::memcpy(state.platform.data(), &settings, sizeof settings);
    return true;
  }

  bool setLineState(Handle port, const LineState& state) override {
    termios settings{};
    std::memcpy(&settings, state.platform.data(), sizeof settings);
    if (!applyByteSize(settings, state.byteSize)) return false;
    if (state.stopBits == oneStopBit) {
      clearFlags(settings.c_cflag, CSTOPB);
    } else {
      settings.c_cflag |= CSTOPB;
    }
    makeTransparent(settings);
    return applySettings(descriptor(port), settings, state.baudRate);
  }

  // A write is done or not started when write() returns, so no transfer ever needs
  // signalling; any non-null value will do.
  Event createEvent() override { return 1; }

  // Line errors need no clearing here: the driver reports them in the data or not at all.
  bool waitingBytes(Handle port, std::uint32_t& waiting) override {
    int count = 0;
    if (::ioctl(descriptor(port), FIONREAD, &count) != 0) return false;
    waiting = count > 0 ? static_cast<std::uint32_t>(count) : 0;
    return true;
  }

  bool read(Handle port, Transfer&, std::span<std::uint8_t> buffer, std::uint32_t& count) override {
    count = 0;
    const ssize_t got = ::read(descriptor(port), buffer.data(), buffer.size());
    if (got < 0) return false;
    count = static_cast<std::uint32_t>(got);
    return true;
  }

  // The descriptor is non-blocking: what the line cannot take now (a held handshake, a
  // full output buffer) is left to the caller for a later pass, so reading goes on.
  bool write(Handle port, Transfer&, std::span<const std::uint8_t> bytes,
             std::uint32_t& taken) override {
    taken = 0;
    ssize_t put;
    do {
      put = ::write(descriptor(port), bytes.data(), bytes.size());
    } while (put < 0 && errno == EINTR);
    if (put >= 0) taken = static_cast<std::uint32_t>(put);
    return put >= 0 || errno == EAGAIN;
  }

  void sleepOneMs() override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

  // A terminal whose device has gone is hung up: the kernel then reports POLLHUP (and
  // EIO for every call), for an unplugged USB adapter as for a closed pseudo-terminal.
  bool gone(Handle port) override {
    pollfd watch{descriptor(port), 0, 0};
    if (::poll(&watch, 1, 0) < 0) return false;
    return (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
  }

  // Writes never stay in progress here, so there is nothing to cancel.
  // The lock goes last, once the port is free for whoever takes it next.
  void close(Handle port, Transfer&) override {
    const std::string lockFile = forgetLock(descriptor(port));
    ::close(descriptor(port));
    if (!lockFile.empty()) releaseLock(lockFile);
  }

 private:
  // The main thread opens the port, the worker closes and reopens it.
  void rememberLock(int fd, const std::string& lockFile) {
    const std::lock_guard guard(mutex_);
    lockFiles_[fd] = lockFile;
  }

  std::string forgetLock(int fd) {
    const std::lock_guard guard(mutex_);
    const auto found = lockFiles_.find(fd);
    if (found == lockFiles_.end()) return {};
    std::string lockFile = std::move(found->second);
    lockFiles_.erase(found);
    return lockFile;
  }

  std::mutex mutex_;
  std::map<int, std::string> lockFiles_;
};

}  // namespace

// Never destroyed: the worker is never stopped and may still call it while the process
// runs its exit handlers.
Comm& platform() {
  static PosixComm* const posix = new PosixComm;
  return *posix;
}

}  // namespace comm
