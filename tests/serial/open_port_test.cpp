// Port opening on the scripted port: every outcome, its message and what it leaves behind.
// The port state is process-wide and a port is never closed: CTest runs each test in a
// process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "serial/comm/fake.h"
#include "serial/sio.h"
#include "support.h"

namespace {

using comm::Fake;
using Op = Fake::Op;

comm::LineState someReportedState() {
  comm::LineState state;
  state.baudRate = 2400;
  state.byteSize = 7;
  state.stopBits = comm::twoStopBits;
  for (std::size_t i = 0; i < state.platform.size(); ++i) {
    state.platform[i] = static_cast<std::byte>(i * 3 + 1);
  }
  return state;
}

std::vector<Op> portOps(const Fake& fake) {
  std::vector<Op> ops;
  for (const Fake::Call& call : fake.calls()) {
    if (call.op != Op::sleep) ops.push_back(call.op);
  }
  return ops;
}

class OpenOnFake : public serial_test::FreshProcess {
 protected:
  OpenOnFake() {
    script.reported = someReportedState();
    serial_test::portMessages().clear();
  }
  ~OpenOnFake() override { comm::use(nullptr); }

  int open(int port, int baudRate) {
    fake.setScript(script);
    comm::use(&fake);
    return OpenComPort(port, baudRate);
  }

  Fake::Script script;
  Fake fake;
};

TEST_F(OpenOnFake, GivesThePortTheBaudRateEightDataBitsAndOneStopBitAndNothingElse) {
  EXPECT_EQ(open(0, 9600), 1);
  EXPECT_TRUE(serial_test::portMessages().empty());
  EXPECT_EQ(fake.openedName(), "COM1:");
  EXPECT_EQ(portOps(fake),
            (std::vector{Op::open, Op::getLineState, Op::setLineState, Op::createEvent}));
  const comm::LineState applied = fake.applied();
  EXPECT_EQ(applied.baudRate, 9600u);
  EXPECT_EQ(applied.byteSize, 8);
  EXPECT_EQ(applied.stopBits, comm::oneStopBit);
  EXPECT_EQ(applied.platform, script.reported.platform) << "parity, flow control etc. changed";
  EXPECT_EQ(ComPortState.handle.load(), script.openResult);
  EXPECT_EQ(ComPortState.transfer.event, script.eventResult);
}

struct NameCase {
  const char* label;
  int port;
  const char* deviceName;
};

void PrintTo(const NameCase& c, std::ostream* out) {
  *out << c.port;
}

class DeviceNames : public OpenOnFake, public ::testing::WithParamInterface<NameCase> {};

INSTANTIATE_TEST_SUITE_P(Ports, DeviceNames,
                         ::testing::Values(NameCase{"First", 0, "COM1:"},
                                           NameCase{"Eighth", 7, "COM8:"},
                                           NameCase{"MinusOne", -1, "COM ??? :"},
                                           NameCase{"Lowest", INT_MIN, "COM ??? :"},
                                           NameCase{"Highest", INT_MAX, "COM2147483648:"}),
                         [](const auto& param) { return std::string(param.param.label); });

TEST_P(DeviceNames, NameThePortOpenedAndTheCaptionOfItsFailure) {
  script.openResult = comm::invalidHandle;
  EXPECT_EQ(open(GetParam().port, 9600), 0);
  EXPECT_EQ(fake.openedName(), GetParam().deviceName);
  ASSERT_EQ(serial_test::portMessages().size(), 1u);
  const auto& message = serial_test::portMessages().front();
  EXPECT_EQ(message.text, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(message.caption, GetParam().deviceName);
  std::string name;
  ComPortName(name);
  EXPECT_EQ(name, GetParam().deviceName) << "the index is kept after a failed open";
  EXPECT_EQ(ComPortState.handle.load(), comm::invalidHandle);
}

struct Failure {
  const char* name;
  void (*arrange)(Fake::Script&);
  const char* message;
  std::vector<Op> ops;
  bool portKept;
  int result;
};

void PrintTo(const Failure& f, std::ostream* out) {
  *out << f.name;
}

class Failures : public OpenOnFake, public ::testing::WithParamInterface<Failure> {};

INSTANTIATE_TEST_SUITE_P(
    Steps, Failures,
    ::testing::Values(Failure{"OpenRefused",
                              [](Fake::Script& s) { s.openResult = comm::invalidHandle; },
                              "Schnittstelle nicht zu öffnen !",
                              {Op::open},
                              false,
                              0},
                      Failure{"StateUnreadable",
                              [](Fake::Script& s) { s.getLineStateResult = false; },
                              "Status nicht zu lesen !",
                              {Op::open, Op::getLineState},
                              true,
                              0},
                      Failure{"NoEvent",
                              [](Fake::Script& s) { s.eventResult = comm::noEvent; },
                              "Event nicht zu erzeugen !",
                              {Op::open, Op::getLineState, Op::setLineState, Op::createEvent},
                              true,
                              0},
                      Failure{"BaudRateRefused",
                              [](Fake::Script& s) { s.setLineStateResult = false; },
                              nullptr,
                              {Op::open, Op::getLineState, Op::setLineState, Op::createEvent},
                              true,
                              1}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_P(Failures, StopAtTheStepThatFailedAndSayWhich) {
  GetParam().arrange(script);
  EXPECT_EQ(open(2, 0), GetParam().result);
  EXPECT_EQ(portOps(fake), GetParam().ops);
  const auto& messages = serial_test::portMessages();
  if (GetParam().message) {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, GetParam().message);
    EXPECT_EQ(messages[0].caption, "COM3:");
  } else {
    EXPECT_TRUE(messages.empty());
  }
  // A port that opened stays open for the worker, whatever failed after.
  EXPECT_EQ(ComPortState.handle.load() != comm::invalidHandle, GetParam().portKept);
}

TEST_F(OpenOnFake, ASecondCallNamesThePortAlreadyOpenAndChangesNothing) {
  ASSERT_EQ(open(0, 9600), 1);
  const auto opsAfterFirst = portOps(fake);
  EXPECT_EQ(OpenComPort(4, 19200), 0);
  ASSERT_EQ(serial_test::portMessages().size(), 1u);
  EXPECT_EQ(serial_test::portMessages()[0].text, "Bereits geöffnet !");
  EXPECT_EQ(serial_test::portMessages()[0].caption, "COM1:");
  EXPECT_EQ(portOps(fake), opsAfterFirst) << "the open port was touched";
  EXPECT_EQ(fake.applied().baudRate, 9600u);
  std::string name;
  ComPortName(name);
  EXPECT_EQ(name, "COM1:");
}

TEST_F(OpenOnFake, AFailedOpenLeavesThePortClosedForTheNextAttempt) {
  script.openResult = comm::invalidHandle;
  ASSERT_EQ(open(0, 9600), 0);
  script.openResult = 11;
  EXPECT_EQ(open(5, 9600), 1);
  EXPECT_EQ(fake.openedName(), "COM6:");
  EXPECT_EQ(ComPortState.handle.load(), 11);
}

}  // namespace
