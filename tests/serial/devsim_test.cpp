// The device simulator: its payloads and command line, and the program's serial link
// against it the way the integration tests and the demo use it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include "devsim.h"
#include "eventually.h"
#include "files.h"
#include "options.h"
#include "payload.h"
#include "serial/queues.h"
#include "serial/sio.h"
#include "support.h"

namespace {

using serial_test::collectRx;
using serial_test::counting;
using Bytes = std::vector<std::uint8_t>;

Bytes firstBytes(const devsim::Payload& payload, std::size_t count) {
  Bytes bytes;
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(payload.at(i));
  return bytes;
}

TEST(DevsimPayload, PatternsRepeatTheirCycle) {
  const struct {
    const char* name;
    Bytes start;
    std::uint64_t cycle;
  } cases[] = {{"count", {0, 1, 2, 3}, 256},
               {"zero", {0, 0, 0}, 256},
               {"ff", {255, 255, 255}, 256},
               {"hex:00ff0D0a", {0x00, 0xFF, 0x0D, 0x0A, 0x00, 0xFF}, 4}};
  for (const auto& c : cases) {
    const auto payload = devsim::Payload::named(c.name);
    ASSERT_TRUE(payload) << c.name;
    EXPECT_EQ(firstBytes(*payload, c.start.size()), c.start) << c.name;
    EXPECT_EQ(payload->cycleLength(), c.cycle) << c.name;
    EXPECT_EQ(payload->at(c.cycle + 1), payload->at(1)) << c.name;
  }
  for (const char* bad : {"", "counting", "hex:", "hex:0", "hex:0g", "HEX:00"}) {
    EXPECT_FALSE(devsim::Payload::named(bad)) << bad;
  }
  // The instrument: forty printable lines, each ending in CR LF.
  const auto instrument = devsim::Payload::named("instrument");
  ASSERT_TRUE(instrument);
  const Bytes bytes = firstBytes(*instrument, instrument->cycleLength());
  const std::string text(bytes.begin(), bytes.end());
  std::string rest = text;
  int lines = 0;
  for (auto at = rest.find("\r\n"); at != std::string::npos; at = rest.find("\r\n", at), ++lines) {
    rest.erase(at, 2);
  }
  EXPECT_EQ(lines, 40);
  EXPECT_TRUE(text.ends_with("\r\n"));
  EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](char c) { return c >= 0x20 && c < 0x7F; }));
}

TEST(DevsimOptions, RefusesBadCommandLines) {
  const std::vector<std::vector<std::string>> bad = {{},
                                                     {"--pattern", "count"},
                                                     {"--link"},
                                                     {"--link", ""},
                                                     {"--link", "COM1", "--bytes", "-1"},
                                                     {"--link", "COM1", "--bytes", "12k"},
                                                     {"--link", "COM1", "--rate", "0x"},
                                                     {"--link", "COM1", "--request", "256"},
                                                     {"--link", "COM1", "--hold", "-1"},
                                                     {"--link", "COM1", "--raw", "1"},
                                                     {"--link", "COM1", "--speed", "9600"},
                                                     {"COM1"}};
  for (const auto& arguments : bad) {
    EXPECT_NE(devsim::parseOptions(arguments).error, "") << ::testing::PrintToString(arguments);
  }
  EXPECT_EQ(devsim::parseOptions({"--help"}).error, "");
}

bool entryExists(const char* path) {
  struct stat info {};
  return ::lstat(path, &info) == 0;
}

// The program's side: the worker running, COM1 opened at 115200 baud.
class LinkToDevsim : public serial_test::FreshProcess {
 protected:
  ~LinkToDevsim() override {
    SioStop = 1;
    delete SioThread;
    SioThread = nullptr;
  }
  void startProgram() {
    SioThread = new TSio(false);
    ASSERT_EQ(OpenComPort(0, 115200), 1);
  }
  testsupport::StartDir directory;
};

