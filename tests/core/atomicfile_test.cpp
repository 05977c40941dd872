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
#include <string>
#include <vector>

#include "core/bytelines.h"
#include "error_of.h"
#include "files.h"
#include "tmpfs.h"

namespace {

namespace fs = std::filesystem;
using testsupport::errorOf;
using testsupport::namesIn;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::Tmpfs;
using testsupport::writeFile;
using Names = std::vector<std::string>;

const std::string kEarlier = "1\r\n2\r\n3\r\n";

std::string cannotCreate(const std::string& path) {
  return "Datei " + path + " kann nicht erstellt werden";
}

std::string saveManyLines(const std::string& path) {
  core::ByteLines list;
  for (int i = 0; i < 20000; ++i) list.add(static_cast<std::uint8_t>(i % 256));
  return errorOf([&] { list.saveToFile(path); });
}

class ReplaceFile : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(ReplaceFile, ReplacesOlderContentKeepingItsPermissions) {
  const std::string path = dir.file("Setup.txt");
  writeFile(path, std::string(100000, 'x'));
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path, mode);
  core::replaceFile(path, "65\r\n");
  EXPECT_EQ(readFile(path), "65\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, mode);
  EXPECT_EQ(namesIn(dir.path()), Names{"Setup.txt"});
}

TEST_F(ReplaceFile, FollowsSymbolicLinksAndKeepsThem) {
  fs::create_directory(dir.path() / "data");
  writeFile(dir.file("data/real.txt"), kEarlier);
  fs::create_symlink("data/real.txt", dir.path() / "hop.txt");
  fs::create_symlink(dir.path() / "hop.txt", dir.path() / "log.txt");
  fs::create_symlink("data/new.txt", dir.path() / "dangling.txt");
  core::replaceFile(dir.file("log.txt"), "255\r\n");
  core::replaceFile(dir.file("dangling.txt"), "0\r\n");
  for (const char* link : {"log.txt", "hop.txt", "dangling.txt"}) {
    EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
  }
  EXPECT_EQ(readFile(dir.file("data/real.txt")), "255\r\n");
  EXPECT_EQ(readFile(dir.file("data/new.txt")), "0\r\n");
  EXPECT_EQ(namesIn(dir.path() / "data"), (Names{"new.txt", "real.txt"}));
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
  EXPECT_EQ(namesIn(dir.path()), (Names{"folder", "loop-a", "loop-b"}));
  EXPECT_TRUE(fs::is_empty(dir.path() / "folder"));
}

// In a sticky folder anybody may write to (/tmp), a link planted by another user must not
// make the save replace a file of ours; the kernel's own rule says whose links count there.
TEST_F(ReplaceFile, FollowsLinksInSharedStickyFoldersOnlyAsTheKernelWould) {
  constexpr uid_t us = 0, other = 65534;
  if (::geteuid() != us) GTEST_SKIP() << "only root may give a link to another user";
  struct Case {
    const char* what;
    mode_t folderMode;
    uid_t folderOwner, linkOwner;
    bool followed;
  };
  const Case cases[] = {{"another user's link", 01777, us, other, false},
                        {"our own link", 01777, other, us, true},
                        {"the folder owner's link", 01777, other, other, true},
                        {"a folder that is not sticky", 0777, us, other, true}};
  const std::string mine = dir.file("mine.txt");
  const fs::path shared = dir.path() / "shared";
  for (const Case& c : cases) {
    writeFile(mine, kEarlier);
    fs::remove_all(shared);
    fs::create_directory(shared);
    fs::create_symlink(mine, shared / "log.txt");
    ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
    ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0), 0);
    ASSERT_EQ(::lchown((shared / "log.txt").c_str(), c.linkOwner, 0), 0);
    const std::string link = (shared / "log.txt").string();
    EXPECT_EQ(errorOf([&] { core::replaceFile(link, "1\r\n"); }),
              c.followed ? "(no error)" : cannotCreate(link))
        << c.what;
    EXPECT_EQ(readFile(mine), c.followed ? "1\r\n" : kEarlier) << c.what;
    EXPECT_TRUE(fs::is_symlink(shared / "log.txt")) << c.what;
  }
}

