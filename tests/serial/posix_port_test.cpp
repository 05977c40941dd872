// The POSIX comm layer and the worker on real pseudo-terminals, linked as COMn in a private
// start directory. (A pseudo-terminal always has 8 data bits and no parity bit; it keeps
// the other flags, so PARODD and INPCK stand in for the parity settings.)
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "serial/comm/comm.h"
#include "serial/queues.h"
#include "serial/sio.h"
#include "support.h"
#include "toolkit/headless/headless.h"

namespace {

using serial_test::collectRx;
using serial_test::counting;
using serial_test::putTx;
using serial_test::Terminal;
using Bytes = std::vector<std::uint8_t>;

// Settings of a port that some other program left cooked, with flow control and parity
// checking on, two stop bits and 2400 baud.
termios cookedSettings(termios settings) {
  settings.c_iflag |= ICRNL | IXON | IXOFF | INPCK | ISTRIP;
  settings.c_oflag |= OPOST | ONLCR;
  settings.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
  settings.c_cflag |= PARODD | CRTSCTS | CSTOPB;
  ::cfsetspeed(&settings, B2400);
  return settings;
}

class PortOnTerminal : public serial_test::FreshProcess {
 protected:
  PortOnTerminal() {
    terminal.linkAs("COM1");
    tk::headless::clearMessages();
  }

  serial_test::TempDirectory directory;
  Terminal terminal;
};

TEST_F(PortOnTerminal, OpenGivesTheLineItsRateAndMakesItRawButKeepsParityAndFlowControl) {
  terminal.setSettings(cookedSettings(terminal.settings()));
  EXPECT_EQ(OpenComPort(0, 9600), 1);
  EXPECT_TRUE(tk::headless::messages().empty());
  const termios s = terminal.settings();
  EXPECT_EQ(::cfgetospeed(&s), B9600);
  EXPECT_EQ(::cfgetispeed(&s), B9600);
  EXPECT_EQ(s.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(s.c_cflag & CSTOPB);
  EXPECT_TRUE(s.c_cflag & CREAD);
  EXPECT_EQ(s.c_cflag & (PARODD | CRTSCTS), static_cast<tcflag_t>(PARODD | CRTSCTS));
  EXPECT_EQ(s.c_iflag & (IXON | IXOFF | INPCK), static_cast<tcflag_t>(IXON | IXOFF | INPCK));
  EXPECT_FALSE(s.c_iflag & (ICRNL | ISTRIP)) << "bytes would be altered";
  EXPECT_FALSE(s.c_oflag & OPOST);
  EXPECT_FALSE(s.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
  EXPECT_EQ(s.c_cc[VMIN], 0);
  EXPECT_EQ(s.c_cc[VTIME], 0);
}

TEST_F(PortOnTerminal, ARefusedRateGoesUnreportedAndLeavesTheSpeed) {
  terminal.setSettings(cookedSettings(terminal.settings()));
  EXPECT_EQ(OpenComPort(0, 0), 1);
  EXPECT_TRUE(tk::headless::messages().empty());
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
  ASSERT_EQ(tk::headless::messages().size(), 1u);
  EXPECT_EQ(tk::headless::messages()[0].text, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(tk::headless::messages()[0].caption, "COM1:");
}

TEST_F(PortOnTerminal, AnEntryThatIsNotATerminalOpensButItsStateCannotBeRead) {
  std::ofstream("COM2") << "not a terminal";
  EXPECT_EQ(OpenComPort(1, 9600), 0);
  ASSERT_EQ(tk::headless::messages().size(), 1u);
  EXPECT_EQ(tk::headless::messages()[0].text, "Status nicht zu lesen !");
  EXPECT_EQ(tk::headless::messages()[0].caption, "COM2:");
}

TEST_F(PortOnTerminal, NamesWithoutADeviceCannotBeOpened) {
  ASSERT_EQ(::symlink("/nonexistent/querlan-device", "COM3"), 0);
  EXPECT_EQ(comm::platform().open("COM3:"), comm::invalidHandle);
  EXPECT_EQ(comm::platform().open("COM ??? :"), comm::invalidHandle);
}

// Counts the worker's passes and port calls on the real layer.
class CountingComm final : public comm::Comm {
 public:
  std::atomic<int> sleeps{0};
  std::atomic<int> reads{0};
  std::atomic<int> writes{0};

  comm::Handle open(const std::string& name) override { return real.open(name); }
  bool getLineState(comm::Handle p, comm::LineState& s) override { return real.getLineState(p, s); }
  bool setLineState(comm::Handle p, const comm::LineState& s) override {
    return real.setLineState(p, s);
  }
  comm::Event createEvent() override { return real.createEvent(); }
  bool waitingBytes(comm::Handle p, std::uint32_t& n) override { return real.waitingBytes(p, n); }
  bool read(comm::Handle p, comm::Transfer& t, std::span<std::uint8_t> b,
            std::uint32_t& n) override {
    ++reads;
    return real.read(p, t, b, n);
  }
  bool write(comm::Handle p, comm::Transfer& t, std::span<const std::uint8_t> b) override {
    ++writes;
    return real.write(p, t, b);
  }
  void sleepOneMs() override {
    ++sleeps;
    real.sleepOneMs();
  }

 private:
  comm::Comm& real = comm::platform();
};

class WorkerOnTerminal : public PortOnTerminal {
 protected:
  // The port starts cooked, so every byte shows whether it was made raw; software flow
  // control is off, since it would rightly keep 0x11 and 0x13 for itself.
  WorkerOnTerminal() {
    termios settings = cookedSettings(terminal.settings());
    settings.c_iflag &= ~(IXON | IXOFF);
    terminal.setSettings(settings);
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
    return serial_test::eventually([&] { return port.sleeps >= target; });
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
  EXPECT_EQ(terminal.receive(1), Bytes{0x41});
  const Bytes queued = everyByteValue();
  putTx(queued);
  EXPECT_EQ(terminal.receive(queued.size()), queued);
}

TEST_F(WorkerOnTerminal, ADeviceThatVanishesMidStreamCostsNeitherACrashNorAHang) {
  ASSERT_EQ(OpenComPort(0, 115200), 1);
  const Bytes first = counting(3000);
  terminal.send(first);
  EXPECT_EQ(collectRx(100), Bytes(first.begin(), first.begin() + 100));
  terminal.hangUp();
  ASSERT_TRUE(morePasses(20)) << "the worker stopped after the hang-up";
  putTx(counting(50));
  ASSERT_TRUE(serial_test::eventually([&] { return port.writes > 0; }));
  ASSERT_TRUE(morePasses(20)) << "the worker hangs in a write to the vanished device";
  EXPECT_LE(port.reads.load(), port.sleeps.load()) << "more than one read per pass";
  // Whatever arrived before the hang-up is still handed on in order.
  Bytes rest;
  for (int value; (value = RxGet()) >= 0;) rest.push_back(static_cast<std::uint8_t>(value));
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), first.begin() + 100));
}

}  // namespace
