// UUCP lock files: other programs' are read safely and honoured while their owner lives;
// ours is taken exclusively, replaces only a lock that holds nothing, and goes at a normal end.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "files.h"
#include "pty_device.h"
#include "serial/comm/uucp_lock.h"
#include "serial/sio.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using comm::LockClaim;
using serial_test::lockText;
using testsupport::readFile;
using testsupport::writeFile;

// The ID of a process that has ended (and been reaped), so no process has it for now.
pid_t deadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

bool isAlive(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// What a text reading of a binary process ID's first bytes would take for an ID.
pid_t digitsAtStart(pid_t pid) {
  pid_t number = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int byte = (pid >> shift) & 0xff;
    if (byte < '0' || byte > '9') break;
    number = number * 10 + (byte - '0');
  }
  return number;
}

// A live child whose process ID begins, as binary, with a digit that names no live process:
// read as text, its lock would look stale.
class ChildWithDigitLowByte {
 public:
  ChildWithDigitLowByte() {
    std::vector<pid_t> others;
    for (int tries = 0; tries < 2000 && pid_ == 0; ++tries) {
      const pid_t child = ::fork();
      if (child == 0) {
        ::pause();
        ::_exit(0);
      }
      const pid_t misread = digitsAtStart(child);
      (misread > 0 && !isAlive(misread) ? pid_ : others.emplace_back()) = child;
    }
    for (const pid_t other : others) stop(other);
  }
  ~ChildWithDigitLowByte() {
    if (pid_ != 0) stop(pid_);
  }
  pid_t pid() const { return pid_; }

 private:
  static void stop(pid_t child) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  pid_t pid_ = 0;
};

std::string asBinary(pid_t pid) {
  const std::int32_t value = pid;
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

class UucpLock : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory("lock");
    std::ofstream("ttyUSB0");
    fs::create_symlink("ttyUSB0", "COM1");  // found through the link, as /dev/serial/by-id is
    lockFile = comm::lockFileFor("COM1", "lock");
    ASSERT_EQ(lockFile, "lock/LCK..ttyUSB0");
  }

  testsupport::StartDir directory;
  std::string lockFile;
};

using Plant = std::function<void(const std::string& lockFile)>;

Plant content(const std::string& bytes) {
  return [bytes](const std::string& file) { writeFile(file, bytes); };
}

TEST_F(UucpLock, HoldsOnlyWhileItsOwnerLivesAndNeverHangsOrFollowsALink) {
  const ChildWithDigitLowByte alive;
  ASSERT_NE(alive.pid(), 0) << "no child whose ID begins with a digit";
  // 0x400031 lies beyond the largest process ID Linux gives; its text reading is process 1.
  const pid_t deadBeginningWithOne = 0x400031;
  struct Case {
    const char* what;
    Plant plant;
    bool locked;
  };
  const Case cases[] = {
      {"text, owner alive", content(lockText(alive.pid())), true},
      {"text with CR LF", content("  " + std::to_string(alive.pid()) + "\r\n"), true},
      {"text, owner dead", content(lockText(deadProcess())), false},
      {"our own", content(lockText(::getpid())), false},
      {"no process ID", content("junk\n"), false},
      {"binary, low byte a digit, owner alive", content(asBinary(alive.pid())), true},
      {"binary, low byte a digit, owner dead", content(asBinary(deadBeginningWithOne)), false},
      {"huge", content(std::string(1 << 20, ' ') + lockText(alive.pid())), false},
      {"FIFO", [](const std::string& file) { ::mkfifo(file.c_str(), 0644); }, false},
      {"link to a device", [](const std::string& f) { fs::create_symlink("/dev/zero", f); }, false},
      {"link to a live lock",
       [&](const std::string& file) {
         writeFile("elsewhere", lockText(alive.pid()));
         fs::create_symlink(fs::absolute("elsewhere"), file);
       },
       false}};
  EXPECT_FALSE(comm::heldByAnotherProgram(lockFile)) << "no lock file";
  for (const Case& c : cases) {
    fs::remove(lockFile);
    c.plant(lockFile);
    EXPECT_EQ(comm::heldByAnotherProgram(lockFile), c.locked) << c.what;
  }
}

