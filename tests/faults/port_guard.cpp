#include "port_guard.h"

#include <filesystem>

#include "serial/comm/comm.h"

namespace faults {
namespace {

bool isLinkedCom1(const std::string& deviceName) {
  std::error_code error;
  return deviceName == "COM1:" && std::filesystem::is_symlink("COM1", error);
}

class OnlyLinkedCom1 final : public comm::Comm {
 public:
  comm::Handle open(const std::string& deviceName) override {
    return isLinkedCom1(deviceName) ? real().open(deviceName) : comm::invalidHandle;
  }
  bool getLineState(comm::Handle port, comm::LineState& state) override {
    return real().getLineState(port, state);
  }
  bool setLineState(comm::Handle port, const comm::LineState& state) override {
    return real().setLineState(port, state);
  }
  comm::Event createEvent() override { return real().createEvent(); }
  bool waitingBytes(comm::Handle port, std::uint32_t& waiting) override {
    return real().waitingBytes(port, waiting);
  }
  bool read(comm::Handle port, comm::Transfer& transfer, std::span<std::uint8_t> buffer,
            std::uint32_t& count) override {
    return real().read(port, transfer, buffer, count);
  }
  bool write(comm::Handle port, comm::Transfer& transfer,
             std::span<const std::uint8_t> bytes) override {
    return real().write(port, transfer, bytes);
  }
  void sleepOneMs() override { real().sleepOneMs(); }

 private:
  static comm::Comm& real() { return comm::platform(); }
};

}  // namespace

// Never destroyed, like the platform's own: the worker may still use it while the process
// runs its exit handlers.
void allowOnlyLinkedCom1() {
  static OnlyLinkedCom1* const guard = new OnlyLinkedCom1;
  comm::use(guard);
}

}  // namespace faults
