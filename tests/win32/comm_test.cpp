// The Win32 comm layer and the worker on a real port: COM1 and COM2 are the two ends of a
// pair of pseudo-terminals that wine-run.sh plugs in for each test process, in the kernel's
// default settings (software flow control and canonical mode on), as a freshly plugged
// adapter presents them. Wine does not enforce the exclusive open of a COM port, so that
// case is left to the Linux tests.
//
// The port state is process-wide and a port is never closed, so each test that opens COM1
// needs a process of its own, as CTest gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "import_patch.h"
#include "port_peer.h"
#include "serial/comm/comm.h"
#include "serial/comm/relay.h"
#include "serial/line.h"
#include "serial/messages.h"
#include "serial/queues.h"
#include "serial/sio.h"

namespace {

// What OpenComPort tells the user, recorded: {text, caption}.
std::vector<std::pair<std::string, std::string>>& messages() {
  struct Recorder final : sio::Messages {
    void tell(const std::string& text, const std::string& caption) override {
      told.emplace_back(text, caption);
    }
    std::vector<std::pair<std::string, std::string>> told;
  };
  static Recorder recorder;
  sio::installMessages(&recorder);
  return recorder.told;
}
// Installed before any test opens a port.
[[maybe_unused]] const bool recordingMessages = (messages(), true);

using test::countingBytes;
using Bytes = std::vector<std::uint8_t>;

// Every value, the last of them an XOFF (0x13) that no XON (0x11) follows: a line left with
// software flow control swallows both and, after the XOFF, holds everything sent.
const Bytes everyValueEndingInXoff = countingBytes(9 * 256 + 0x14);

HANDLE native(comm::Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

HANDLE portHandle() {
  return native(ComPortState.handle.load());
}

class OnTheLine : public testing::Test {
 protected:
  void SetUp() override {
    if (ComPortState.handle.load() != comm::invalidHandle || ComPortState.portIndex != -1) {
      GTEST_SKIP() << "needs a process of its own (run it through CTest)";
    }
  }
};

using PortOpening = OnTheLine;
using CommLayer = OnTheLine;
using Worker = OnTheLine;

// Waits, within a deadline that only keeps a failing test from hanging, until `done` holds.
template <class Condition>
bool eventually(Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

// What the worker has put into RxQueue, once `count` bytes have come or the deadline passed.
Bytes received(std::size_t count) {
  Bytes bytes;
  eventually([&] {
    for (int value = RxGet(); value != -1; value = RxGet()) {
      bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes.size() >= count;
  });
  return bytes;
}

void send(const Bytes& bytes) {
  for (const std::uint8_t byte : bytes) TxPut(byte);
}

void startWorker(int portIndex) {
  SioThread = new TSio(false);
  ASSERT_EQ(OpenComPort(portIndex, 9600), 1);
}

// The comm layer by itself opens a port as OpenComPort does: the line state it read, given
// back with 8 data bits.
comm::Handle openTransparent(comm::Comm& port) {
  const comm::Handle handle = port.open("COM1:");
  comm::LineState line{};
  if (handle == comm::invalidHandle || !port.getLineState(handle, line)) return handle;
  line.byteSize = 8;
  port.setLineState(handle, line);
  return handle;
}

// Offers the bytes until the port has taken all of them, as the worker does pass by pass.
bool writeAll(comm::Comm& port, comm::Handle handle, comm::Transfer& transfer, Bytes bytes) {
  std::span<const std::uint8_t> rest(bytes);
  return eventually([&] {
    std::uint32_t taken = 0;
    if (port.write(handle, transfer, rest, taken)) rest = rest.subspan(taken);
    return rest.empty();
  });
}

// A pseudo-terminal always has 8 data bits and no parity, and Wine keeps neither fNull,
// fErrorChar, fAbortOnError nor the RTS handshake mode, so what shows the rest kept is the
// CTS handshake.
TEST_F(PortOpening, AppliesTheBaudRateWithEightDataBitsAndOneStopBitAndKeepsTheRest) {
  {
    // The port as another program left it: two stop bits, XON/XOFF flow control both ways,
    // RTS/CTS handshake, and everything that drops or replaces received bytes.
    const HANDLE before =
        CreateFileA("COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(before, INVALID_HANDLE_VALUE);
    DCB line{};
    GetCommState(before, &line);
    line.StopBits = TWOSTOPBITS;
    line.fOutX = TRUE;
    line.fInX = TRUE;
    line.fOutxCtsFlow = TRUE;
    line.fRtsControl = RTS_CONTROL_HANDSHAKE;
    line.fNull = TRUE;
    line.fErrorChar = TRUE;
    line.fAbortOnError = TRUE;
    ASSERT_TRUE(SetCommState(before, &line));
    CloseHandle(before);
  }
  EXPECT_EQ(OpenComPort(0, 19200), 1);
  DCB line{};
  ASSERT_TRUE(GetCommState(portHandle(), &line));
  EXPECT_EQ(line.BaudRate, 19200u);
  EXPECT_EQ(line.ByteSize, 8);
  EXPECT_EQ(line.StopBits, ONESTOPBIT);
  EXPECT_TRUE(line.fBinary);
  EXPECT_FALSE(line.fOutX);
  EXPECT_FALSE(line.fInX);
  EXPECT_FALSE(line.fNull);
  EXPECT_FALSE(line.fErrorChar);
  EXPECT_FALSE(line.fAbortOnError);
  EXPECT_TRUE(line.fOutxCtsFlow);
  EXPECT_TRUE(messages().empty());
}

TEST_F(PortOpening, GivesTheTransfersAManualResetEventThatStartsClear) {
  ASSERT_EQ(OpenComPort(0, 9600), 1);
  const auto event = reinterpret_cast<HANDLE>(ComPortState.transfer.event);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "the event reset itself";
  ResetEvent(event);
}

TEST_F(PortOpening, ANameThatNamesNoDeviceFailsWithItsMessage) {
  EXPECT_EQ(OpenComPort(-1, 9600), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].first, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(messages()[0].second, "COM ??? :");
  EXPECT_EQ(ComPortState.handle.load(), comm::invalidHandle);
}

// A driver refuses a rate it cannot make, and then applies nothing of the line state; Wine
// takes any rate on a terminal, so here SetCommState refuses the rate as such a driver does.
// The line, left with XON/XOFF and canonical mode on, must become byte-transparent all the
// same, and the refusal goes unreported.
DWORD refusedRate = 0;
int refusals = 0;

BOOL WINAPI refusingSetCommState(HANDLE port, LPDCB line) {
  if (line->BaudRate == refusedRate) {
    ++refusals;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return test::systemFunction<decltype(&SetCommState)>("SetCommState")(port, line);
}

class RefusedRate : public OnTheLine, public testing::WithParamInterface<DWORD> {};

TEST_P(RefusedRate, LeavesTheLineByteTransparentWithoutAMessage) {
  refusedRate = GetParam();
  const test::ImportPatch refusing("SetCommState", reinterpret_cast<void*>(&refusingSetCommState));
  ASSERT_TRUE(refusing.applied());
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  SioThread = new TSio(false);
  EXPECT_EQ(OpenComPort(0, static_cast<int>(GetParam())), 1);
  EXPECT_EQ(refusals, 1);
  EXPECT_TRUE(messages().empty());
  peer.send(everyValueEndingInXoff);
  EXPECT_EQ(received(everyValueEndingInXoff.size()), everyValueEndingInXoff);
  send({0x41});
  EXPECT_EQ(peer.receive(1), Bytes{0x41});
}

INSTANTIATE_TEST_SUITE_P(ZeroAndAnOddRate, RefusedRate, testing::Values(0, 12345));

// Counts what the worker does on the real layer.
class CountingComm final : public comm::Relay {
 public:
  CountingComm() : Relay(comm::platform()) {}
  std::atomic<int> closes{0};
  std::atomic<std::uint32_t> sleeps{0};

  void close(comm::Handle port, comm::Transfer& writes) override {
    ++closes;
    Relay::close(port, writes);
  }
  void sleepOneMs() override {
    ++sleeps;
    Relay::sleepOneMs();
  }
};

// COM3 names a device that is missing: Wine opens a stand-in for it whose every comm call
// fails, with an error that an unplugged adapter gives too. A port that could not be
// configured is no device that went away: it stays open, the worker's, for the whole run.
TEST_F(PortOpening, APortThatCannotBeConfiguredStaysOpenForTheRun) {
  CountingComm layer;
  comm::use(&layer);
  SioThread = new TSio(false);
  EXPECT_EQ(OpenComPort(2, 9600), 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].first, "Status nicht zu lesen !");
  layer.sleeps = 0;
  ASSERT_TRUE(eventually([&] { return layer.sleeps >= 2 * sio::Line::reopenIntervalMs; }));
  EXPECT_EQ(layer.closes, 0);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(portHandle(), &flags));
}

// COM10 names the same terminal as COM1 (run-under-wine.sh). Windows finds a port above COM9
// only in the device namespace; the name the user sees stays "COM10:".
TEST_F(PortOpening, OpensAPortAboveCom9) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  startWorker(9);
  std::string name;
  ComPortName(name);
  EXPECT_EQ(name, "COM10:");
  send({0x41});
  EXPECT_EQ(peer.receive(1), Bytes{0x41});
}

// The comm layer by itself: what has arrived is counted and read in full, 0x00 and 0xFF too,
// also by a read that asks for more: it waits until its time-out is cancelled, and the bytes
// it had taken from the port by then are reported.
class Reading : public OnTheLine, public testing::WithParamInterface<std::uint32_t> {};

TEST_P(Reading, CountsAndReadsTheWaitingBytes) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  comm::Comm& port = comm::platform();
  const comm::Handle handle = openTransparent(port);
  ASSERT_NE(handle, comm::invalidHandle);
  comm::Transfer transfer;
  transfer.event = port.createEvent();
  const Bytes sent{0x00, 0x41, 0x0D, 0x0A, 0xFF};
  peer.send(sent);
  std::uint32_t waiting = 0;
  EXPECT_TRUE(eventually([&] { return port.waitingBytes(handle, waiting) && waiting == 5; }));
  Bytes buffer(1000);
  std::uint32_t count = 0;
  ASSERT_TRUE(port.read(handle, transfer, std::span(buffer).first(waiting + GetParam()), count));
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + count), sent);
}

