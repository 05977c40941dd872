// Shared helpers of the serial tests: a private start directory, pseudo-terminals linked as
// COMn there, polling with a fail-safe deadline, and devsim as a child process.
//
// Safety: no helper ever lets a test reach a real /dev/ttyS*. A test that opens "COMn:"
// first links COMn in its own directory to a pseudo-terminal (or to something harmless).
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace serial_test {

// How long a poll waits before it gives up: a fail-safe against a stuck worker, never a
// claim about speed.
inline constexpr std::chrono::seconds patience{20};

std::vector<std::uint8_t> counting(std::size_t count);  // 0, 1, ..., 255, 0, 1, ...

// Calls `done` until it holds or patience runs out; false if it never held.
bool eventually(const std::function<bool()>& done);

// The serial layer's messages to the user, recorded: installed by the first call.
struct PortMessage {
  std::string text;
  std::string caption;
};
std::vector<PortMessage>& portMessages();

// Base of every fixture that opens the port or runs the worker. The port state is
// process-wide and a port is never closed, so each such test needs a process of its own:
// CTest gives it one. Run by hand, several such tests in one process stop at once here.
class FreshProcess : public ::testing::Test {
 protected:
  void SetUp() override;
};

// A fresh directory, made current for the life of the object (the program's start
// directory, where COMn entries live), removed afterwards.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};

// A pseudo-terminal: the test holds the master side (non-blocking) and one slave
// descriptor of its own, through which it sets and inspects the line settings. It starts in
// the kernel's default settings (echo, canonical mode, XON/XOFF), as a freshly plugged
// USB adapter does.
class Terminal {
 public:
  Terminal();
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Links `entry` (e.g. "COM1") in the current directory to the slave side.
  void linkAs(const std::string& entry) const;
  termios settings() const;
  void setSettings(const termios& settings) const;

  void send(const std::vector<std::uint8_t>& bytes) const;  // as the device
  // What the device has received, once `count` bytes are there (or patience ran out).
  std::vector<std::uint8_t> receive(std::size_t count) const;
  // Holds the line as a device that drops its handshake does: the port's output stops.
  void hold(bool held) const;
  // The device is unplugged: both sides close, and the port's descriptors are hung up.
  void unplug();
  // Plugged in again: a new terminal in default settings, linked as `entry` again.
  void replugAs(const std::string& entry);

  int slave() const { return slave_; }
  const std::string& slaveName() const { return slaveName_; }

 private:
  void plugIn();

  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
};

// Takes bytes from RxQueue until `count` have come or patience runs out.
std::vector<std::uint8_t> collectRx(std::size_t count);
void putTx(const std::vector<std::uint8_t>& bytes);

// devsim running as a child in the current directory, its standard output in a pipe.
class Devsim {
 public:
  explicit Devsim(const std::vector<std::string>& arguments);
  ~Devsim();  // stops it if it still runs
  Devsim(const Devsim&) = delete;
  Devsim& operator=(const Devsim&) = delete;

  // Reads standard output until a line starting with `prefix` arrives; returns that line.
  std::optional<std::string> waitForLine(const std::string& prefix);
  void signal(int number) const;  // SIGUSR1 unplugs it, SIGUSR2 plugs it in again
  // Sends SIGTERM and waits for the exit; returns the exit status (-1 if killed).
  int stop();
  // Waits for an exit that comes by itself.
  int wait();

 private:
  std::optional<std::string> nextLine();

  pid_t pid_ = -1;
  int output_ = -1;
  std::string pending_;
};

}  // namespace serial_test
