// Other programs' UUCP lock files: a live owner keeps the port, a dead one does not.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "files.h"
#include "pty_device.h"
#include "serial/comm/uucp_lock.h"
#include "serial/sio.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::writeFile;

// The ID of a process that has ended (and been reaped), so no process has it for now.
pid_t deadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

std::string asText(pid_t pid) {
  std::string text = std::to_string(pid);
  return std::string(10 - std::min<std::size_t>(10, text.size()), ' ') + text + "\n";
}

std::string asBinary(pid_t pid) {
  const std::int32_t value = pid;
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(UucpLock, HoldsOnlyWhileItsOwnerLives) {
  testsupport::StartDir directory;
  fs::create_directory("lock");
  std::ofstream("ttyUSB0");
  fs::create_symlink("ttyUSB0", "COM1");  // found through the link, as /dev/serial/by-id is
  const pid_t alive = ::getppid();
  struct Case {
    const char* what;
    std::string content;
    bool locked;
  };
  const Case cases[] = {{"text, owner alive", asText(alive), true},
                        {"binary, owner alive", asBinary(alive), true},
                        {"text, owner dead", asText(deadProcess()), false},
                        {"our own", asText(::getpid()), false},
                        {"no process ID", "junk\n", false}};
  EXPECT_FALSE(comm::lockedByAnotherProgram("COM1", "lock")) << "no lock file";
  for (const Case& c : cases) {
    writeFile("lock/LCK..ttyUSB0", c.content);
    EXPECT_EQ(comm::lockedByAnotherProgram("COM1", "lock"), c.locked) << c.what;
  }
}

// In the system's own lock folder, where terminal programs put their locks.
class LockedPort : public serial_test::FreshProcess {
 protected:
  void SetUp() override {
    FreshProcess::SetUp();
    terminal.linkAs("COM1");
    lockFile = fs::path(comm::uucpLockDirectory) /
               ("LCK.." + fs::path(terminal.slaveName()).filename().string());
    std::error_code error;
    if (fs::exists(lockFile, error) || ::access(comm::uucpLockDirectory, W_OK) != 0) {
      GTEST_SKIP() << "cannot place a lock file in " << comm::uucpLockDirectory;
    }
    serial_test::portMessages().clear();
  }
  void TearDown() override { fs::remove(lockFile); }

  testsupport::StartDir directory;
  testsupport::PtyDevice terminal;
  fs::path lockFile;
};

TEST_F(LockedPort, IsRefusedWhileAnotherProgramHoldsIt) {
  writeFile(lockFile, asText(::getppid()));
  EXPECT_EQ(OpenComPort(0, 9600), 0);
  ASSERT_EQ(serial_test::portMessages().size(), 1u);
  EXPECT_EQ(serial_test::portMessages()[0].text, "Schnittstelle nicht zu öffnen !");
}

TEST_F(LockedPort, OpensWhenTheLockIsStale) {
  writeFile(lockFile, asText(deadProcess()));
  EXPECT_EQ(OpenComPort(0, 9600), 1);
  EXPECT_TRUE(serial_test::portMessages().empty());
}

}  // namespace