INSTANTIATE_TEST_SUITE_P(AskingForWhatWaitsOrMore, Reading, testing::Values(0, 7));

// A write goes out whole although its caller reuses its buffer at once, as the worker does
// on its next pass: the line holds the write (the driver's own XOFF state) while the buffer
// is overwritten, and only then lets it go.
TEST_F(CommLayer, AWriteSendsItsBytesWhateverBecomesOfTheCallersBuffer) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  comm::Comm& port = comm::platform();
  const comm::Handle handle = openTransparent(port);
  ASSERT_NE(handle, comm::invalidHandle);
  ASSERT_TRUE(EscapeCommFunction(native(handle), SETXOFF));
  comm::Transfer transfer;
  Bytes buffer = countingBytes(1000);
  std::uint32_t taken = 0;
  ASSERT_TRUE(port.write(handle, transfer, buffer, taken));
  EXPECT_EQ(taken, 1000u);
  std::fill(buffer.begin(), buffer.end(), 0x55);
  ASSERT_EQ(peer.waiting(), 0u) << "the line did not hold the write";
  ASSERT_TRUE(EscapeCommFunction(native(handle), SETXON));
  ASSERT_TRUE(writeAll(port, handle, transfer, Bytes(10, 0x55)));
  Bytes expected = countingBytes(1000);
  expected.insert(expected.end(), 10, 0x55);
  EXPECT_EQ(peer.receive(expected.size()), expected);
}

