#include "core/atomicfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/stringlist.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using core::testing::namesIn;
using core::testing::readBytes;
using core::testing::ScratchDir;
using core::testing::TinyDisk;
using core::testing::writeBytes;
using Names = std::vector<std::string>;

const std::string kEarlier = "1\r\n2\r\n3\r\n";

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::Error& error) {
    return error.what();
  }
  return "(no error)";
}

std::string cannotCreate(const std::string& path) {
  return "Datei " + path + " kann nicht erstellt werden";
}

core::StringList manyLines(int count) {
  core::StringList list;
  for (int i = 0; i < count; ++i) list.addDecimal(i % 256);
  return list;
}

class ReplaceFile : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(ReplaceFile, ReplacesOlderContentAndLeavesNoTemporaryFile) {
  const std::string path = dir.file("log.txt");
  writeBytes(path, std::string(100000, 'x'));
  core::replaceFile(path, "65\r\n");
  EXPECT_EQ(readBytes(path), "65\r\n");
  EXPECT_EQ(dir.names(), Names{"log.txt"});
}

TEST_F(ReplaceFile, KeepsThePermissionsOfTheReplacedFile) {
  const std::string path = dir.file("Setup.txt");
  writeBytes(path, kEarlier);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  core::replaceFile(path, "neu\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ReplaceFile, FollowsSymbolicLinksAndKeepsThem) {
  fs::create_directory(dir.path() / "data");
  writeBytes(dir.file("data/real.txt"), kEarlier);
  fs::create_symlink("data/real.txt", dir.path() / "hop.txt");         // relative link
  fs::create_symlink(dir.path() / "hop.txt", dir.path() / "log.txt");  // absolute link to a link
  core::replaceFile(dir.file("log.txt"), "255\r\n");
  EXPECT_TRUE(fs::is_symlink(dir.path() / "log.txt"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "hop.txt"));
  EXPECT_EQ(readBytes(dir.file("data/real.txt")), "255\r\n");
  EXPECT_EQ(dir.names(), (Names{"data", "hop.txt", "log.txt"}));
  EXPECT_EQ(fs::directory_iterator(dir.path() / "data")->path().filename(), "real.txt");
}

TEST_F(ReplaceFile, CreatesTheFileADanglingLinkNames) {
  fs::create_symlink("new.txt", dir.path() / "log.txt");
  core::replaceFile(dir.file("log.txt"), "1\r\n");
  EXPECT_TRUE(fs::is_symlink(dir.path() / "log.txt"));
  EXPECT_EQ(readBytes(dir.file("new.txt")), "1\r\n");
}

TEST_F(ReplaceFile, RefusesTargetsThatCannotBeCreated) {
  fs::create_directory(dir.path() / "folder");
  fs::create_symlink("loop-b", dir.path() / "loop-a");
  fs::create_symlink("loop-a", dir.path() / "loop-b");
  const Names paths = {"", dir.file("folder"), dir.file("folder/"), dir.file("missing/log.txt"),
                       dir.file("loop-a")};
  for (const auto& path : paths) {
    EXPECT_EQ(errorOf([&] { core::replaceFile(path, "1\r\n"); }), cannotCreate(path));
  }
  EXPECT_EQ(dir.names(), (Names{"folder", "loop-a", "loop-b"}));
  EXPECT_TRUE(fs::is_empty(dir.path() / "folder"));
}

// A file that another program holds open exclusively shows on Linux as an flock.
TEST_F(ReplaceFile, RefusesFileLockedByAnotherProgramUntilReleased) {
  const std::string path = dir.file("Setup.txt");
  writeBytes(path, kEarlier);
  const int holder = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  EXPECT_EQ(errorOf([&] { core::replaceFile(path, "neu\r\n"); }), cannotCreate(path));
  EXPECT_EQ(readBytes(path), kEarlier);
  ::close(holder);
  core::replaceFile(path, "neu\r\n");
  EXPECT_EQ(readBytes(path), "neu\r\n");
}

TEST_F(ReplaceFile, UnwritableFolderKeepsEarlierFile) {
  const std::string folder = dir.file("ro");
  TinyDisk disk(folder, 65536);  // root writes anywhere; only a read-only mount stops it
  if (::geteuid() == 0 && !disk.isMounted()) GTEST_SKIP() << "root without the right to mount";
  const std::string path = folder + "/Setup.txt";
  writeBytes(path, kEarlier);
  if (::geteuid() == 0) {
    ASSERT_TRUE(disk.makeReadOnly());
  } else {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  }
  EXPECT_EQ(errorOf([&] { manyLines(3).saveToFile(path); }), cannotCreate(path));
  EXPECT_EQ(readBytes(path), kEarlier);
  EXPECT_EQ(namesIn(folder), Names{fs::path(path).filename().string()});
}

TEST_F(ReplaceFile, FullDiskRaisesWriteErrorAndKeepsEarlierFile) {
  const std::string folder = dir.file("disk");
  const TinyDisk disk(folder, 16384);
  if (!disk.isMounted()) GTEST_SKIP() << "no right to mount a tmpfs";
  const std::string path = folder + "/log.txt";
  writeBytes(path, kEarlier);
  EXPECT_EQ(errorOf([&] { manyLines(20000).saveToFile(path); }), "Stream-Schreibfehler");
  EXPECT_EQ(readBytes(path), kEarlier);
  EXPECT_EQ(namesIn(folder), Names{fs::path(path).filename().string()});
}

// A file size limit fails writes the way a full disk does, without needing to mount.
TEST_F(ReplaceFile, FileSizeLimitRaisesWriteErrorAndKeepsEarlierFile) {
  const std::string path = dir.file("log.txt");
  writeBytes(path, kEarlier);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = 4096;
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  const std::string error = errorOf([&] { manyLines(20000).saveToFile(path); });
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(error, "Stream-Schreibfehler");
  EXPECT_EQ(readBytes(path), kEarlier);
  EXPECT_EQ(dir.names(), Names{"log.txt"});
}

// Devices are made here, in the scratch folder, so that a fault can never replace the
// machine's own /dev/full or /dev/null.
TEST_F(ReplaceFile, WritesDevicesInPlace) {
  const std::string full = dir.file("full");
  const std::string null = dir.file("null");
  if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0 ||
      ::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "no right to make device nodes";
  }
  fs::create_symlink(full, dir.path() / "full-link");
  EXPECT_EQ(errorOf([&] { core::replaceFile(dir.file("full-link"), "1\r\n"); }),
            "Stream-Schreibfehler");
  EXPECT_EQ(errorOf([&] { core::replaceFile(null, "1\r\n"); }), "(no error)");
  EXPECT_TRUE(fs::is_character_file(full));
  EXPECT_TRUE(fs::is_character_file(null));
  EXPECT_EQ(dir.names(), (Names{"full", "full-link", "null"}));
}

// Nobody reads the FIFO: the save must fail at once rather than wait for a reader.
TEST_F(ReplaceFile, FifoWithoutReaderCannotBeCreated) {
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorOf([&] { core::replaceFile(fifo, "1\r\n"); }), cannotCreate(fifo));
  EXPECT_TRUE(fs::is_fifo(fifo));
}

}  // namespace
