// The worker's passes on the scripted port. hold() parks the worker in its sleep, so a test
// can set up a pass exactly; passes are told apart by the sleeps in the call record. The
// reopening of an unplugged device runs Line's passes directly, on a clock the test sets.
#include <gtest/gtest.h>

#include <algorithm>

#include "eventually.h"
#include "serial/comm/fake.h"
#include "serial/line.h"
#include "serial/queues.h"
#include "serial/sio.h"
#include "support.h"

namespace {

using comm::Fake;
using sio::Line;
using Op = Fake::Op;
using serial_test::collectRx;
using serial_test::counting;
using serial_test::putTx;
using Bytes = std::vector<std::uint8_t>;

// The calls of each pass from the given call onwards, one vector per pass; `first` is a
// call count taken while the worker was held in its sleep, so passes[0] is the next pass.
std::vector<std::vector<Fake::Call>> passesFrom(const Fake& fake, std::size_t first) {
  std::vector<std::vector<Fake::Call>> passes(1);
  const auto calls = fake.calls();
  for (std::size_t i = first; i < calls.size(); ++i) {
    if (calls[i].op == Op::sleep) {
      passes.emplace_back();
    } else {
      passes.back().push_back(calls[i]);
    }
  }
  return passes;
}

std::size_t countOf(const std::vector<Fake::Call>& calls, Op op) {
  return static_cast<std::size_t>(
      std::count_if(calls.begin(), calls.end(), [&](const Fake::Call& c) { return c.op == op; }));
}

class WorkerOnFake : public serial_test::FreshProcess {
 protected:
  WorkerOnFake() { comm::use(&fake); }
  ~WorkerOnFake() override {
    fake.release();
    SioStop = 1;
    delete SioThread;
    SioThread = nullptr;
    comm::use(nullptr);
  }

  void startWorker() { SioThread = new TSio(false); }
  void startWorkerOnOpenPort() {
    startWorker();
    ASSERT_EQ(OpenComPort(0, 9600), 1);
  }
  // Waits for `passes` more passes of the worker.
  void waitPasses(std::size_t passes) { ASSERT_TRUE(fake.waitForSleeps(fake.sleeps() + passes)); }