TEST_F(UucpLock, OursIsTakenOnlyWhereNoLiveProgramHoldsOne) {
  struct Case {
    const char* what;
    Plant plant;
    LockClaim claim;
  };
  const Case cases[] = {
      {"none yet", [](const std::string&) {}, LockClaim::taken},
      {"stale", content(lockText(deadProcess())), LockClaim::taken},
      {"not a lock", content("junk"), LockClaim::taken},
      {"FIFO", [](const std::string& f) { ::mkfifo(f.c_str(), 0644); }, LockClaim::taken},
      {"held", content(lockText(::getppid())), LockClaim::heldByAnother}};
  for (const Case& c : cases) {
    fs::remove(lockFile);
    c.plant(lockFile);
    EXPECT_EQ(comm::claimLock(lockFile), c.claim) << c.what;
    const std::string expected =
        c.claim == LockClaim::taken ? lockText(::getpid()) : lockText(::getppid());
    EXPECT_EQ(readFile(lockFile), expected) << c.what;
    EXPECT_EQ(fs::status(lockFile).permissions(), fs::perms(0644)) << c.what;
    comm::releaseLock(lockFile);
    EXPECT_EQ(fs::exists(lockFile), c.claim != LockClaim::taken) << c.what;
  }
  EXPECT_EQ(comm::claimLock("missing/LCK..ttyUSB0"), LockClaim::noLock);
  EXPECT_EQ(std::distance(fs::directory_iterator("lock"), {}), 1) << "a temporary file left";
}

// A lock left by a crash names a process that is gone, so it holds nothing.
TEST_F(UucpLock, GoesAtANormalEndAndIsStaleAfterACrash) {
  for (const bool crash : {false, true}) {
    const pid_t child = ::fork();
    if (child == 0) {
      const bool taken = comm::claimLock(lockFile) == LockClaim::taken;
      if (crash) ::abort();
      std::exit(taken ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(fs::exists(lockFile), crash) << "crash: " << crash;
    EXPECT_FALSE(comm::heldByAnotherProgram(lockFile)) << "crash: " << crash;
  }
  EXPECT_EQ(comm::claimLock(lockFile), LockClaim::taken);
}

// In the system's own lock folder, where terminal programs put their locks.
class LockedPort : public serial_test::FreshProcess {
 protected:
  void SetUp() override {
    FreshProcess::SetUp();
    terminal.linkAs("COM1");
    lockFile = comm::lockFileFor(terminal.slaveName());
    std::error_code error;
    if (fs::exists(lockFile, error) || ::access(comm::uucpLockDirectory, W_OK) != 0) {
      GTEST_SKIP() << "cannot place a lock file in " << comm::uucpLockDirectory;
    }
    serial_test::portMessages().clear();
  }
  void TearDown() override { fs::remove(lockFile); }

  testsupport::StartDir directory;
  testsupport::PtyDevice terminal;
  std::string lockFile;
};

TEST_F(LockedPort, IsRefusedWhileAnotherProgramHoldsIt) {
  writeFile(lockFile, lockText(::getppid()));
  EXPECT_EQ(OpenComPort(0, 9600), 0);
  ASSERT_EQ(serial_test::portMessages().size(), 1u);
  EXPECT_EQ(serial_test::portMessages()[0].text, "Schnittstelle nicht zu öffnen !");
  EXPECT_EQ(readFile(lockFile), lockText(::getppid()));
}

TEST_F(LockedPort, OpensWhenTheLockIsStaleAndHoldsItsOwn) {
  writeFile(lockFile, lockText(deadProcess()));
  EXPECT_EQ(OpenComPort(0, 9600), 1);
  EXPECT_TRUE(serial_test::portMessages().empty());
  EXPECT_EQ(readFile(lockFile), lockText(::getpid()));
}

}  // namespace
