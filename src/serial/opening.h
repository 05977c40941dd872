// The steps of opening a port that OpenComPort and the worker's reopening share.
#pragma once

#include <string>

#include "serial/comm/comm.h"

namespace sio {

struct Opened {
  comm::Handle handle = comm::invalidHandle;  // invalid when the device cannot be opened
  bool configured = false;                    // false when its line state cannot be read
};

// Opens the device and gives it the baud rate, 8 data bits and one stop bit; everything
// else stays as the port has it, but for what the comm layer needs to keep the line
// byte-transparent. A rate the port refuses goes unreported.
Opened openConfigured(comm::Comm& layer, const std::string& deviceName, int baudRate);

}  // namespace sio
