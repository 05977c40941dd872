// The serial link's port and worker: OpenComPort opens and configures the port once, on the
// main thread; the worker SioThread (a TSio) waits until the port is there and then polls
// it for the rest of the process, moving received bytes into RxQueue and queued bytes from
// TxQueue to the line (see queues.h). The two threads share only the queues and
// ComPortState, which OpenComPort fills once and publishes when it is done with it.
//
// Port failures are shown in a message box with the device name ("COM1:" ...) as caption,
// and the opening is not retried; the worker is never stopped. Only a device that goes
// away while open (a USB adapter unplugged), on a port that was configured, is handled
// quietly by the worker: it closes the dead handle at once, so that the system frees the
// device's name, and opens the same name again every 500 ms with the same steps, until the
// device is back; a port that could not be configured stays open for the run. To the rest of
// the program the port stays open throughout; what it queues meanwhile is dropped, as a
// failed write's bytes are.
#pragma once

#include <atomic>
#include <string>

#include "serial/comm/comm.h"
#include "serial/thread.h"

struct ComPortRecord {
  int portIndex = -1;  // zero-based (0 is COM1:); kept even when the open fails
  int baudRate = 0;    // as OpenComPort applied it; the worker reopens with it
  // Valid once OpenComPort has finished with the port; published with release ordering.
  std::atomic<comm::Handle> handle{comm::invalidHandle};
  // Whether its line state could be read, published with the handle. A port that could not
  // be configured is used as it is and never let go of, whatever its calls report.
  bool configured = false;
  comm::Transfer transfer;  // the worker's, once the handle is published
};

extern ComPortRecord ComPortState;

// Opens "COM<port + 1>:" with the baud rate, 8 data bits and one stop bit, everything else
// as the port has it. Returns 1 when the port is open, configured and has its event; 0
// after a failure, whose message the user has seen. A refused baud rate goes unreported.
int OpenComPort(int port, int baudRate);

// The device name of the port index stored in ComPortState: "COM%u:" with index + 1, or
// "COM ??? :" for a negative index.
void ComPortName(std::string& name);

// The worker. It adds nothing to TThread but its body.
class TSio final : public TThread {
 public:
  explicit TSio(bool createSuspended);
  ~TSio() override { WaitFor(); }

 protected:
  void Execute() override;
};

extern TSio* SioThread;
// Ends the worker's loops when set; nothing in the program sets it.
extern std::atomic<int> SioStop;
