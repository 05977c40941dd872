// An array that grows in fixed blocks, so that growing never moves what it holds: appending
// costs the same at the ten-millionth element as at the first, with no pause to copy.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace core {

template <class T, std::size_t kBlockSize = 4096>
class BlockArray {
 public:
  void push_back(T value) {
    if (size_ % kBlockSize == 0) blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlockSize));
    blocks_.back()[size_ % kBlockSize] = value;
    ++size_;
  }

  T operator[](std::size_t index) const { return blocks_[index / kBlockSize][index % kBlockSize]; }
  std::size_t size() const { return size_; }

  // Calls `visit` with each block's elements in order, as one span per block.
  template <class Visit>
  void forEachBlock(Visit visit) const {
    for (std::size_t block = 0; block < blocks_.size(); ++block) {
      const std::size_t start = block * kBlockSize;
      visit(std::span<const T>(blocks_[block].get(), std::min(kBlockSize, size_ - start)));
    }
  }

  void clear() {
    blocks_.clear();
    size_ = 0;
  }

  std::size_t reservedBytes() const {
    return blocks_.size() * kBlockSize * sizeof(T) + blocks_.capacity() * sizeof(blocks_[0]);
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace core
