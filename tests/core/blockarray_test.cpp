#include "core/blockarray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<std::uint32_t> contentsOf(const core::BlockArray<std::uint32_t, 3>& array) {
  std::vector<std::uint32_t> values;
  for (std::size_t i = 0; i < array.size(); ++i) values.push_back(array[i]);
  return values;
}

TEST(BlockArray, KeepsValuesAcrossBlockBoundaries) {
  for (const std::size_t count : {0u, 1u, 2u, 3u, 4u, 6u, 7u, 100u}) {
    core::BlockArray<std::uint32_t, 3> array;
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < count; ++i) {
      array.push_back(i * 7919u);
      expected.push_back(i * 7919u);
    }
    EXPECT_EQ(contentsOf(array), expected) << count << " values";
  }
}

TEST(BlockArray, StartsAfreshWhenCleared) {
  core::BlockArray<std::uint32_t, 3> array;
  for (std::uint32_t i = 0; i < 5; ++i) array.push_back(i);
  array.clear();
  array.push_back(42);
  EXPECT_EQ(contentsOf(array), std::vector<std::uint32_t>{42});
}

}  // namespace
