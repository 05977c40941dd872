// The lines a recording collects: each byte is kept once and its line made when it is read
// or saved, which must give exactly the formatted numbers, wherever a block of bytes or of
// text ends.
#include "core/bytelines.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "core/decimal.h"
#include "error_of.h"
#include "files.h"

namespace {

using testsupport::errorOf;
using testsupport::readFile;
using testsupport::TempDir;

// Bytes in an order that puts lines of every length at every block boundary.
std::uint8_t byteAt(int index) {
  return static_cast<std::uint8_t>((index * 7 + index / 256) % 256);
}

TEST(ByteLines, EveryByteReadsAndSavesAsItsDecimalTextAcrossBlocks) {
  constexpr int kLines = 1'500'000;  // some 23 blocks of bytes and 5 MB of text
  core::ByteLines lines;
  std::string expected;
  for (int i = 0; i < kLines; ++i) {
    lines.add(byteAt(i));
    expected += core::decimalText(byteAt(i)) + "\r\n";
  }
  ASSERT_EQ(lines.count(), kLines);
  for (int i = 0; i < kLines; ++i) {
    ASSERT_EQ(lines.at(i), core::decimalText(byteAt(i))) << "line " << i;
  }
  const TempDir dir;
  lines.saveToFile(dir.file("lines.txt"));
  const std::string saved = readFile(dir.file("lines.txt"));
  EXPECT_EQ(saved.size(), expected.size());
  EXPECT_TRUE(saved == expected) << "the saved text differs from the formatted lines";
  // Handed on in blocks of whole 64 KiB, so that each write starts at such an offset.
  std::string pieces;
  std::vector<std::size_t> sizes;
  ASSERT_TRUE(lines.writeText([&](std::string_view piece) {
    pieces += piece;
    sizes.push_back(piece.size());
    return true;
  }));
  EXPECT_TRUE(pieces == expected) << "the pieces differ from the formatted lines";
  ASSERT_GT(sizes.size(), 2U);
  for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
    EXPECT_EQ(sizes[i] % 65536, 0U) << "piece " << i << " of " << sizes[i] << " bytes";
  }
  // A byte of memory per line, and a little for the block in use.
  EXPECT_LT(static_cast<double>(lines.reservedBytes()), 1.05 * kLines);
}

TEST(ByteLines, SavesTheRecordingExampleAndEmptiesOnClear) {
  const TempDir dir;
  const std::string path = dir.file("log.txt");
  core::ByteLines lines;
  for (const std::uint8_t byte : {0x41, 0x0D, 0xFF}) lines.add(byte);
  lines.saveToFile(path);
  EXPECT_EQ(readFile(path), "65\r\n13\r\n255\r\n");
  lines.clear();
  EXPECT_EQ(lines.count(), 0);
  lines.saveToFile(path);
  EXPECT_EQ(readFile(path), "");
  lines.add(0);
  EXPECT_EQ(lines.at(0), "0");
}

TEST(ByteLines, IndexOutsideTheListRaisesIndexErrorWithIt) {
  core::ByteLines two;
  two.add(9);
  two.add(10);
  for (const int index : {2, -1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(errorOf([&] { two.at(index); }),
              "Listenindex überschreitet das Maximum (" + core::decimalText(index) + ")");
  }
}

}  // namespace
