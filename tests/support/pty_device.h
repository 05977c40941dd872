// A device on a real pseudo-terminal: the test plays the device at the master side and
// links the slave side as a port entry ("COM1") in the program's start directory, so that
// the program opens, configures and polls a real terminal.
//
// Safety: this is how a test opens "COMn:" without ever reaching the machine's real
// /dev/ttyS* (which can be the console): COMn is first linked in the test's own start
// directory to a pseudo-terminal (or to something harmless), and the port layer prefers
// that entry.
#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "eventually.h"

namespace testsupport {

// The terminal starts in the kernel's default settings (canonical mode, echo, XON/XOFF), as
// a freshly plugged USB adapter does: the program must make the line transparent itself, so
// it is never made raw here. The test also holds a slave descriptor of its own, through
// which it reads and sets the line settings and holds the line.
class PtyDevice {
 public:
  PtyDevice();
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  // Links `entry` (e.g. "COM1", relative to the current directory) to the slave side,
  // replacing in one step whatever `entry` was.
  void linkAs(const std::filesystem::path& entry);

  termios settings() const;
  void setSettings(const termios& settings) const;
  // Waits until the program has opened the port and made it transparent.
  bool waitUntilConfigured() const;

  // As the device; throws if the line takes nothing for the whole patience.
  void send(std::string_view bytes) const;
  void send(const std::vector<std::uint8_t>& bytes) const;
  // What the device receives, once `count` bytes are there or `wait` has passed.
  std::string receive(std::size_t count, std::chrono::milliseconds wait = patience) const;
  std::vector<std::uint8_t> receiveBytes(std::size_t count) const;
  // Waits until the program has read everything the device sent: the port's input is empty.
  bool waitUntilRead() const;

  // Holds the line as a device that drops its handshake does: the port's output stops.
  void hold(bool held) const;
  // The device is unplugged: both sides close, and the port's descriptors are hung up.
  // Its links are left dangling, as an unplugged adapter leaves them, but never to the
  // terminal's own name: the next terminal any process opens takes that name again.
  void unplug();
  // Plugged in again: a new terminal in default settings, linked as `entry` again.
  void replugAs(const std::filesystem::path& entry);

  const std::string& slaveName() const { return slaveName_; }

 private:
  void plugIn();

  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
  std::vector<std::filesystem::path> links_;
};

}  // namespace testsupport
