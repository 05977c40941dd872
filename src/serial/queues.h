// The byte queues between the main thread and the serial worker, and the run clock.
//
// RxQueue carries received bytes from the worker (RxPut) to the main thread (RxGet);
// TxQueue carries bytes to send from the main thread (TxPut) to the worker (TxGet). Each
// queue is a static ring of 10,000 int slots holding at most 9,999 unread bytes; one lock,
// QueueLock, guards both and is held only for the few steps of one operation.
//
// Every put stores value & 0xFF, so a get's -1 always means "empty", never a byte.
// A full RxQueue makes RxPut wait (outside the lock) until the main thread has made room:
// no received byte is ever dropped. A full TxQueue drops the new byte, so the main thread
// never blocks on a worker that has no port to drain it.
#pragma once

#include <cstdint>

int RxGet();
int RxPut(int value);
int TxGet();
int TxPut(int value);

// Milliseconds of real time since the process started, on a monotonic clock; wraps
// modulo 2^32, so callers take differences of two readings with unsigned subtraction.
std::uint32_t RunClockMs();
