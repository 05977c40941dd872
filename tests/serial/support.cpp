#include "support.h"

#include <algorithm>

#include "eventually.h"
#include "serial/messages.h"
#include "serial/queues.h"
#include "serial/sio.h"

namespace serial_test {

std::vector<std::uint8_t> counting(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

std::vector<PortMessage>& portMessages() {
  struct Recorder final : sio::Messages {
    void tell(const std::string& text, const std::string& caption) override {
      recorded.push_back({text, caption});
    }
    std::vector<PortMessage> recorded;
  };
  static Recorder recorder;
  sio::installMessages(&recorder);
  return recorder.recorded;
}

void FreshProcess::SetUp() {
  const char* advice = "a port was used before in this process; run each test on its own";
  ASSERT_EQ(ComPortState.handle.load(), comm::invalidHandle) << advice;
  ASSERT_EQ(SioStop.load(), 0) << advice;
}

std::vector<std::uint8_t> collectRx(std::size_t count) {
  std::vector<std::uint8_t> bytes;
  testsupport::eventually([&] {
    for (int value; bytes.size() < count && (value = RxGet()) >= 0;) {
      bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes.size() >= count;
  });
  return bytes;
}

void putTx(const std::vector<std::uint8_t>& bytes) {
  for (const std::uint8_t byte : bytes) TxPut(byte);
}

std::string lockText(long pid) {
  const std::string digits = std::to_string(pid);
  return std::string(10 - std::min<std::size_t>(10, digits.size()), ' ') + digits + "\n";
}

}  // namespace serial_test
