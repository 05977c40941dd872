// What the serial tests share beyond tests/support: byte patterns, the serial layer's
// messages recorded, a fresh process per test, and the worker's queues filled and drained.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace serial_test {

std::vector<std::uint8_t> counting(std::size_t count);  // 0, 1, ..., 255, 0, 1, ...

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

// Takes bytes from RxQueue until `count` have come or patience runs out.
std::vector<std::uint8_t> collectRx(std::size_t count);
void putTx(const std::vector<std::uint8_t>& bytes);

// A UUCP lock file's usual content: the process ID space-padded to ten characters.
std::string lockText(long pid);

}  // namespace serial_test
