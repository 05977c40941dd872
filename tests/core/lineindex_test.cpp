#include "core/lineindex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// An 8-bit index wraps every 256 bytes, so a short text exercises what a 32-bit index
// does beyond 4 GiB.
std::vector<std::uint64_t> pushAll(core::LineIndex<std::uint8_t>& index,
                                   const std::vector<std::uint64_t>& ends) {
  for (const auto end : ends) index.push(end);
  std::vector<std::uint64_t> read;
  for (std::size_t line = 0; line < index.size(); ++line) read.push_back(index.endOf(line));
  return read;
}

TEST(LineIndex, KeepsEndsAcrossWrapsOfNarrowOffsets) {
  const std::vector<std::vector<std::uint64_t>> cases = {
      {5, 10, 255},           // below the first wrap
      {255, 256, 257},        // an end exactly on a multiple of 256
      {100, 300, 700, 701},   // one line passes two multiples at once
      {0, 0, 256, 256, 512},  // empty lines on and off the boundaries
      {250, 260, 1000, 5000, 70000}};
  for (const auto& ends : cases) {
    core::LineIndex<std::uint8_t> index;
    EXPECT_EQ(pushAll(index, ends), ends);
  }
}

TEST(LineIndex, StartsEachLineWhereThePreviousEnded) {
  core::LineIndex<std::uint8_t> index;
  pushAll(index, {200, 300, 900});
  EXPECT_EQ(index.startOf(0), 0u);
  EXPECT_EQ(index.startOf(1), 200u);
  EXPECT_EQ(index.startOf(2), 300u);
}

TEST(LineIndex, ForgetsWrapsWhenCleared) {
  core::LineIndex<std::uint8_t> index;
  pushAll(index, {300, 600});
  index.clear();
  EXPECT_EQ(pushAll(index, {10, 20}), (std::vector<std::uint64_t>{10, 20}));
}

TEST(ReserveForAppend, GrowsByHalfSoUnusedRoomStaysBelowAThird) {
  std::vector<int> items;
  for (int i = 0; i < 100000; ++i) {
    core::reserveForAppend(items, 1);
    const std::size_t capacityBefore = items.capacity();
    items.push_back(i);
    ASSERT_EQ(items.capacity(), capacityBefore) << "push_back reallocated on its own";
    ASSERT_LE(items.capacity(), items.size() * 3 / 2 + 64);
  }
}

}  // namespace
