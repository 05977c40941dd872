#include "serial/sio.h"
#include "toolkit/toolkit.h"

ComPortRecord ComPortState;

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
  tk::showMessage(text, deviceName(), tk::Icon::none);
}

// Gives the port its line settings and the worker its completion event. Returns the
// message of the step that failed, or null.
const char* configure(comm::Comm& layer, comm::Handle handle, int baudRate) {
  comm::LineState line{};
  if (!layer.getLineState(handle, line)) return "Status nicht zu lesen !";
  line.baudRate = static_cast<std::uint32_t>(baudRate);
  line.byteSize = 8;
  line.stopBits = comm::oneStopBit;
  layer.setLineState(handle, line);  // a rate the port refuses goes unreported
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
  comm::Comm& layer = comm::current();
  const comm::Handle handle = layer.open(deviceName());
  if (handle == comm::invalidHandle) {
    tell("Schnittstelle nicht zu öffnen !");
    return 0;
  }
  const char* failure = configure(layer, handle, baudRate);
  // Only now may the worker see the port: configured, or as far as configuring got.
  ComPortState.handle.store(handle, std::memory_order_release);
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
