#include "port_guard.h"

#include <filesystem>

#include "serial/comm/relay.h"

namespace faults {
namespace {

bool isLinkedCom1(const std::string& deviceName) {
  std::error_code error;
  return deviceName == "COM1:" && std::filesystem::is_symlink("COM1", error);
}

class OnlyLinkedCom1 final : public comm::Relay {
 public:
  OnlyLinkedCom1() : Relay(comm::platform()) {}
  comm::Handle open(const std::string& deviceName) override {
    return isLinkedCom1(deviceName) ? Relay::open(deviceName) : comm::invalidHandle;
  }
};

}  // namespace

// Never destroyed, like the platform's own: the worker may still use it while the process
// runs its exit handlers.
void allowOnlyLinkedCom1() {
  static OnlyLinkedCom1* const guard = new OnlyLinkedCom1;
  comm::use(guard);
}

}  // namespace faults