  Fake fake;
};

TEST_F(WorkerOnFake, ReadsWaitingBytesInOnePassThatSendsNothing) {
  startWorkerOnOpenPort();
  ASSERT_TRUE(fake.hold());
  const Bytes arriving = {0x31, 0x00, 0xFF, 0x0D, 0x0A};
  fake.deliver(arriving);
  TxPut(0x41);
  const std::size_t mark = fake.calls().size();
  fake.release();
  waitPasses(3);
  EXPECT_EQ(collectRx(5), arriving);
  EXPECT_EQ(RxGet(), -1);
  const auto passes = passesFrom(fake, mark);
  ASSERT_GE(passes.size(), 2u);
  EXPECT_EQ(countOf(passes[0], Op::read), 1u);
  EXPECT_EQ(countOf(passes[0], Op::write), 0u) << "sent in a pass that received";
  EXPECT_EQ(countOf(passes[1], Op::write), 1u) << "the queued byte did not go out next";
  EXPECT_EQ(fake.writes(), std::vector<Bytes>{{0x41}});
}

struct SendCase {
  std::size_t queued;
  std::vector<std::size_t> writes;
};

void PrintTo(const SendCase& c, std::ostream* out) {
  *out << c.queued << " bytes";
}

class Sending : public WorkerOnFake, public ::testing::WithParamInterface<SendCase> {};

INSTANTIATE_TEST_SUITE_P(Counts, Sending,
                         ::testing::Values(SendCase{1, {1}}, SendCase{1000, {1000}},
                                           SendCase{1500, {1000, 500}},
                                           SendCase{2001, {1000, 1000, 1}}),
                         [](const auto& param) {
                           return "Bytes" + std::to_string(param.param.queued);
                         });

TEST_P(Sending, WritesAtMostAThousandQueuedBytesPerPassInOrder) {
  startWorkerOnOpenPort();
  ASSERT_TRUE(fake.hold());
  const Bytes queued = counting(GetParam().queued);
  putTx(queued);
  fake.release();
  std::vector<std::size_t> sizes;
  Bytes sent;
  ASSERT_TRUE(testsupport::eventually([&] {
    sizes.clear();
    sent.clear();
    for (const Bytes& write : fake.writes()) {
      sizes.push_back(write.size());
      sent.insert(sent.end(), write.begin(), write.end());
    }
    return sent.size() >= queued.size();
  }));
  EXPECT_EQ(sizes, GetParam().writes);
  EXPECT_EQ(sent, queued);
}

TEST_F(WorkerOnFake, LeavesWhatIsBeyondAThousandInThePortForTheNextPass) {
  startWorkerOnOpenPort();
  ASSERT_TRUE(fake.hold());
  const Bytes arriving = counting(2500);
  fake.deliver(arriving);
  fake.release();
  EXPECT_EQ(collectRx(arriving.size()), arriving);
  std::vector<std::uint32_t> reads;
  for (const Fake::Call& call : fake.calls()) {
    if (call.op == Op::read) reads.push_back(call.count);
  }
  EXPECT_EQ(reads, (std::vector<std::uint32_t>{1000, 1000, 500}));
}

TEST_F(WorkerOnFake, SendsNothingWhileTheDeviceKeepsSending) {
  startWorkerOnOpenPort();
  fake.setStreaming(true);
  TxPut(0x41);
  waitPasses(50);
  EXPECT_TRUE(fake.writes().empty()) << "sent while bytes were arriving";
  fake.setStreaming(false);
  ASSERT_TRUE(testsupport::eventually([&] { return !fake.writes().empty(); }));
  EXPECT_EQ(fake.writes(), std::vector<Bytes>{{0x41}});
  const Bytes streamed = collectRx(50);
  for (std::size_t i = 0; i < streamed.size(); ++i) ASSERT_EQ(streamed[i], i % 256);
}

TEST_F(WorkerOnFake, NeverTouchesAPortThatDidNotOpen) {
  Fake::Script script;
  script.openResult = comm::invalidHandle;
  fake.setScript(script);
  startWorker();
  EXPECT_EQ(OpenComPort(0, 9600), 0);
  TxPut(0x41);
  waitPasses(30);
  for (const Fake::Call& call : fake.calls()) {
    EXPECT_TRUE(call.op == Op::sleep || call.op == Op::open) << static_cast<int>(call.op);
  }
  EXPECT_EQ(TxGet(), 0x41) << "the queued byte should still wait";
}

TEST_F(WorkerOnFake, SeesThePortOnlyOnceItIsConfigured) {
  Fake::Script script;
  // While OpenComPort is half done, give the worker plenty of passes to notice the port.
  script.whileCreatingEvent = [&] { ASSERT_TRUE(fake.waitForSleeps(fake.sleeps() + 20)); };
  fake.setScript(script);
  startWorkerOnOpenPort();
  waitPasses(5);
  const auto calls = fake.calls();
  const auto eventAt = std::find_if(calls.begin(), calls.end(),
                                    [](const Fake::Call& c) { return c.op == Op::createEvent; });
  const auto firstPoll = std::find_if(calls.begin(), calls.end(),
                                      [](const Fake::Call& c) { return c.op == Op::waitingBytes; });
  ASSERT_NE(firstPoll, calls.end()) << "the worker never used the port";
  EXPECT_LT(eventAt, firstPoll) << "the worker used the port before it was configured";
}

TEST_F(WorkerOnFake, APassWhoseWaitingCountFailsSendsInstead) {
  Fake::Script script;
  script.waitingBytesResult = false;
  fake.setScript(script);
  startWorkerOnOpenPort();
  fake.deliver(Bytes{7});
  TxPut(0xFF);
  ASSERT_TRUE(testsupport::eventually([&] { return !fake.writes().empty(); }));
  EXPECT_EQ(fake.writes(), std::vector<Bytes>{{0xFF}});
  EXPECT_EQ(countOf(fake.calls(), Op::read), 0u);
}

// A line that takes only a few bytes at a time (a slow line, a held handshake): the rest
// waits for later send passes, goes out whole and in order, and receiving goes on between.
TEST_F(WorkerOnFake, BytesTheLineCannotTakeYetWaitWithoutStoppingReception) {
  Fake::Script script;
  script.writeTakes = 300;
  fake.setScript(script);
  startWorkerOnOpenPort();
  ASSERT_TRUE(fake.hold());
  const Bytes queued = counting(1000);
  putTx(queued);
  fake.release();
  ASSERT_TRUE(testsupport::eventually([&] { return fake.writes().size() >= 2; }));
  const Bytes arriving = {1, 2, 3};
  fake.deliver(arriving);
  EXPECT_EQ(collectRx(arriving.size()), arriving);
  ASSERT_TRUE(testsupport::eventually([&] { return fake.writes().size() >= 4; }));
  Bytes sent;
  for (const Bytes& write : fake.writes()) sent.insert(sent.end(), write.begin(), write.end());
  EXPECT_EQ(sent, queued);
  EXPECT_EQ(fake.writes().back().size(), 100u);
}

// Line's passes run directly on the test thread, on a clock the test sets: an unplugged
// device costs no real waiting.
std::uint32_t testNowMs = 0;
std::uint32_t testClock() {
  return testNowMs;
}

class LineOnFake : public ::testing::Test {
 protected:
  LineOnFake() { testNowMs = 0; }
  // The device is unplugged: the next call fails and finds it gone, and opening fails.
  void unplug() {
    Fake::Script gone;
    gone.waitingBytesResult = false;
    gone.goneResult = true;
    gone.openResult = comm::invalidHandle;
    fake.setScript(gone);
  }
  void replug() { fake.setScript(Fake::Script{}); }
  std::size_t count(Op op) const { return countOf(fake.calls(), op); }

