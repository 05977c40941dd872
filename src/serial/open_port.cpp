#include "serial/messages.h"
#include "serial/opening.h"
#include "serial/sio.h"

ComPortRecord ComPortState;

namespace sio {

Opened openConfigured(comm::Comm& layer, const std::string& deviceName, int baudRate) {
  Opened opened{layer.open(deviceName), false};
  if (opened.handle == comm::invalidHandle) return opened;
  comm::LineState line{};
  if (!layer.getLineState(opened.handle, line)) return opened;
  line.baudRate = static_cast<std::uint32_t>(baudRate);
  line.byteSize = 8;
  line.stopBits = comm::oneStopBit;
  layer.setLineState(opened.handle, line);
  opened.configured = true;
  return opened;
}

}  // namespace sio

namespace {

bool portIsOpen() {
  return ComPortState.handle.load(std::memory_order_relaxed) != comm::invalidHandle;
}

std::string deviceName() {
  std::string name;
  ComPortName(name);
  return name;
}

void tell(const char* text) {
  sio::tell(text, deviceName());
}

// Gives the worker its completion event. Returns the message of the step that failed,
// or null.
const char* finish(comm::Comm& layer, const sio::Opened& opened) {
  if (!opened.configured) return "Status nicht zu lesen !";
  ComPortState.transfer.event = layer.createEvent();
  if (ComPortState.transfer.event == comm::noEvent) return "Event nicht zu erzeugen !";
  return nullptr;
}

}  // namespace

int OpenComPort(int port, int baudRate) {
  if (portIsOpen()) {
    tell("Bereits geöffnet !");
    return 0;
  }
  ComPortState.portIndex = port;
  ComPortState.baudRate = baudRate;
  comm::Comm& layer = comm::current();
  const sio::Opened opened = sio::openConfigured(layer, deviceName(), baudRate);
  if (opened.handle == comm::invalidHandle) {
    tell("Schnittstelle nicht zu öffnen !");
    return 0;
  }
  const char* failure = finish(layer, opened);
  ComPortState.configured = opened.configured;
  // Only now may the worker see the port: configured, or as far as configuring got.
  ComPortState.handle.store(opened.handle, std::memory_order_release);
  if (failure) {
    tell(failure);
    return 0;
  }
  return 1;
}

void ComPortName(std::string& name) {
  const int index = ComPortState.portIndex;
  name = index >= 0 ? "COM" + std::to_string(static_cast<unsigned>(index) + 1u) + ":" : "COM ??? :";
}
