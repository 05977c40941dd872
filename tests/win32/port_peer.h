// The far end of the line in the comm tests: COM2, which run-under-wine.sh connects to COM1
// through a pair of pseudo-terminals. It is opened with plain blocking calls and short read
// time-outs, so that no test can wait for ever.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace test {

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

 private:
  HANDLE port_;
};

// Puts a port into a plain state: 9600 baud, 8 data bits, no parity, one stop bit, no flow
// control. The line keeps its settings from one test process to the next.
bool resetLine(const char* deviceName);

// Bytes 0, 1, ... 255, 0, 1, ...: every value, in an order that shows a lost or moved byte.
std::vector<std::uint8_t> countingBytes(std::size_t count);

}  // namespace test