// A file that another program holds open exclusively shows on Linux as an flock.
TEST_F(ReplaceFile, RefusesFileLockedByAnotherProgramUntilReleased) {
  const std::string path = dir.file("Setup.txt");
  writeFile(path, kEarlier);
  const int holder = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  EXPECT_EQ(errorOf([&] { core::replaceFile(path, "neu\r\n"); }), cannotCreate(path));
  EXPECT_EQ(readFile(path), kEarlier);
  ::close(holder);
  core::replaceFile(path, "neu\r\n");
  EXPECT_EQ(readFile(path), "neu\r\n");
}

TEST_F(ReplaceFile, UnwritableFolderKeepsEarlierFile) {
  const std::string folder = dir.file("ro");
  Tmpfs disk(folder, 65536);  // root writes anywhere; only a read-only mount stops it
  if (::geteuid() == 0 && !disk.mounted()) GTEST_SKIP() << "root without the right to mount";
  const std::string path = folder + "/Setup.txt";
  writeFile(path, kEarlier);
  if (::geteuid() == 0) {
    ASSERT_TRUE(disk.setReadOnly(true));
  } else {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  }
  EXPECT_EQ(saveManyLines(path), cannotCreate(path));
  EXPECT_EQ(readFile(path), kEarlier);
  EXPECT_EQ(namesIn(folder), Names{"Setup.txt"});
}

// A tiny tmpfs fills up; where mounting is not allowed, a file size limit fails the
// writes the same way.
TEST_F(ReplaceFile, FullDiskRaisesWriteErrorAndKeepsEarlierFile) {
  const std::string folder = dir.file("disk");
  const Tmpfs disk(folder, 16384);
  const std::string path = folder + "/log.txt";
  writeFile(path, kEarlier);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = 4096;
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  const bool limited = !disk.mounted() && ::setrlimit(RLIMIT_FSIZE, &tight) == 0;
  const std::string error = saveManyLines(path);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);
  ASSERT_TRUE(disk.mounted() || limited) << "neither a tmpfs nor a file size limit";
  EXPECT_EQ(error, "Stream-Schreibfehler");
  EXPECT_EQ(readFile(path), kEarlier);
  EXPECT_EQ(namesIn(folder), Names{"log.txt"});
}

// Devices are made in the scratch folder, so that a fault can never replace the machine's
// own /dev/full or /dev/null. A FIFO that nobody reads must fail at once, not wait.
TEST_F(ReplaceFile, WritesDevicesInPlace) {
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorOf([&] { core::replaceFile(fifo, "1\r\n"); }), cannotCreate(fifo));
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
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_character_file(full));
  EXPECT_TRUE(fs::is_character_file(null));
  EXPECT_EQ(namesIn(dir.path()), (Names{"fifo", "full", "full-link", "null"}));
}

// A fallback save never takes the place of anything: a file, a folder or a link, dangling or
// not, keeps its name, and the new file takes the next free number.
TEST_F(ReplaceFile, ANewFileTakesTheNextFreeNameAndReplacesNothing) {
  writeFile(dir.file("log.txt"), kEarlier);
  fs::create_directory(dir.path() / "log-2.txt");
  fs::create_symlink("gone.txt", dir.path() / "log-3.txt");
  core::ByteLines lines;
  lines.add(65);
  lines.add(255);
  EXPECT_EQ(lines.saveAsNewFile(dir.file("log.txt")), dir.file("log-4.txt"));
  EXPECT_EQ(core::createNewFile(dir.file("log.txt"),
                                [](const core::PieceWriter& write) { return write("7\r\n"); }),
            dir.file("log-5.txt"));
  EXPECT_EQ(readFile(dir.file("log-4.txt")), "65\r\n255\r\n");
  EXPECT_EQ(readFile(dir.file("log-5.txt")), "7\r\n");
  EXPECT_EQ(readFile(dir.file("log.txt")), kEarlier);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "log-3.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "gone.txt"));
  EXPECT_EQ(namesIn(dir.path()),
            (Names{"log-2.txt", "log-3.txt", "log-4.txt", "log-5.txt", "log.txt"}));
  const std::string missing = dir.file("missing/log.txt");
  EXPECT_EQ(errorOf([&] { lines.saveAsNewFile(missing); }), cannotCreate(missing));
}

TEST(InsertBeforeExtension, GoesBeforeTheLastDotOfTheFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"d/log.txt", "d/log-2.txt"}, {"log", "log-2"},           {".profile", ".profile-2"},
      {"a.b/log", "a.b/log-2"},     {"x.tar.gz", "x.tar-2.gz"}, {"d/.x.txt", "d/.x-2.txt"}};
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(core::insertBeforeExtension(path, "-2"), expected) << path;
  }
}

}  // namespace
