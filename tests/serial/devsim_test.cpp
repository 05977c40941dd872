// The device simulator: its payloads and command line, and the program's serial link
// against it the way the integration tests and the demo use it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "options.h"
#include "payload.h"
#include "serial/comm/comm.h"
#include "serial/queues.h"
#include "serial/sio.h"
#include "support.h"
#include "toolkit/headless/headless.h"

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
                                                     {"--link", "COM1", "--speed", "9600"},
                                                     {"COM1"}};
  for (const auto& arguments : bad) {
    EXPECT_NE(devsim::parseOptions(arguments).error, "") << ::testing::PrintToString(arguments);
  }
  EXPECT_EQ(devsim::parseOptions({"--help"}).error, "");
}

std::string fileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
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
  serial_test::TempDirectory directory;
};

TEST_F(LinkToDevsim, TheAnswerToTheRequestArrivesWhole) {
  serial_test::Devsim device({"--link", "COM1", "--pattern", "count", "--bytes", "3000"});
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
  serial_test::Devsim device({"--link", "COM1", "--once", "--pattern", "hex:00ff", "--bytes", "200",
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
  EXPECT_EQ(fileText("report.txt"), "received=3\nrequests=2\nsent=200\nreceived_bytes=65 66 65\n");
}

TEST_F(LinkToDevsim, AStreamGoesOnUntilTheDeviceIsStopped) {
  serial_test::Devsim device({"--link", "COM1", "--stream", "--pattern", "count"});
  ASSERT_TRUE(device.waitForLine("ready"));
  startProgram();
  TxPut(0x41);
  EXPECT_EQ(collectRx(20'000), counting(20'000));
  EXPECT_EQ(device.stop(), 0);
}

TEST_F(LinkToDevsim, ReplacesAStaleLinkButNothingElse) {
  std::ofstream("COM2") << "keep me";
  serial_test::Devsim refused({"--link", "COM2"});
  EXPECT_NE(refused.wait(), 0);
  EXPECT_EQ(fileText("COM2"), "keep me");

  ASSERT_EQ(::symlink("/nonexistent/old-device", "COM1"), 0);
  serial_test::Devsim device({"--link", "COM1"});
  ASSERT_TRUE(device.waitForLine("ready"));
  startProgram();
  EXPECT_EQ(device.stop(), 0);
}

TEST_F(LinkToDevsim, ThePortCanBeOpenedAgainOnceTheProgramHasClosedIt) {
  serial_test::Devsim device({"--link", "COM1"});
  ASSERT_TRUE(device.waitForLine("ready"));
  const comm::Handle port = comm::platform().open("COM1:");
  ASSERT_NE(port, comm::invalidHandle);
  ::close(static_cast<int>(port));
  // Root passes the exclusive-use flag, so look at the flag itself.
  const int look = ::open("COM1", O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(look, 0);
  EXPECT_TRUE(serial_test::eventually([&] {
    int exclusive = 1;
    return ::ioctl(look, TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
  }));
  ::close(look);
}

}  // namespace
