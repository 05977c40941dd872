#include "serial/sio.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "serial/queues.h"

TSio* SioThread = nullptr;
std::atomic<int> SioStop{0};

namespace {

constexpr std::size_t transferSize = 1000;
using TransferBuffer = std::array<std::uint8_t, transferSize>;

comm::Handle publishedPort() {
  return ComPortState.handle.load(std::memory_order_acquire);
}

// The caller sizes the buffer to what is waiting, at most 1,000 bytes; anything beyond
// stays in the port for the next pass.
void receive(comm::Comm& layer, comm::Handle port, std::span<std::uint8_t> buffer) {
  std::uint32_t count = 0;
  if (!layer.read(port, ComPortState.transfer, buffer, count)) return;
  for (const std::uint8_t byte : buffer.first(std::min<std::size_t>(count, buffer.size()))) {
    RxPut(byte);
  }
}

std::size_t takeQueuedBytes(TransferBuffer& buffer) {
  std::size_t taken = 0;
  for (int value; taken < buffer.size() && (value = TxGet()) >= 0; ++taken) {
    buffer[taken] = static_cast<std::uint8_t>(value);
  }
  return taken;
}

// One pass moves bytes in one direction only, and receiving comes first.
void runPass(comm::Comm& layer, comm::Handle port, TransferBuffer& buffer) {
  std::uint32_t waiting = 0;
  if (!layer.waitingBytes(port, waiting)) waiting = 0;
  if (waiting > 0) {
    receive(layer, port, std::span(buffer).first(std::min<std::size_t>(waiting, buffer.size())));
    return;
  }
  const std::size_t taken = takeQueuedBytes(buffer);
  if (taken > 0) layer.write(port, ComPortState.transfer, std::span(buffer).first(taken));
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
  TransferBuffer buffer{};
  while (SioStop == 0) {
    comm::Comm& layer = comm::current();
    runPass(layer, port, buffer);
    layer.sleepOneMs();
  }
}
