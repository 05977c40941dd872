#include "core/stringlist.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "core/decimal.h"
#include "error_of.h"
#include "files.h"

namespace {

using testsupport::errorOf;
using testsupport::namesIn;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Lines = std::vector<std::string>;

Lines linesOf(const core::StringList& list) {
  Lines lines;
  for (int i = 0; i < list.count(); ++i) lines.emplace_back(list.at(i));
  return lines;
}

core::StringList listOf(const Lines& lines) {
  core::StringList list;
  for (const auto& line : lines) list.add(line);
  return list;
}

// Lines of every length fill chunk after chunk; a long line gets a chunk of its own.
TEST(StringList, GivesBackEveryLineAsAddedAcrossManyChunks) {
  Lines lines = {"", "  Müller  ", "a\rb", "x\ny", "\x80\xA0\xE4\xFF"};
  for (int i = 0; i < 30000; ++i) {
    lines.push_back(std::string(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26)));
  }
  lines.insert(lines.begin() + 20000, std::string(3u << 20, 'L'));
  lines.insert(lines.begin() + 20001, "");
  EXPECT_EQ(linesOf(listOf(lines)), lines);
}

TEST(StringList, ClearedListStartsAfresh) {
  core::StringList list = listOf({"alt", "älter"});
  list.clear();
  EXPECT_EQ(list.count(), 0);
  list.add("neu");
  EXPECT_EQ(linesOf(list), Lines{"neu"});
}

TEST(StringList, IndexOutsideTheListRaisesIndexErrorWithIt) {
  const core::StringList five = listOf({"1", "2", "3", "4", "5"});
  const std::vector<std::pair<int, std::string>> cases = {
      {5, "(5)"}, {6, "(6)"}, {-1, "(-1)"}, {INT_MIN, "(-2147483648)"}, {INT_MAX, "(2147483647)"}};
  for (const auto& [index, number] : cases) {
    EXPECT_EQ(errorOf([&, at = index] { five.at(at); }),
              "Listenindex überschreitet das Maximum " + number);
  }
  EXPECT_EQ(errorOf([] { core::StringList().at(0); }), "Listenindex überschreitet das Maximum (0)");
}

struct LoadCase {
  std::string name;
  std::string bytes;
  Lines lines;
};

const std::vector<LoadCase>& loadCases() {
  static const std::vector<LoadCase> cases = {
      {"crlf", "a\r\nb\r\n", {"a", "b"}},
      {"lone cr", "a\rb\r", {"a", "b"}},
      {"lone lf", "a\nb\n", {"a", "b"}},
      {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"one line with end", "a\r\n", {"a"}},
      {"empty second line", "a\r\n\r\n", {"a", ""}},
      {"lf then cr", "a\n\rb", {"a", "", "b"}},
      {"last line without end", "0\r\n500", {"0", "500"}},
      {"only a line end", "\r\n", {""}},
      {"empty file", "", {}},
      {"nul ends the text", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
      {"nul after cr", std::string("ab\r\0\ncd", 7), {"ab"}},
      {"nul first", std::string("\0abc", 4), {}},
      {"high bytes unchanged", "\x80\xE4\xFF\r\n\xA0", {"\x80\xE4\xFF", "\xA0"}},
      {"blanks and tabs kept", " 120 \r\n\t", {" 120 ", "\t"}},
  };
  return cases;
}

TEST(StringListLoad, SplitsAtEveryKindOfLineEnd) {
  const TempDir dir;
  for (const auto& c : loadCases()) {
    const std::string path = dir.file("Setup.txt");
    writeFile(path, c.bytes);
    core::StringList list = listOf({"old"});
    list.loadFromFile(path);
    EXPECT_EQ(linesOf(list), c.lines) << c.name;
  }
}

TEST(StringListLoad, UnreadableFileRaisesOpenErrorAndKeepsTheList) {
  const TempDir dir;
  const std::string locked = dir.file("locked.txt");
  writeFile(locked, "1\r\n");
  const int holder = ::open(locked.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  const std::vector<std::string> paths = {dir.file("missing.txt"), dir.path().string(), locked,
                                          dir.file("no folder/Setup.txt")};
  for (const auto& path : paths) {
    core::StringList list = listOf({"kept"});
    EXPECT_EQ(errorOf([&] { list.loadFromFile(path); }),
              "Datei " + path + " kann nicht geöffnet werden");
    EXPECT_EQ(linesOf(list), Lines{"kept"}) << path;
  }
  ::close(holder);
}

TEST(StringListSave, WritesEveryLineWithCrLf) {
  const TempDir dir;
  const std::string path = dir.file("log.txt");
  listOf({"65", "", "255"}).saveToFile(path);
  EXPECT_EQ(readFile(path), "65\r\n\r\n255\r\n");
}

TEST(StringListSave, KeepsBytesAndLinesThroughSaveAndLoad) {
  const TempDir dir;
  const std::string path = dir.file("Setup.txt");
  const Lines lines = {"0", "", "-20", "C:\\Messung\\Müller \xE4\xFF.txt", " 120"};
  listOf(lines).saveToFile(path);
  core::StringList loaded;
  loaded.loadFromFile(path);
  EXPECT_EQ(linesOf(loaded), lines);
}

TEST(StringListSave, EmptyListReplacesOlderFileWithEmptyOne) {
  const TempDir dir;
  const std::string path = dir.file("log.txt");
  writeFile(path, "1\r\n2\r\n");
  core::StringList().saveToFile(path);
  EXPECT_EQ(readFile(path), "");
  EXPECT_EQ(namesIn(dir.path()), Lines{"log.txt"});
}

// Ten million lines of "255" must cost less than 16 bytes each with every unused byte the
// containers hold, at every size on the way.
TEST(StringListMemory, StaysBelowSixteenBytesPerShortLine) {
  core::StringList list;
  constexpr int kLines = 10'000'000;
  for (int i = 1; i <= kLines; ++i) {
    list.add("255");
    if (i % 250'000 == 0) {
      ASSERT_LT(list.reservedBytes(), 16.0 * i) << "after " << i << " lines";
    }
  }
  std::printf("bytes per line for %d lines of \"255\": %.2f\n", kLines,
              static_cast<double>(list.reservedBytes()) / kLines);
  EXPECT_EQ(list.at(kLines - 1), "255");
}

}  // namespace