  Fake fake;
  Line line{{5, true}, "COM1:", 9600, testClock};
};

// Across the clock's wrap, so that the interval is measured as an unsigned difference.
TEST_F(LineOnFake, ReopensTheSamePortEveryReopenIntervalOfItsClock) {
  const std::uint32_t lostAt = UINT32_MAX - 700;
  testNowMs = lostAt;
  unplug();
  line.pass(fake);
  ASSERT_EQ(count(Op::close), 1u) << "the dead port was not closed at once";
  std::vector<std::uint32_t> attempts;
  for (std::uint32_t ms = 1; ms <= 1500; ++ms) {
    testNowMs = lostAt + ms;
    if (ms == 1200) replug();
    const std::size_t opens = count(Op::open);
    line.pass(fake);
    if (count(Op::open) > opens) attempts.push_back(ms);
  }
  EXPECT_EQ(attempts, (std::vector<std::uint32_t>{500, 1000, 1500}));
  EXPECT_EQ(fake.openedName(), "COM1:");
  EXPECT_EQ(fake.applied().baudRate, 9600u);
  EXPECT_EQ(count(Op::createEvent), 0u);
  line.pass(fake);
  EXPECT_EQ(count(Op::waitingBytes), 2u) << "the reopened port is not polled";
}

// A request made while the device is gone, even right before the pass that finds it back,
// is dropped like a failed write's bytes; the next one goes out.
TEST_F(LineOnFake, DropsWhatIsQueuedWhileTheDeviceIsGone) {
  TxPut(0x41);  // the pass finds the device gone before it sends
  unplug();
  line.pass(fake);
  ASSERT_EQ(count(Op::close), 1u);
  putTx(counting(2500));
  replug();
  testNowMs = Line::reopenIntervalMs;
  line.pass(fake);
  ASSERT_EQ(count(Op::setLineState), 1u) << "not reopened";
  for (int i = 0; i < 5; ++i) line.pass(fake);
  EXPECT_TRUE(fake.writes().empty()) << "a request made while the device was gone went out";
  TxPut(0x42);
  line.pass(fake);
  EXPECT_EQ(fake.writes(), std::vector<Bytes>{{0x42}});
}

// A port that opened but could not be configured is no device that went away: whatever its
// calls report, it stays open and polled for the run, and nothing is opened in its place.
TEST_F(LineOnFake, NeverLetsGoOfAPortThatWasNotConfigured) {
  Line unconfigured{{5, false}, "COM1:", 9600, testClock};
  unplug();
  for (testNowMs = 0; testNowMs <= 2 * Line::reopenIntervalMs; testNowMs += 100) {
    unconfigured.pass(fake);
  }
  EXPECT_EQ(count(Op::close), 0u);
  EXPECT_EQ(count(Op::open), 0u);
  EXPECT_EQ(count(Op::waitingBytes), 11u);
}

}  // namespace