// A device that goes away with a write of ours still held: gone() tells the dead port from a
// working one, closing it drops the held bytes, and the transfer record serves the next port.
TEST_F(CommLayer, ClosesAGonePortWithAWriteInProgressAndServesTheNextOne) {
  comm::Comm& port = comm::platform();
  comm::Handle handle = openTransparent(port);
  ASSERT_NE(handle, comm::invalidHandle);
  EXPECT_FALSE(port.gone(handle));
  comm::Transfer writes;
  ASSERT_TRUE(EscapeCommFunction(native(handle), SETXOFF));
  std::uint32_t taken = 0;
  ASSERT_TRUE(port.write(handle, writes, countingBytes(1000), taken));
  ASSERT_TRUE(port.write(handle, writes, countingBytes(10), taken));
  EXPECT_EQ(taken, 0u) << "a write in progress takes nothing new";

  ASSERT_TRUE(test::unplugLine());
  std::uint32_t waiting = 0;
  EXPECT_FALSE(port.waitingBytes(handle, waiting));
  EXPECT_TRUE(port.gone(handle));
  port.close(handle, writes);

  ASSERT_TRUE(test::replugLine());
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  handle = openTransparent(port);
  ASSERT_NE(handle, comm::invalidHandle);
  const Bytes next{0x41, 0x0D};
  ASSERT_TRUE(writeAll(port, handle, writes, next));
  EXPECT_EQ(peer.receive(1000), next);
}

