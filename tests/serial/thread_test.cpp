#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "error_of.h"
#include "eventually.h"
#include "serial/sio.h"
#include "serial/thread.h"

namespace {

class Probe final : public TThread {
 public:
  explicit Probe(bool createSuspended) : TThread(createSuspended) { AfterConstruction(); }
  ~Probe() override { WaitFor(); }

  std::atomic<int> executed{0};
  std::atomic<bool> terminatedAfterExecute{false};
  std::thread::id ranOn;

 protected:
  void Execute() override {
    ranOn = std::this_thread::get_id();
    executed.fetch_add(1);
  }
  void DoTerminate() override { terminatedAfterExecute = executed.load() == 1; }
};

TEST(Thread, RunsExecuteOnItsOwnThreadAtOnceWhenNotSuspended) {
  Probe probe(false);
  ASSERT_TRUE(testsupport::eventually([&] { return probe.terminatedAfterExecute.load(); }));
  EXPECT_EQ(probe.executed.load(), 1);
  EXPECT_NE(probe.ranOn, std::this_thread::get_id());
}

TEST(Thread, CreatedSuspendedRunsOnlyOnceStarted) {
  {
    Probe idle(true);  // destruction waits for any thread, so a started one would have run
    EXPECT_EQ(idle.executed.load(), 0);
  }
  int executed = 0;
  {
    Probe started(true);
    started.Start();
    started.Start();  // a second start does not run Execute again
    ASSERT_TRUE(testsupport::eventually([&] { return started.executed.load() > 0; }));
    executed = started.executed.load();
  }
  EXPECT_EQ(executed, 1);
}

// No room for a thread's stack: the system refuses the thread.
class NoRoomForThreads {
 public:
  NoRoomForThreads() {
    pthread_getattr_default_np(&saved_);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t{1} << 46);
    pthread_setattr_default_np(&huge);
    pthread_attr_destroy(&huge);
  }
  ~NoRoomForThreads() {
    pthread_setattr_default_np(&saved_);
    pthread_attr_destroy(&saved_);
  }

 private:
  pthread_attr_t saved_;
};

TEST(Thread, AThreadTheSystemRefusesRaisesTheCreationError) {
  NoRoomForThreads refusal;
  const std::string text = testsupport::errorOf([] { Probe probe(false); });
  const std::string prefix = "Fehler beim Erzeugen des Thread: ";
  EXPECT_TRUE(text.starts_with(prefix)) << text;
  EXPECT_GT(text.size(), prefix.size()) << "the system's error text is missing";
}

}  // namespace