TEST_F(LinkToDevsim, TheAnswerToTheRequestArrivesWhole) {
  testsupport::Devsim device({"--link", "COM1", "--pattern", "count", "--bytes", "3000"});
  ASSERT_TRUE(device.waitForLine("ready COM1 /dev/pts/"));
  startProgram();
  TxPut(0x41);
  EXPECT_EQ(collectRx(3000), counting(3000));
  EXPECT_TRUE(device.waitForLine("sent 3000"));
  EXPECT_EQ(device.stop(), 0);
  EXPECT_EQ(device.waitForLine("done"), "done received=1 requests=1 sent=3000");
  EXPECT_FALSE(entryExists("COM1")) << "the link was left behind";
}

TEST_F(LinkToDevsim, OnceAnswersOnlyTheFirstRequestAndReportsWhatArrived) {
  testsupport::Devsim device({"--link", "COM1", "--once", "--pattern", "hex:00ff", "--bytes", "200",
                              "--rate", "4000", "--report", "report.txt"});
  ASSERT_TRUE(device.waitForLine("ready"));
  startProgram();
  TxPut(0x41);
  const Bytes answer = collectRx(200);
  ASSERT_EQ(answer.size(), 200u);
  for (std::size_t i = 0; i < answer.size(); ++i) ASSERT_EQ(answer[i], i % 2 ? 0xFF : 0x00);
  TxPut(0x42);
  TxPut(0x41);
  EXPECT_TRUE(device.waitForLine("request 2"));
  EXPECT_EQ(device.stop(), 0);
  EXPECT_EQ(testsupport::readFile("report.txt"),
            "received=3\nrequests=2\nsent=200\nreceived_bytes=65 66 65\n");
}

TEST_F(LinkToDevsim, AStreamGoesOnUntilTheDeviceIsStopped) {
  testsupport::Devsim device({"--link", "COM1", "--stream", "--pattern", "count"});
  ASSERT_TRUE(device.waitForLine("ready"));
  startProgram();
  TxPut(0x41);
  EXPECT_EQ(collectRx(20'000), counting(20'000));
  EXPECT_EQ(device.stop(), 0);
}

TEST_F(LinkToDevsim, ReplacesAStaleLinkButNothingElse) {
  std::ofstream("COM2") << "keep me";
  testsupport::Devsim refused({"--link", "COM2"});
  EXPECT_NE(refused.wait(), 0);
  EXPECT_EQ(testsupport::readFile("COM2"), "keep me");

  ASSERT_EQ(::symlink("/nonexistent/old-device", "COM1"), 0);
  testsupport::Devsim device({"--link", "COM1"});
  ASSERT_TRUE(device.waitForLine("ready"));
  startProgram();
  EXPECT_EQ(device.stop(), 0);
}

// Opens the port raw, as a program does, so that the bytes arrive as they were sent.
int openRaw(const char* path) {
  const int port = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios settings{};
  if (port >= 0 && ::tcgetattr(port, &settings) == 0) {
    ::cfmakeraw(&settings);
    ::tcsetattr(port, TCSANOW, &settings);
  }
  return port;
}

