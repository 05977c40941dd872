#include "core/bytelines.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <utility>

#include "core/atomicfile.h"
#include "core/decimal.h"
#include "core/error.h"
#include "core/stringlist.h"

namespace core {
namespace {

// Every byte value's line with its CR LF, built once. A line is copied as one fixed piece of
// kLineCopy bytes and the text moves on by its own size: no branch on the number of digits.
constexpr std::size_t kLineCopy = 8;
constexpr std::size_t kLongestLine = 5;  // "255\r\n"

struct LineTable {
  std::array<std::array<char, kLineCopy>, 256> text{};
  std::array<std::uint8_t, 256> size{};
};

constexpr LineTable lineTable() {
  LineTable table;
  for (std::size_t value = 0; value < 256; ++value) {
    std::array<char, kLineCopy>& text = table.text[value];
    std::size_t size = 0;
    if (value >= 100) text[size++] = static_cast<char>('0' + value / 100);
    if (value >= 10) text[size++] = static_cast<char>('0' + value / 10 % 10);
    text[size++] = static_cast<char>('0' + value % 10);
    text[size++] = '\r';
    text[size++] = '\n';
    table.size[value] = static_cast<std::uint8_t>(size);
  }
  return table;
}
constexpr LineTable kLines = lineTable();

// Text is written in blocks of up to a megabyte, where a write costs no more than its copy,
// but never more than half a byte of memory per recorded byte above a small floor: a short
// recording does not double its memory to be saved.
constexpr std::size_t kSmallestTextBlock = std::size_t{64} << 10;
constexpr std::size_t kLargestTextBlock = std::size_t{1} << 20;

std::size_t textBlockFor(std::size_t lines) {
  return std::clamp(lines / 2, kSmallestTextBlock, kLargestTextBlock);
}

// The lines' text, made block by block and handed on as each block fills.
class TextBlocks {
 public:
  TextBlocks(const PieceWriter& write, std::size_t blockSize)
      : write_(write),
        blockSize_(blockSize),
        text_(std::make_unique_for_overwrite<char[]>(blockSize + kLineCopy)) {}

  bool add(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
      const std::size_t fitting = std::min(bytes.size(), (blockSize_ - used_) / kLongestLine);
      if (fitting == 0 && !flush()) return false;
      format(bytes.first(fitting));
      bytes = bytes.subspan(fitting);
    }
    return true;
  }

  bool flush() {
    const std::size_t used = std::exchange(used_, 0);
    return used == 0 || write_(std::string_view(text_.get(), used));
  }

 private:
  void format(std::span<const std::uint8_t> bytes) {
    char* out = text_.get() + used_;
    for (const std::uint8_t value : bytes) {
      std::memcpy(out, kLines.text[value].data(), kLineCopy);
      out += kLines.size[value];
    }
    used_ = static_cast<std::size_t>(out - text_.get());
  }

  const PieceWriter& write_;
  std::size_t blockSize_;
  // With room for the fixed-size copy of the last line that fits.
  std::unique_ptr<char[]> text_;
  std::size_t used_ = 0;
};

}  // namespace

int ByteLines::count() const {
  return static_cast<int>(std::min<std::size_t>(bytes_.size(), INT_MAX));
}

std::string_view ByteLines::at(int index) const {
  if (index < 0 || index >= count()) {
    throw Error(fillMessage(kIndexErrorMessage, decimalText(index)));
  }
  const std::uint8_t value = bytes_[static_cast<std::size_t>(index)];
  return {kLines.text[value].data(), kLines.size[value] - std::size_t{2}};
}

void ByteLines::saveToFile(const std::string& path) const {
  replaceFile(path, [this](const PieceWriter& write) {
    TextBlocks text(write, textBlockFor(bytes_.size()));
    bool written = true;
    bytes_.forEachBlock(
        [&](std::span<const std::uint8_t> bytes) { written = written && text.add(bytes); });
    return written && text.flush();
  });
}

}  // namespace core
