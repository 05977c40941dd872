// The Win32 comm layer and the worker on a real port: COM1 and COM2 are the two ends of a
// pair of pseudo-terminals (run-under-wine.sh). Wine does not enforce the exclusive open of
// a COM port, so that case is left to the Linux tests.
//
// The port state is process-wide and a port is never closed, so each test that opens COM1
// needs a process of its own, as CTest gives it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "port_peer.h"
#include "serial/comm/comm.h"
#include "serial/queues.h"
#include "serial/sio.h"
#include "toolkit/headless/headless.h"

namespace {

using test::countingBytes;

HANDLE portHandle() {
  return reinterpret_cast<HANDLE>(ComPortState.handle.load());
}

// Every test starts from a plain line in a process of its own.
class OnTheLine : public testing::Test {
 protected:
  void SetUp() override {
    if (ComPortState.handle.load() != comm::invalidHandle || ComPortState.portIndex != -1) {
      GTEST_SKIP() << "needs a process of its own (run it through CTest)";
    }
    ASSERT_TRUE(test::resetLine("COM1:"));
  }
  void TearDown() override { test::resetLine("COM1:"); }
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

// A pseudo-terminal always has 8 data bits and no parity, so the settings that show what is
// kept are the stop bits (changed) and the flow control (kept).
TEST_F(PortOpening, AppliesTheBaudRateWithEightDataBitsAndOneStopBitAndKeepsTheRest) {
  {
    // The port as another program left it: two stop bits, XON/XOFF and RTS/CTS flow control.
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
    ASSERT_TRUE(SetCommState(before, &line));
    CloseHandle(before);
  }
  EXPECT_EQ(OpenComPort(0, 19200), 1);
  DCB line{};
  ASSERT_TRUE(GetCommState(portHandle(), &line));
  EXPECT_EQ(line.BaudRate, 19200u);
  EXPECT_EQ(line.ByteSize, 8);
  EXPECT_EQ(line.StopBits, ONESTOPBIT);
  EXPECT_TRUE(line.fOutX);
  EXPECT_TRUE(line.fInX);
  EXPECT_TRUE(line.fOutxCtsFlow);
  EXPECT_TRUE(tk::headless::messages().empty());
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
  ASSERT_EQ(tk::headless::messages().size(), 1u);
  EXPECT_EQ(tk::headless::messages()[0].text, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(tk::headless::messages()[0].caption, "COM ??? :");
  EXPECT_EQ(ComPortState.handle.load(), comm::invalidHandle);
}

// The comm layer by itself: what has arrived is counted and read in full, 0x00 and 0xFF too.
TEST_F(CommLayer, CountsAndReadsTheWaitingBytes) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  comm::Comm& port = comm::platform();
  const comm::Handle handle = port.open("COM1:");
  ASSERT_NE(handle, comm::invalidHandle);
  comm::Transfer transfer;
  transfer.event = port.createEvent();
  const std::vector<std::uint8_t> sent{0x00, 0x41, 0x0D, 0x0A, 0xFF};
  peer.send(sent);
  std::uint32_t waiting = 0;
  EXPECT_TRUE(eventually([&] { return port.waitingBytes(handle, waiting) && waiting == 5; }));
  std::vector<std::uint8_t> buffer(1000);
  std::uint32_t count = 0;
  ASSERT_TRUE(port.read(handle, transfer, std::span(buffer).first(waiting), count));
  EXPECT_EQ(std::vector(buffer.begin(), buffer.begin() + count), sent);
}

// A write goes out whole although its caller reuses its buffer at once, as the worker does
// on its next pass.
TEST_F(CommLayer, AWriteSendsItsBytesWhateverBecomesOfTheCallersBuffer) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  comm::Comm& port = comm::platform();
  const comm::Handle handle = port.open("COM1:");
  ASSERT_NE(handle, comm::invalidHandle);
  comm::Transfer transfer;
  transfer.event = port.createEvent();
  std::vector<std::uint8_t> buffer = countingBytes(1000);
  ASSERT_TRUE(port.write(handle, transfer, buffer));
  std::fill(buffer.begin(), buffer.end(), 0x55);
  ASSERT_TRUE(port.write(handle, transfer, std::span(buffer).first(10)));
  std::vector<std::uint8_t> expected = countingBytes(1000);
  expected.insert(expected.end(), 10, 0x55);
  EXPECT_EQ(peer.receive(expected.size()), expected);
}

// The whole serial link: the worker moves every byte both ways, in order.
TEST_F(Worker, MovesEveryByteBothWaysInOrder) {
  test::PortPeer peer;
  ASSERT_TRUE(peer.isOpen());
  SioThread = new TSio(false);
  ASSERT_EQ(OpenComPort(0, 9600), 1);

  for (const std::uint8_t byte : countingBytes(1500)) TxPut(byte);
  EXPECT_EQ(peer.receive(1500), countingBytes(1500));

  peer.send(countingBytes(2500));
  std::vector<std::uint8_t> received;
  eventually([&] {
    for (int value = RxGet(); value != -1; value = RxGet()) {
      received.push_back(static_cast<std::uint8_t>(value));
    }
    return received.size() >= 2500;
  });
  EXPECT_EQ(received, countingBytes(2500));
}

}  // namespace