Bytes readBytes(int port, std::size_t count) {
  Bytes bytes;
  testsupport::eventually([&] {
    std::uint8_t buffer[256];
    const ssize_t got = ::read(port, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    return bytes.size() >= count;
  });
  return bytes;
}

// As a pulled USB adapter leaves a program's descriptor.
void expectHungUp(int port) {
  pollfd watch{port, POLLIN, 0};
  EXPECT_EQ(::poll(&watch, 1, 0), 1);
  EXPECT_TRUE(watch.revents & POLLHUP);
  std::uint8_t byte = 0;
  const ssize_t got = ::read(port, &byte, 1);
  EXPECT_TRUE(got == 0 || (got < 0 && errno == EIO)) << got;
  termios settings{};
  EXPECT_NE(::tcgetattr(port, &settings), 0);
  EXPECT_EQ(errno, EIO);
}

dev_t terminalOf(int port) {
  struct stat info {};
  ::fstat(port, &info);
  return info.st_rdev;
}

TEST(DevsimPlug, UnplugHangsUpThePortAndTheReplugGoesOnWithTheAnswer) {
  testsupport::StartDir directory;
  testsupport::Devsim device(
      {"--link", "COM1", "--pattern", "count", "--bytes", "256", "--rate", "200"});
  ASSERT_TRUE(device.waitForLine("ready"));
  const int before = openRaw("COM1");
  ASSERT_GE(before, 0);
  ASSERT_EQ(::write(before, "A", 1), 1);
  const Bytes first = readBytes(before, 32);
  ASSERT_EQ(first, counting(32));

  device.signal(SIGUSR1);
  ASSERT_TRUE(device.waitForLine("unplugged"));
  expectHungUp(before);
  EXPECT_FALSE(entryExists("COM1"));

  device.signal(SIGUSR2);
  const auto replugged = device.waitForLine("replugged");
  ASSERT_TRUE(replugged);
  EXPECT_EQ(*replugged, "replugged COM1 " + std::filesystem::read_symlink("COM1").string());
  const int after = ::open("COM1", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(after, 0);
  EXPECT_NE(terminalOf(after), terminalOf(before));
  termios settings{};
  ASSERT_EQ(::tcgetattr(after, &settings), 0);
  EXPECT_TRUE(settings.c_lflag & ICANON) << "a new terminal starts in the kernel's defaults";
  // Time enough for the answer's 0x41 to go out and be echoed back as a request, had devsim
  // not waited for the port to be set up.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ::cfmakeraw(&settings);
  ASSERT_EQ(::tcsetattr(after, TCSANOW, &settings), 0);
  // What was still on its way through the old terminal is lost, as with a real cable; the
  // rest of the answer follows on the new one, not a new answer from the start.
  ASSERT_TRUE(device.waitForLine("sent 256"));
  Bytes rest = readBytes(after, 1);
  ASSERT_EQ(rest.size(), 1u);
  ASSERT_GE(rest[0], first.size()) << "the answer started again";
  const Bytes tail = readBytes(after, 255u - rest[0]);
  rest.insert(rest.end(), tail.begin(), tail.end());
  const Bytes answer = counting(256);
  EXPECT_EQ(rest, Bytes(answer.begin() + rest[0], answer.end()));
  ::close(after);
  ::close(before);
  EXPECT_EQ(device.stop(), 0);
  EXPECT_TRUE(device.waitForLine("done received=1 requests=1 "));
}

// A device that drops its handshake line: nothing the program writes goes out, not even once
// the program has switched software flow control off, while what the device sends arrives.
TEST(DevsimHold, NothingGoesOutUntilTheLineIsReleased) {
  testsupport::StartDir directory;
  // Digits: the answer may come before the test has made the port raw, and a terminal in its
  // default settings passes digits unchanged.
  const char* digits = "hex:30313233";
  testsupport::Devsim device(
      {"--link", "COM1", "--hold", "2000", "--unprompted", "--pattern", digits, "--bytes", "100"});
  ASSERT_TRUE(device.waitForLine("held"));
  const int port = ::open("COM1", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(port, 0);
  termios settings{};
  ASSERT_EQ(::tcgetattr(port, &settings), 0);
  EXPECT_TRUE(settings.c_iflag & IXON) << "not the state of a freshly plugged adapter";
  EXPECT_TRUE(settings.c_lflag & ICANON);
  EXPECT_TRUE(settings.c_lflag & ECHO);
  ::cfmakeraw(&settings);  // switches IXON off, which must not release the line
  ASSERT_EQ(::tcsetattr(port, TCSANOW, &settings), 0);

  EXPECT_EQ(readBytes(port, 100), firstBytes(*devsim::Payload::named(digits), 100));
  EXPECT_EQ(::write(port, "A", 1), -1);
  EXPECT_EQ(errno, EAGAIN);
  pollfd watch{port, POLLOUT, 0};
  const auto patience = std::chrono::milliseconds(testsupport::patience);
  ASSERT_EQ(::poll(&watch, 1, static_cast<int>(patience.count())), 1) << "never released";
  ASSERT_EQ(::write(port, "A", 1), 1);
  EXPECT_TRUE(device.waitForLine("released"));
  EXPECT_TRUE(device.waitForLine("request 1"));
  EXPECT_TRUE(device.waitForLine("sent 200"));
  ::close(port);
}

}  // namespace