// The whole serial link: the worker moves every byte both ways, in order. Receiving first,
// and an XOFF last, shows the line byte-transparent: the bytes sent after it go out.
TEST_F(Worker, MovesEveryByteBothWaysInOrder) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  startWorker(0);

  peer.send(everyValueEndingInXoff);
  EXPECT_EQ(received(everyValueEndingInXoff.size()), everyValueEndingInXoff);

  send(countingBytes(1500));
  EXPECT_EQ(peer.receive(1500), countingBytes(1500));
}

// Our output held by the line, as a handshake holds it (here the driver's own XOFF state):
// reception goes on, and once the line frees, the held bytes go out complete and in order.
// With a write time-out, which another program may leave on a port, each held write ends
// early with part of its bytes or none.
class HeldLine : public OnTheLine, public testing::WithParamInterface<DWORD> {};

TEST_P(HeldLine, ReceptionGoesOnAndTheHeldBytesFollowInOrder) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  startWorker(0);
  COMMTIMEOUTS timeouts{};
  timeouts.WriteTotalTimeoutConstant = GetParam();
  ASSERT_TRUE(SetCommTimeouts(portHandle(), &timeouts));
  ASSERT_TRUE(EscapeCommFunction(portHandle(), SETXOFF));

  send(countingBytes(3000));
  // The device starts sending once the worker has been at the held bytes a while, long
  // enough for held writes to time out.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  peer.send(countingBytes(2500));
  EXPECT_EQ(received(2500), countingBytes(2500));
  EXPECT_EQ(peer.waiting(), 0u) << "the line did not hold our output";

  ASSERT_TRUE(EscapeCommFunction(portHandle(), SETXON));
  EXPECT_EQ(peer.receive(3000), countingBytes(3000));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutWriteTimeOut, HeldLine, testing::Values(0, 50));

// The device unplugged mid-recording and plugged in again: what arrived before and after is
// all there, and the new line is byte-transparent, without a restart or a message.
TEST_F(Worker, PicksTheLineUpAgainWhenTheDeviceReturns) {
  startWorker(0);
  {
    test::PortPeer peer;
    ASSERT_TRUE(peer.isOpen());
    send({0x41});
    EXPECT_EQ(peer.receive(1), Bytes{0x41});
    peer.send(countingBytes(500));
    EXPECT_EQ(received(500), countingBytes(500));
  }
  ASSERT_TRUE(test::unplugLine());
  std::this_thread::sleep_for(std::chrono::seconds(1));  // reopening meets no device a while
  ASSERT_TRUE(test::replugLine());

  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  // A request made before the worker has the port again is dropped: ask until one arrives.
  Bytes request;
  eventually([&] {
    send({0x41});
    request = peer.receive(1);
    return !request.empty();
  });
  EXPECT_EQ(request, Bytes{0x41});
  peer.send(everyValueEndingInXoff);
  EXPECT_EQ(received(everyValueEndingInXoff.size()), everyValueEndingInXoff);
  EXPECT_TRUE(messages().empty());
}

}  // namespace
