#include "port_peer.h"

namespace test {

PortPeer::PortPeer()
    : port_(CreateFileA("COM2:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr)) {
  if (!isOpen()) return;
  DCB line{};
  GetCommState(port_, &line);
  line.BaudRate = 9600;
  line.ByteSize = 8;
  line.StopBits = ONESTOPBIT;
  line.Parity = NOPARITY;
  SetCommState(port_, &line);
  // A read returns what has come within 2 s, or as soon as the line has been quiet 500 ms.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 500;
  timeouts.ReadTotalTimeoutConstant = 2000;
  SetCommTimeouts(port_, &timeouts);
  PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

PortPeer::~PortPeer() {
  if (isOpen()) CloseHandle(port_);
}

void PortPeer::send(const std::vector<std::uint8_t>& bytes) {
  DWORD written = 0;
  WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::uint8_t> PortPeer::receive(std::size_t count) {
  std::vector<std::uint8_t> bytes;
  for (;;) {
    std::vector<std::uint8_t> block(count - bytes.size());
    DWORD got = 0;
    if (block.empty() ||
        !ReadFile(port_, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) ||
        got == 0) {
      return bytes;
    }
    bytes.insert(bytes.end(), block.begin(), block.begin() + got);
  }
}

bool resetLine(const char* deviceName) {
  const HANDLE port =
      CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return false;
  DCB line{};
  GetCommState(port, &line);
  line.BaudRate = 9600;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.fParity = FALSE;
  line.StopBits = ONESTOPBIT;
  line.fOutX = FALSE;
  line.fInX = FALSE;
  line.fOutxCtsFlow = FALSE;
  line.fOutxDsrFlow = FALSE;
  line.fRtsControl = RTS_CONTROL_ENABLE;
  line.fDtrControl = DTR_CONTROL_ENABLE;
  const bool done = SetCommState(port, &line) != FALSE;
  CloseHandle(port);
  return done;
}

std::vector<std::uint8_t> countingBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

}  // namespace test
