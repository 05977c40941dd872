// The far end of the line in the comm tests, and the line itself. COM1 and COM2 are the two
// ends of a pair of pseudo-terminals that wine-run.sh plugs in for each test process, in the
// kernel's default settings, as a freshly plugged adapter presents them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace test {

// COM2, the device's end. It makes its own end byte-transparent and uses plain blocking
// calls with short read time-outs, so that no test can wait for ever.
class PortPeer {
 public:
  PortPeer();
  ~PortPeer();
  PortPeer(const PortPeer&) = delete;
  PortPeer& operator=(const PortPeer&) = delete;

  bool isOpen() const { return port_ != INVALID_HANDLE_VALUE; }
  void send(const std::vector<std::uint8_t>& bytes);
  // Reads until `count` bytes have come or nothing more arrives for a while.
  std::vector<std::uint8_t> receive(std::size_t count);
  // The count of bytes that have arrived and wait to be read.
  std::uint32_t waiting();

 private:
  HANDLE port_;
};

// Pulls the line's plug: both terminals hang up and their names vanish, as when a USB
// adapter is unplugged. false if the line did not answer.
bool unplugLine();
// Plugs a new pair of terminals in under the same names, in the kernel's defaults.
bool replugLine();

// Bytes 0, 1, ... 255, 0, 1, ...: every value, in an order that shows a lost or moved byte.
std::vector<std::uint8_t> countingBytes(std::size_t count);

}  // namespace test
