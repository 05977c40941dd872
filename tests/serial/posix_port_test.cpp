// The POSIX comm layer and the worker on real pseudo-terminals, linked as COMn in a private
// start directory. (A pseudo-terminal always has 8 data bits and no parity bit; it keeps
// the other flags, so PARODD and INPCK stand in for the parity settings.)
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "eventually.h"
#include "files.h"
#include "pty_device.h"
#include "serial/comm/relay.h"
#include "serial/comm/uucp_lock.h"
#include "serial/queues.h"
#include "serial/sio.h"
#include "support.h"

namespace {

using serial_test::collectRx;
using serial_test::counting;
using serial_test::putTx;
using testsupport::PtyDevice;
using Bytes = std::vector<std::uint8_t>;

// Settings of a port that some other program left cooked, with flow control, parity
// checking and marking on, two stop bits and 2400 baud.
termios cookedSettings(termios settings) {
  settings.c_iflag |= ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP;
  settings.c_oflag |= OPOST | ONLCR;
  settings.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
  settings.c_cflag |= PARODD | CRTSCTS | CSTOPB | HUPCL;
  settings.c_cflag &= ~CLOCAL;
  ::cfsetspeed(&settings, B2400);
  return settings;
}

class PortOnTerminal : public serial_test::FreshProcess {
 protected:
  PortOnTerminal() {
    terminal.linkAs("COM1");
    serial_test::portMessages().clear();
  }

