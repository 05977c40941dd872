// The comm operations on Windows: each one is the Win32 call that comm.h names, on a port
// opened for overlapped transfers.
//
// The worker hands every write its own transfer buffer, which it refills on the next pass
// while the bytes may still be on their way out. So a write goes from a copy that this
// file keeps, and a write still in progress is completed before its transfer record (the
// OVERLAPPED) or that copy is used again.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "serial/comm/comm.h"

namespace comm {

namespace {

// What a Transfer keeps on Windows: the OVERLAPPED itself and the write it may still carry.
struct TransferState {
  OVERLAPPED overlapped;
  HANDLE port;
  bool writePending;
};

static_assert(sizeof(DCB) <= sizeof(LineState{}.platform));
static_assert(sizeof(TransferState) <= sizeof(Transfer{}.platform));
static_assert(alignof(TransferState) <= alignof(std::max_align_t));

HANDLE nativeHandle(Handle port) {
  return reinterpret_cast<HANDLE>(port);
}

TransferState& stateOf(Transfer& transfer) {
  return *std::launder(reinterpret_cast<TransferState*>(transfer.platform.data()));
}

// The record as a new transfer sees it: all zero but the completion event.
OVERLAPPED& freshOverlapped(Transfer& transfer) {
  OVERLAPPED& overlapped = stateOf(transfer).overlapped;
  overlapped = OVERLAPPED{};
  overlapped.hEvent = reinterpret_cast<HANDLE>(transfer.event);
  return overlapped;
}

// Waits for an overlapped call that reported ERROR_IO_PENDING; other failures end at once.
bool completion(BOOL started, HANDLE port, OVERLAPPED& overlapped, DWORD& count) {
  if (started) return true;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  return GetOverlappedResult(port, &overlapped, &count, TRUE) != FALSE;
}

class Win32Comm final : public Comm {
 public:
  Handle open(const std::string& deviceName) override {
    const HANDLE port = CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    return reinterpret_cast<Handle>(port);
  }

  bool getLineState(Handle port, LineState& state) override {
    DCB dcb{};
    if (!GetCommState(nativeHandle(port), &dcb)) return false;
    state.baudRate = dcb.BaudRate;
    state.byteSize = dcb.ByteSize;
    state.stopBits = dcb.StopBits;
    std::memcpy(state.platform.data(), &dcb, sizeof dcb);
    return true;
  }

  // Everything but the three fields goes back to the port as GetCommState gave it.
  bool setLineState(Handle port, const LineState& state) override {
    DCB dcb{};
    std::memcpy(&dcb, state.platform.data(), sizeof dcb);
    dcb.BaudRate = state.baudRate;
    dcb.ByteSize = state.byteSize;
    dcb.StopBits = state.stopBits;
    return SetCommState(nativeHandle(port), &dcb) != FALSE;
  }

  Event createEvent() override {
    return reinterpret_cast<Event>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  }

  bool waitingBytes(Handle port, std::uint32_t& waiting) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(nativeHandle(port), &errors, &status)) return false;
    waiting = status.cbInQue;
    return true;
  }

  bool read(Handle port, Transfer& transfer, std::span<std::uint8_t> buffer,
            std::uint32_t& count) override {
    finishWrite(transfer);
    OVERLAPPED& overlapped = freshOverlapped(transfer);
    const HANDLE handle = nativeHandle(port);
    DWORD got = 0;
    const BOOL started =
        ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got, &overlapped);
    const bool done = completion(started, handle, overlapped, got);
    count = done ? std::min<std::uint32_t>(got, static_cast<std::uint32_t>(buffer.size())) : 0;
    return done;
  }

  // Returns once the port has taken the bytes, without waiting for them to go out.
  bool write(Handle port, Transfer& transfer, std::span<const std::uint8_t> bytes) override {
    finishWrite(transfer);
    if (writer_ != nullptr) finishWrite(*writer_);
    outgoing_.assign(bytes.begin(), bytes.end());
    OVERLAPPED& overlapped = freshOverlapped(transfer);
    const HANDLE handle = nativeHandle(port);
    DWORD written = 0;
    if (WriteFile(handle, outgoing_.data(), static_cast<DWORD>(outgoing_.size()), &written,
                  &overlapped)) {
      return true;
    }
    if (GetLastError() != ERROR_IO_PENDING) return false;
    TransferState& state = stateOf(transfer);
    state.port = handle;
    state.writePending = true;
    writer_ = &transfer;
    return true;
  }

  void sleepOneMs() override {
    // Windows rounds a sleep up to its timer's period, 15.6 ms unless the program asks for a
    // finer one: the 1 ms pass would become a 16 ms pass, 64,000 bytes a second at most, and
    // a port receiving at 921600 baud would overrun its buffer. Asked for once, for the life
    // of the process, as the worker never ends.
    static const bool finePeriod = timeBeginPeriod(1) == TIMERR_NOERROR;
    static_cast<void>(finePeriod);
    Sleep(1);
  }

 private:
  void finishWrite(Transfer& transfer) {
    TransferState& state = stateOf(transfer);
    if (!state.writePending) return;
    DWORD written = 0;
    GetOverlappedResult(state.port, &state.overlapped, &written, TRUE);
    state.writePending = false;
    if (writer_ == &transfer) writer_ = nullptr;
  }

  std::vector<std::uint8_t> outgoing_;  // the bytes of the last write, kept until it is done
  Transfer* writer_ = nullptr;          // the transfer whose write may still use outgoing_
};

}  // namespace

// Never destroyed: the worker may still be in a call when the process ends.
Comm& platform() {
  static Win32Comm* const win32 = new Win32Comm;
  return *win32;
}

}  // namespace comm
