#include "port_peer.h"

#include <chrono>
#include <string>
#include <thread>

namespace test {

namespace {

// Asks wine-run.sh's line keeper for `request` by creating the file of that name in its
// requests folder, and waits until the keeper has done it and removed the file.
bool askTheLine(const char* request) {
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("QUERLAN_LINE_REQUESTS", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::string path = std::string(folder) + "\\" + request;
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace

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
  line.fOutX = FALSE;  // 0x11 and 0x13 are data at this end too
  line.fInX = FALSE;
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

std::uint32_t PortPeer::waiting() {
  DWORD errors = 0;
  COMSTAT status{};
  return ClearCommError(port_, &errors, &status) ? status.cbInQue : 0;
}

bool unplugLine() {
  return askTheLine("unplug");
}

bool replugLine() {
  return askTheLine("replug");
}

std::vector<std::uint8_t> countingBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

}  // namespace test