  testsupport::StartDir directory;
  PtyDevice terminal;
};

TEST_F(PortOnTerminal, OpenGivesTheLineItsRateAndMakesItTransparentButKeepsParityAndHandshake) {
  terminal.setSettings(cookedSettings(terminal.settings()));
  EXPECT_EQ(OpenComPort(0, 9600), 1);
  EXPECT_TRUE(serial_test::portMessages().empty());
  const termios s = terminal.settings();
  EXPECT_EQ(::cfgetospeed(&s), B9600);
  EXPECT_EQ(::cfgetispeed(&s), B9600);
  EXPECT_EQ(s.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(s.c_cflag & CSTOPB);
  EXPECT_EQ(s.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_EQ(s.c_cflag & (PARODD | CRTSCTS | HUPCL), static_cast<tcflag_t>(PARODD | CRTSCTS | HUPCL))
      << "parity, handshake and modem lines are the device's";
  EXPECT_FALSE(s.c_iflag & (IXON | IXOFF | IXANY))
      << "0x11 and 0x13 would be taken as flow control";
  EXPECT_FALSE(s.c_iflag & (INPCK | IGNPAR | PARMRK | ICRNL | ISTRIP)) << "bytes would be altered";
  EXPECT_FALSE(s.c_oflag & OPOST);
  EXPECT_FALSE(s.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
  EXPECT_EQ(s.c_cc[VMIN], 0);
  EXPECT_EQ(s.c_cc[VTIME], 0);
}

TEST_F(PortOnTerminal, ARefusedRateGoesUnreportedAndLeavesTheSpeed) {
  terminal.setSettings(cookedSettings(terminal.settings()));
  EXPECT_EQ(OpenComPort(0, 0), 1);
  EXPECT_TRUE(serial_test::portMessages().empty());
  const termios s = terminal.settings();
  EXPECT_EQ(::cfgetospeed(&s), B2400) << "rate 0 must not hang up the line";
  EXPECT_FALSE(s.c_lflag & (ECHO | ICANON)) << "the rest is applied all the same";
}

TEST_F(PortOnTerminal, AnyRateIsSetExactly) {
  comm::Comm& posix = comm::platform();
  const comm::Handle port = posix.open("COM1:");
  ASSERT_NE(port, comm::invalidHandle);
  for (const std::uint32_t rate : {9600u, 115200u, 12345u, 250000u, 300u}) {
    comm::LineState state;
    ASSERT_TRUE(posix.getLineState(port, state));
    state.baudRate = rate;
    EXPECT_TRUE(posix.setLineState(port, state)) << rate;
    comm::LineState readBack;
    ASSERT_TRUE(posix.getLineState(port, readBack));
    EXPECT_EQ(readBack.baudRate, rate);
  }
  ::close(static_cast<int>(port));
}

TEST_F(PortOnTerminal, APortOpenElsewhereCannotBeOpened) {
  // Root passes TIOCEXCL; the lock must hold all the same.
  const comm::Handle first = comm::platform().open("COM1:");
  ASSERT_NE(first, comm::invalidHandle);
  EXPECT_EQ(comm::platform().open("COM1:"), comm::invalidHandle);
  EXPECT_EQ(OpenComPort(0, 9600), 0);
  ASSERT_EQ(serial_test::portMessages().size(), 1u);
  EXPECT_EQ(serial_test::portMessages()[0].text, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(serial_test::portMessages()[0].caption, "COM1:");
  EXPECT_EQ(testsupport::readFile(comm::lockFileFor("COM1")), serial_test::lockText(::getpid()))
      << "the refused opens took the first one's lock";
}

TEST_F(PortOnTerminal, AnEntryThatIsNotATerminalOpensButItsStateCannotBeRead) {
  std::ofstream("COM2") << "not a terminal";
  EXPECT_EQ(OpenComPort(1, 9600), 0);
  ASSERT_EQ(serial_test::portMessages().size(), 1u);
  EXPECT_EQ(serial_test::portMessages()[0].text, "Status nicht zu lesen !");
  EXPECT_EQ(serial_test::portMessages()[0].caption, "COM2:");
}

TEST_F(PortOnTerminal, NamesWithoutADeviceCannotBeOpened) {
  ASSERT_EQ(::symlink("/nonexistent/querlan-device", "COM3"), 0);
  EXPECT_EQ(comm::platform().open("COM3:"), comm::invalidHandle);
  EXPECT_EQ(comm::platform().open("COM ??? :"), comm::invalidHandle);
}

// Counts the worker's passes and port calls on the real layer.
class CountingComm final : public comm::Relay {
 public:
  CountingComm() : Relay(comm::platform()) {}
  std::atomic<int> sleeps{0};
  std::atomic<int> reads{0};
  std::atomic<int> writes{0};
  std::atomic<int> closes{0};

  bool read(comm::Handle p, comm::Transfer& t, std::span<std::uint8_t> b,
            std::uint32_t& n) override {
    ++reads;
    return Relay::read(p, t, b, n);
  }
  bool write(comm::Handle p, comm::Transfer& t, std::span<const std::uint8_t> b,
             std::uint32_t& n) override {
    ++writes;
    return Relay::write(p, t, b, n);
  }
  void sleepOneMs() override {
    ++sleeps;
    Relay::sleepOneMs();
  }
  void close(comm::Handle p, comm::Transfer& t) override {
    Relay::close(p, t);
    ++closes;
  }
};

// The port starts in the kernel's defaults, as a freshly plugged adapter does: canonical
// mode, echo and XON/XOFF on, so every byte shows whether the line was made transparent.
class WorkerOnTerminal : public PortOnTerminal {
 protected:
  WorkerOnTerminal() {
    comm::use(&port);
    SioThread = new TSio(false);
  }
  ~WorkerOnTerminal() override {
    SioStop = 1;
    delete SioThread;
    SioThread = nullptr;
    comm::use(nullptr);
  }
  bool morePasses(int passes) {
    const int target = port.sleeps + passes;
    return testsupport::eventually([&] { return port.sleeps >= target; });
  }

  CountingComm port;
};

Bytes everyByteValue() {
  Bytes bytes = counting(1024);
  const Bytes reversed(bytes.rbegin(), bytes.rend());
  bytes.insert(bytes.end(), reversed.begin(), reversed.end());
  return bytes;
}

TEST_F(WorkerOnTerminal, EveryByteValueArrivesUnchangedAndInOrder) {
  ASSERT_EQ(OpenComPort(0, 115200), 1);
  const Bytes sent = everyByteValue();
  terminal.send(sent);
  EXPECT_EQ(collectRx(sent.size()), sent);
}

TEST_F(WorkerOnTerminal, EveryQueuedByteReachesTheLineUnchangedAndInOrder) {
  ASSERT_EQ(OpenComPort(0, 115200), 1);
  TxPut(0x41);
  EXPECT_EQ(terminal.receiveBytes(1), Bytes{0x41});
  const Bytes queued = everyByteValue();
  putTx(queued);
  EXPECT_EQ(terminal.receiveBytes(queued.size()), queued);
}

// A received XOFF (0x13) used to be swallowed and to stop the port's output, so the next
// request never reached the device.
TEST_F(WorkerOnTerminal, AllByteValuesEndingInXoffArriveAndTheNextRequestStillGoesOut) {
  ASSERT_EQ(OpenComPort(0, 115200), 1);
  Bytes sent;
  for (int i = 0; i < 256; ++i) sent.push_back(static_cast<std::uint8_t>((0x14 + i) & 0xFF));
  terminal.send(sent);
  EXPECT_EQ(collectRx(sent.size()), sent);
  TxPut(0x41);
  EXPECT_EQ(terminal.receiveBytes(1), Bytes{0x41});
}

TEST_F(WorkerOnTerminal, AHeldLineStopsNeitherReceptionNorLosesTheHeldBytes) {
  ASSERT_EQ(OpenComPort(0, 115200), 1);
  terminal.hold(true);
  const Bytes queued = counting(3000);
  putTx(queued);
  ASSERT_TRUE(testsupport::eventually([&] { return port.writes > 0; }));
  const Bytes arriving = everyByteValue();
  terminal.send(arriving);
  EXPECT_EQ(collectRx(arriving.size()), arriving) << "reception waited for the held write";
  terminal.hold(false);
  EXPECT_EQ(terminal.receiveBytes(queued.size()), queued);
}

// A request made while the device is gone is dropped: the replugged device receives only
// the next one.
TEST_F(WorkerOnTerminal, AnUnpluggedDeviceIsClosedAtOnceAndUsedAgainWhenItIsBack) {
  ASSERT_EQ(OpenComPort(0, 115200), 1);
  const std::string firstLock = comm::lockFileFor("COM1");
  EXPECT_TRUE(std::filesystem::exists(firstLock));
  const Bytes before = counting(3000);
  terminal.send(before);
  EXPECT_EQ(collectRx(before.size()), before);
  terminal.unplug();
  ASSERT_TRUE(testsupport::eventually([&] { return port.closes == 1; }))
      << "the dead port was not closed";
  EXPECT_FALSE(std::filesystem::exists(firstLock)) << "the closed port kept its lock file";
  TxPut(0x40);
  ASSERT_TRUE(morePasses(2));  // a whole pass since the request, before the device is back
  terminal.replugAs("COM1");
  // Bytes sent before the port is open again would meet the new terminal's defaults.
  ASSERT_TRUE(terminal.waitUntilConfigured()) << "the port was not opened and configured again";
  const termios again = terminal.settings();
  EXPECT_EQ(::cfgetospeed(&again), B115200);
  EXPECT_FALSE(again.c_iflag & IXON);
  const Bytes after = everyByteValue();
  terminal.send(after);
  EXPECT_EQ(collectRx(after.size()), after) << "nothing came through the replugged port";
  EXPECT_EQ(testsupport::readFile(comm::lockFileFor("COM1")), serial_test::lockText(::getpid()));
  TxPut(0x41);
  EXPECT_EQ(terminal.receiveBytes(1), Bytes{0x41}) << "the request made while unplugged went out";
  EXPECT_TRUE(serial_test::portMessages().empty());
  EXPECT_EQ(port.closes, 1);
}

}  // namespace
