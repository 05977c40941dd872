#include "serial/sio.h"

#include "serial/line.h"
#include "serial/queues.h"

TSio* SioThread = nullptr;
std::atomic<int> SioStop{0};

namespace {

comm::Handle publishedPort() {
  return ComPortState.handle.load(std::memory_order_acquire);
}

}  // namespace

TSio::TSio(bool createSuspended) : TThread(createSuspended) {
  AfterConstruction();
}

void TSio::Execute() {
  comm::Handle port = publishedPort();
  while (SioStop == 0 && port == comm::invalidHandle) {
    comm::current().sleepOneMs();
    port = publishedPort();
  }
  if (SioStop != 0) return;
  std::string name;
  ComPortName(name);
  sio::Line line({port, ComPortState.configured}, name, ComPortState.baudRate, RunClockMs);
  while (SioStop == 0) {
    comm::Comm& layer = comm::current();
    line.pass(layer);
    layer.sleepOneMs();
  }
}
