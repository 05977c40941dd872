// The comm operations on Windows: each one is the Win32 call that comm.h names, on a port
// opened for overlapped transfers.
//
// A write never waits for the line: it goes from the transfer record's own copy of its
// bytes, and the worker comes back to the record on later passes. Reads use a record of
// their own, so a write the line holds up never holds up reception, and they too go into
// their record's bytes before the caller's buffer: whatever the system does with a transfer
// after the call has given up on it touches only its record.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "serial/comm/comm.h"

namespace comm {

namespace {

// What a Transfer keeps on Windows: the OVERLAPPED, and the bytes the transfer carries, so
// that the system never reads or writes the caller's buffer after the call has returned.
// For a write, bytes[sentTo, copyEnd) has not gone out yet; `pending` while the port still
// works on it.
struct TransferState {
  OVERLAPPED overlapped;
  bool pending;
  DWORD sentTo;
  DWORD copyEnd;
  std::array<std::uint8_t, maxTransfer> bytes;
};

// A transfer's state lives in its record, until a cancelled transfer does not end: the
// system may then still write into that state, so it is left to the system and the
// transfer goes on with a replacement, never freed for the same reason.
struct Record {
  bool ownRetired;
  TransferState* replacement;  // null while the own state serves, or if none could be made
  TransferState own;
};

static_assert(sizeof(DCB) <= sizeof(LineState{}.platform));
static_assert(sizeof(Record) <= sizeof(Transfer{}.platform));
static_assert(alignof(Record) <= alignof(std::max_align_t));

// How long a read of bytes already waiting may take before it is given up.
constexpr DWORD readWaitMs = 1000;

// How long a cancelled transfer may take to end. Drivers end one at once; this only keeps a
// hung driver from hanging the worker.
constexpr DWORD cancelWaitMs = 1000;

HANDLE nativeHandle(Handle port) {
  return reinterpret_cast<HANDLE>(port);
}

HANDLE nativeEvent(const Transfer& transfer) {
  return reinterpret_cast<HANDLE>(transfer.event);
}

Record& recordOf(Transfer& transfer) {
  return *std::launder(reinterpret_cast<Record*>(transfer.platform.data()));
}

// Null once the record has been retired and no replacement could be made.
TransferState* stateOf(Transfer& transfer) {
  Record& record = recordOf(transfer);
  return record.ownRetired ? record.replacement : &record.own;
}

// Gives up a state that a cancelled transfer still holds. Its event stays with it, as the
// system signals it when it is done; the transfer is given a new one when next used.
void retire(Transfer& transfer) {
  Record& record = recordOf(transfer);
  record.ownRetired = true;
  record.replacement = new (std::nothrow) TransferState{};
  transfer.event = noEvent;
}

Event newEvent() {
  return reinterpret_cast<Event>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

// Without its own event, a transfer's completion could only be told by the port's handle,
// which a read and a write in progress at once would share.
bool hasEvent(Transfer& transfer) {
  if (transfer.event == noEvent) transfer.event = newEvent();
  return transfer.event != noEvent;
}

// The record as a new transfer sees it: all zero but the completion event.
OVERLAPPED& freshOverlapped(Transfer& transfer, TransferState& state) {
  OVERLAPPED& overlapped = state.overlapped;
  overlapped = OVERLAPPED{};
  overlapped.hEvent = nativeEvent(transfer);
  return overlapped;
}

// "COM1:" to "COM9:" are names the system knows everywhere; a higher number is found only
// in the device namespace, as "\\.\COM10" (Microsoft's CreateFile documentation).
std::string systemName(const std::string& deviceName) {
  constexpr std::string_view prefix = "COM";
  if (!deviceName.starts_with(prefix) || !deviceName.ends_with(':')) return deviceName;
  const char* first = deviceName.data() + prefix.size();
  const char* last = deviceName.data() + deviceName.size() - 1;
  unsigned number = 0;
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc{} || end != last || number < 10) return deviceName;
  return "\\\\.\\" + std::string(first - prefix.size(), last);
}

// Byte-transparent whatever the port was left with: nothing may drop, replace or add a
// received byte, and no received byte may stop our output.
void makeTransparent(DCB& dcb) {
  dcb.DCBlength = sizeof dcb;  // as SetCommState expects, whatever GetCommState left there
  dcb.fBinary = TRUE;          // Windows supports no other mode
  dcb.fOutX = FALSE;           // a received 0x13 would hold our output; 0x11/0x13 are data
  dcb.fInX = FALSE;            // the driver would send 0x13/0x11 to the device on its own
  dcb.fNull = FALSE;           // received 0x00 bytes would be discarded
  dcb.fErrorChar = FALSE;      // a byte with a parity error would be replaced by ErrorChar
  dcb.fAbortOnError = FALSE;   // a line error would fail every transfer until it is cleared
  // Kept as the port has them:
  //   fParity, Parity: the device's framing
  //   fOutxCtsFlow, fOutxDsrFlow, fRtsControl, fDtrControl: the handshake it is wired for
  //   fDsrSensitivity: likewise; a device wired for it sends only while it raises DSR
  //   fTXContinueOnXoff, XonLim, XoffLim, XonChar, XoffChar: unused with fInX, fOutX off
  //   ErrorChar, EofChar, EvtChar: unused with fErrorChar off, in binary mode, unwaited for
}

// Whether a write that was in progress has completed, and how many of its bytes went out.
// A write time-out that another program left on the port ends a write early: Windows
// completes it as a success with the count written (Microsoft's COMMTIMEOUTS
// documentation), Wine as a failure with ERROR_TIMEOUT and the count in the OVERLAPPED.
bool writeCompleted(HANDLE port, OVERLAPPED& overlapped, DWORD& written) {
  if (GetOverlappedResult(port, &overlapped, &written, FALSE)) return true;
  if (GetLastError() != ERROR_TIMEOUT) return false;
  written = static_cast<DWORD>(overlapped.InternalHigh);
  return true;
}

// A completed write's count: its bytes went out fully or in part.
void noteWritten(TransferState& state, DWORD written) {
  state.pending = false;
  state.sentTo = std::min(state.copyEnd, state.sentTo + written);
}

// Starts the write of what the record's copy still holds. False only when the port refused.
bool startWrite(HANDLE port, Transfer& transfer, TransferState& state) {
  OVERLAPPED& overlapped = freshOverlapped(transfer, state);
  const DWORD length = state.copyEnd - state.sentTo;
  if (WriteFile(port, state.bytes.data() + state.sentTo, length, nullptr, &overlapped)) {
    DWORD written = 0;
    writeCompleted(port, overlapped, written);
    noteWritten(state, written);
    return true;
  }
  if (GetLastError() == ERROR_IO_PENDING) {
    state.pending = true;
    return true;
  }
  state.sentTo = state.copyEnd;  // a refused write loses its bytes, as the caller expects
  return false;
}

// Whether the record's earlier write has finished, looking without waiting. A write that
// failed loses its bytes, like any failed write.
bool earlierWriteDone(HANDLE port, TransferState& state, bool& failed) {
  failed = false;
  if (!state.pending) return true;
  DWORD written = 0;
  if (writeCompleted(port, state.overlapped, written)) {
    noteWritten(state, written);
    return true;
  }
  if (GetLastError() == ERROR_IO_INCOMPLETE) return false;
  state.pending = false;
  state.sentTo = state.copyEnd;
  failed = true;
  return true;
}

// Whether a transfer has ended within `ms`, however it ended; false while the system still
// has it. GetOverlappedResultEx waits the same way, but came only with Windows 8.
bool endsWithin(HANDLE port, OVERLAPPED& overlapped, DWORD ms) {
  WaitForSingleObject(overlapped.hEvent, ms);
  DWORD count = 0;
  return GetOverlappedResult(port, &overlapped, &count, FALSE) ||
         GetLastError() != ERROR_IO_INCOMPLETE;
}

enum class ReadEnd { delivered, failed, stuck };

// Waits for a read that has started. It asks only for bytes already waiting, so it completes
// at once; one that does not (under Wine, a read started just as the terminal hung up stays
// pending for ever; a read asks for more than has come) is cancelled. The bytes it had taken
// by then are gone from the port, and its OVERLAPPED still counts them (the "number of bytes
// actually transferred" of Microsoft's GetOverlappedResult documentation; Wine keeps it so),
// so they are delivered. A read that does not even end once cancelled is `stuck`.
ReadEnd awaitRead(HANDLE port, OVERLAPPED& overlapped, DWORD& count) {
  if (GetOverlappedResult(port, &overlapped, &count, FALSE)) return ReadEnd::delivered;
  if (GetLastError() == ERROR_IO_INCOMPLETE) {
    if (!endsWithin(port, overlapped, readWaitMs)) {
      CancelIoEx(port, &overlapped);
      if (!endsWithin(port, overlapped, cancelWaitMs)) return ReadEnd::stuck;
    }
    if (GetOverlappedResult(port, &overlapped, &count, FALSE)) return ReadEnd::delivered;
  }
  count = static_cast<DWORD>(overlapped.InternalHigh);
  return count > 0 ? ReadEnd::delivered : ReadEnd::failed;
}

// What the comm calls report once the device behind an open port has gone. The drivers of
// USB adapters differ, so this takes in what they are known to report after an unplug:
//   ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED  the usual answers of ClearCommError and
//                               WriteFile for an adapter that was pulled out
//   ERROR_DEVICE_REMOVED, ERROR_DEVICE_NOT_CONNECTED, ERROR_NO_SUCH_DEVICE,
//   ERROR_FILE_NOT_FOUND        the device node gone beneath the handle
//   ERROR_GEN_FAILURE           a USB request that failed for want of the device
//   ERROR_OPERATION_ABORTED     transfers that the removal cancelled
//   ERROR_NOT_READY             Wine, for a pseudo-terminal whose other end has closed
//   ERROR_INVALID_FUNCTION      a handle to no serial device, which takes no comm call at
//                               all; Wine gives one for a COM name whose device is missing
// Errors that a present port gives (ERROR_INVALID_PARAMETER from a virtual port that
// refuses ClearCommError, a refused setting) are not among them, so those never make the
// worker close a working port.
constexpr DWORD errorNoSuchDevice = 433;  // ERROR_NO_SUCH_DEVICE; mingw-w64 lacks the name

bool meansGone(DWORD error) {
  static constexpr DWORD goneErrors[] = {ERROR_ACCESS_DENIED,  ERROR_BAD_COMMAND,
                                         ERROR_DEVICE_REMOVED, ERROR_OPERATION_ABORTED,
                                         ERROR_GEN_FAILURE,    ERROR_DEVICE_NOT_CONNECTED,
                                         errorNoSuchDevice,    ERROR_FILE_NOT_FOUND,
                                         ERROR_NOT_READY,      ERROR_INVALID_FUNCTION};
  return std::find(std::begin(goneErrors), std::end(goneErrors), error) != std::end(goneErrors);
}

class Win32Comm final : public Comm {
 public:
  Handle open(const std::string& deviceName) override {
    const HANDLE port = CreateFileA(systemName(deviceName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
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

  bool setLineState(Handle port, const LineState& state) override {
    DCB dcb{};
    std::memcpy(&dcb, state.platform.data(), sizeof dcb);
    const DWORD portRate = dcb.BaudRate;
    dcb.BaudRate = state.baudRate;
    dcb.ByteSize = state.byteSize;
    dcb.StopBits = state.stopBits;
    makeTransparent(dcb);
    if (SetCommState(nativeHandle(port), &dcb)) return true;
    // A driver refuses a rate it cannot make (0, an odd rate typed in): the call fails
    // (Microsoft's SetCommState documentation), and nothing says how much of the record it
    // applied. The line must be byte-transparent all the same, so the record goes again with
    // the rate the port had; the refusal is still reported. Wine takes every rate on a
    // terminal, so only a test that refuses the rate itself shows this.
    dcb.BaudRate = portRate;
    SetCommState(nativeHandle(port), &dcb);
    return false;
  }

  Event createEvent() override { return newEvent(); }

  bool waitingBytes(Handle port, std::uint32_t& waiting) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(nativeHandle(port), &errors, &status)) return false;
    waiting = status.cbInQue;
    return true;
  }

  bool read(Handle port, Transfer& transfer, std::span<std::uint8_t> buffer,
            std::uint32_t& count) override {
    count = 0;
    TransferState* state = stateOf(transfer);
    if (!state || !hasEvent(transfer)) return false;
    OVERLAPPED& overlapped = freshOverlapped(transfer, *state);
    const HANDLE handle = nativeHandle(port);
    const auto size = static_cast<DWORD>(std::min(buffer.size(), state->bytes.size()));
    if (!ReadFile(handle, state->bytes.data(), size, nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    DWORD got = 0;
    switch (awaitRead(handle, overlapped, got)) {
      case ReadEnd::delivered:
        break;
      case ReadEnd::failed:
        return false;
      case ReadEnd::stuck:
        retire(transfer);
        return false;
    }
    count = std::min<std::uint32_t>(got, size);
    std::copy_n(state->bytes.begin(), count, buffer.begin());
    return true;
  }

  // Takes nothing new while an earlier write is in progress or has bytes left over: those
  // go out first, so the bytes reach the line in order.
  bool write(Handle port, Transfer& transfer, std::span<const std::uint8_t> bytes,
             std::uint32_t& taken) override {
    taken = 0;
    TransferState* current = stateOf(transfer);
    if (!current || !hasEvent(transfer)) return false;
    const HANDLE handle = nativeHandle(port);
    TransferState& state = *current;
    bool failed = false;
    if (!earlierWriteDone(handle, state, failed)) return true;
    if (failed) return false;
    if (state.sentTo < state.copyEnd) {
      if (!startWrite(handle, transfer, state)) return false;
      if (state.pending || state.sentTo < state.copyEnd) return true;
    }
    const std::size_t count = std::min(bytes.size(), state.bytes.size());
    std::copy_n(bytes.begin(), count, state.bytes.begin());
    state.sentTo = 0;
    state.copyEnd = static_cast<DWORD>(count);
    taken = static_cast<std::uint32_t>(count);
    return count == 0 || startWrite(handle, transfer, state);
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

  // Asks the port again with a call that changes nothing the worker relies on (the line
  // errors it clears are cleared on every pass anyway).
  bool gone(Handle port) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(nativeHandle(port), &errors, &status)) return false;
    return meansGone(GetLastError());
  }

  // The record may serve the next port only once the system has let go of it: a cancelled
  // write ends at once with every driver that honours cancellation (Microsoft's "Canceling
  // Pending I/O Operations": cancel, then wait for the transfer's end). One that does not end
  // could still write its status into the record, so the record is retired instead. Wine
  // ends a cancelled transfer at once and cannot show that case.
  void close(Handle port, Transfer& writes) override {
    const HANDLE handle = nativeHandle(port);
    TransferState* state = stateOf(writes);
    if (state && state->pending) {
      CancelIoEx(handle, &state->overlapped);
      if (!endsWithin(handle, state->overlapped, cancelWaitMs)) {
        retire(writes);
        state = stateOf(writes);
      }
    }
    CloseHandle(handle);
    if (!state) return;
    state->pending = false;
    state->sentTo = 0;
    state->copyEnd = 0;
  }
};

}  // namespace

// Never destroyed: the worker may still be in a call when the process ends.
Comm& platform() {
  static Win32Comm* const win32 = new Win32Comm;
  return *win32;
}

}  // namespace comm
