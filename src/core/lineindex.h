// Where each line of a string list ends in its text buffer, at `Offset`'s width per line.
//
// A recording can reach tens of millions of lines, so an offset of 64 bits per line would
// cost more than the line text itself. The index keeps only the low bits of every end and
// notes, for each multiple of 2^bits the text passes, the first line that ends beyond it;
// the high bits of an end are then the count of such notes at or before the line.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace core {

// Makes room for `extra` more elements, growing by half of the capacity at a time: appending
// stays amortised O(1) while at most a third of the storage lies unused.
template <class T>
void reserveForAppend(std::vector<T>& items, std::size_t extra) {
  const std::size_t needed = items.size() + extra;
  if (needed <= items.capacity()) return;
  items.reserve(std::max({needed, items.capacity() + items.capacity() / 2, std::size_t{64}}));
}

template <class Offset>
class LineIndex {
  static_assert(std::numeric_limits<Offset>::is_integer && !std::numeric_limits<Offset>::is_signed);
  static constexpr int kBits = std::numeric_limits<Offset>::digits;
  static_assert(kBits < 64);

 public:
  // Adds a line ending at `end`, which must not lie before the end of the previous line.
  void push(std::uint64_t end) {
    while ((end >> kBits) > wraps_.size()) wraps_.push_back(low_.size());
    reserveForAppend(low_, 1);
    low_.push_back(static_cast<Offset>(end));
  }

  std::uint64_t endOf(std::size_t line) const {
    const auto passed = std::upper_bound(wraps_.begin(), wraps_.end(), line) - wraps_.begin();
    return (static_cast<std::uint64_t>(passed) << kBits) | low_[line];
  }

  std::uint64_t startOf(std::size_t line) const { return line == 0 ? 0 : endOf(line - 1); }
  std::size_t size() const { return low_.size(); }

  void clear() {
    low_.clear();
    wraps_.clear();
  }

  std::size_t reservedBytes() const {
    return low_.capacity() * sizeof(Offset) + wraps_.capacity() * sizeof(std::size_t);
  }

 private:
  std::vector<Offset> low_;
  std::vector<std::size_t> wraps_;
};

}  // namespace core
