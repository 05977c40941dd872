// The lines a recording collects: every byte value takes a prepared line, and those lines
// must read and save exactly as formatted numbers do, wherever a chunk of the list ends.
#include <gtest/gtest.h>

#include "core/decimal.h"
#include "core/stringlist.h"
#include "files.h"

namespace {

// Bytes in an order that puts lines of every length at every chunk boundary, with now and
// then a value that is no byte, which takes the general path.
int valueAt(int index) {
  if (index % 9973 == 0) return index % 2 == 0 ? -index : 256 + index;
  return (index * 7 + index / 256) % 256;
}

TEST(CaptureLines, EveryValueReadsAndSavesAsItsDecimalTextAcrossChunks) {
  constexpr int kLines = 1'500'000;
  core::StringList list;
  std::string expected;
  for (int i = 0; i < kLines; ++i) {
    list.addDecimal(valueAt(i));
    expected += core::decimalText(valueAt(i)) + "\r\n";
  }
  ASSERT_EQ(list.count(), kLines);
  for (int i = 0; i < kLines; ++i) {
    ASSERT_EQ(list.at(i), core::decimalText(valueAt(i))) << "line " << i;
  }
  const testsupport::TempDir dir;
  list.saveToFile(dir.file("lines.txt"));
  const std::string saved = testsupport::readFile(dir.file("lines.txt"));
  EXPECT_EQ(saved.size(), expected.size());
  EXPECT_TRUE(saved == expected) << "the saved text differs from the formatted lines";
  EXPECT_LT(list.reservedBytes(), 16u * kLines);
}

TEST(CaptureLines, ByteLinesAfterOtherLinesKeepTheirOrder) {
  core::StringList list;
  list.add("Kopf");
  for (const int value : {0, 9, 10, 99, 100, 255}) list.addDecimal(value);
  list.add("");
  list.addDecimal(7);
  const std::vector<std::string> expected = {"Kopf", "0", "9", "10", "99", "100", "255", "", "7"};
  ASSERT_EQ(list.count(), static_cast<int>(expected.size()));
  for (int i = 0; i < list.count(); ++i) EXPECT_EQ(list.at(i), expected[i]) << i;
}

}  // namespace
