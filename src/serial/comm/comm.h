// The platform's serial communications, as the port opening and the worker use them.
//
// Each operation mirrors one Windows call, so that the Win32 implementation maps one to
// one and the portable code reads the same on every platform:
//   open          CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
//                             FILE_FLAG_OVERLAPPED, nullptr)
//   getLineState  GetCommState into a zero-filled DCB
//   setLineState  SetCommState
//   createEvent   CreateEventA(nullptr, TRUE, FALSE, nullptr)
//   waitingBytes  ClearCommError, giving COMSTAT::cbInQue
//   read          ReadFile, waiting until the read has completed
//   write         WriteFile, not waiting for the bytes to go out
//   sleepOneMs    Sleep(1)
// and two that the worker needs for a device that goes away (a USB adapter unplugged):
//   gone          whether a failed call failed because the device has gone
//   close         CloseHandle, cancelling a write still in progress
// Results are reported as the Windows calls report them; the callers decide what to look at.
//
// The implementation in use is the platform's unless a test has installed another one
// (the scripted fake) with use().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace comm {

// A port handle: a file descriptor on POSIX, a HANDLE's value on Windows.
using Handle = std::intptr_t;
inline constexpr Handle invalidHandle = -1;  // INVALID_HANDLE_VALUE

// A completion event's value; noEvent is the null handle that a failed creation returns.
using Event = std::intptr_t;
inline constexpr Event noEvent = 0;

inline constexpr std::uint8_t oneStopBit = 0;   // ONESTOPBIT
inline constexpr std::uint8_t twoStopBits = 2;  // TWOSTOPBITS

// The line settings of a port, like a DCB: the three fields the program changes, and the
// platform's own record of everything else (parity, flow control, modem lines, special
// characters), which setLineState gives back to the port unchanged.
struct LineState {
  std::uint32_t baudRate = 0;
  std::uint8_t byteSize = 0;
  std::uint8_t stopBits = oneStopBit;
  alignas(std::max_align_t) std::array<std::byte, 128> platform{};
};

// The most bytes one read or write moves.
inline constexpr std::size_t maxTransfer = 1000;

// The record of a transfer, like an OVERLAPPED: all zero but the completion event.
// `platform` is room for what a platform keeps of a transfer still in progress; on
// Windows, the transfer's own copy of its bytes, so that the caller's buffer is free at
// once. A transfer the system never ended keeps using its record, so a record must outlive
// its port's transfers; the worker's live as long as the process.
struct Transfer {
  Event event = noEvent;
  alignas(std::max_align_t) std::array<std::byte, 128 + maxTransfer> platform{};
};

class Comm {
 public:
  virtual ~Comm() = default;

  // Opens the device for reading and writing, exclusively, only if it exists, for
  // asynchronous transfers. Returns invalidHandle on failure.
  virtual Handle open(const std::string& deviceName) = 0;
  virtual bool getLineState(Handle port, LineState& state) = 0;
  virtual bool setLineState(Handle port, const LineState& state) = 0;
  virtual Event createEvent() = 0;
  // Clears the port's line errors and reports the count of received bytes waiting.
  virtual bool waitingBytes(Handle port, std::uint32_t& waiting) = 0;
  // Reads up to buffer.size() received bytes and waits for the read to complete.
  virtual bool read(Handle port, Transfer& transfer, std::span<std::uint8_t> buffer,
                    std::uint32_t& count) = 0;
  // Hands the port as many of the bytes as it takes now, without waiting for the line,
  // and reports their count in `taken`; the caller offers the rest again later. A write
  // still in progress on the same transfer takes nothing new. A transfer without an event
  // is given one by the layer where the platform needs it. Every byte taken reaches
  // the line unchanged and in order, whatever becomes of the caller's buffer.
  virtual bool write(Handle port, Transfer& transfer, std::span<const std::uint8_t> bytes,
                     std::uint32_t& taken) = 0;
  virtual void sleepOneMs() = 0;
  // After a call on the port failed: whether the device behind it has gone (unplugged,
  // hung up), so that only closing the handle helps.
  virtual bool gone(Handle port) = 0;
  // Closes the port. A write still in progress on `writes` is cancelled and its bytes
  // dropped; the record is then ready for a port opened later.
  virtual void close(Handle port, Transfer& writes) = 0;
};

// The implementation in use.
Comm& current();
// The platform's own implementation.
Comm& platform();
// Installs a replacement (for tests); null restores the platform's. The replacement must
// outlive its use.
void use(Comm* replacement);

}  // namespace comm
