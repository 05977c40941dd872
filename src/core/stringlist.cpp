#include "core/stringlist.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

#include "core/atomicfile.h"
#include "core/decimal.h"
#include "core/error.h"
#include "core/os/file.h"

namespace core {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Chunks double from small, so a list of a few lines stays small, up to a size that keeps
// each allocation quick and the room left unused at the end negligible.
constexpr std::size_t kFirstChunk = 256;
constexpr std::size_t kLargestChunk = 1 << 20;

// Where the line break that ends the first line of `text` begins, and where the next line
// begins after it.
std::pair<std::size_t, std::size_t> firstLineBreak(std::string_view text) {
  const std::size_t lineBreak = std::min(text.find_first_of(kLineEnd), text.size());
  std::size_t next = std::min(lineBreak + 1, text.size());
  if (text.substr(lineBreak).starts_with(kLineEnd)) next = lineBreak + kLineEnd.size();
  return {lineBreak, next};
}

}  // namespace

void StringList::add(std::string_view line) {
  appendLine(line.data(), line.size());
}

void StringList::appendLine(const char* bytes, std::size_t size) {
  if (size > UINT32_MAX - kLineEnd.size()) throw std::length_error("line of 4 GiB or more");
  Chunk& chunk = chunkWithRoomFor(size + kLineEnd.size());
  char* out = chunk.bytes.get() + chunk.used;
  if (size > 0) std::memcpy(out, bytes, size);
  std::memcpy(out + size, kLineEnd.data(), kLineEnd.size());
  chunk.used += size + kLineEnd.size();
  ends_.push_back(static_cast<std::uint32_t>(chunk.used));
}

// Kept apart from the rare new chunk, so that the compiler inlines it into every append.
StringList::Chunk& StringList::chunkWithRoomFor(std::size_t size) {
  if (!chunks_.empty() && chunks_.back().capacity - chunks_.back().used >= size) {
    return chunks_.back();
  }
  return addChunk(size);
}

StringList::Chunk& StringList::addChunk(std::size_t size) {
  const std::size_t previous = chunks_.empty() ? 0 : chunks_.back().capacity;
  const std::size_t capacity = std::max(size, std::clamp(previous * 2, kFirstChunk, kLargestChunk));
  return chunks_.emplace_back(
      Chunk{std::make_unique_for_overwrite<char[]>(capacity), capacity, 0, ends_.size()});
}

void StringList::clear() {
  chunks_.clear();
  ends_.clear();
}

int StringList::count() const {
  return static_cast<int>(std::min<std::size_t>(ends_.size(), INT_MAX));
}

const StringList::Chunk& StringList::chunkOf(std::size_t line) const {
  const auto after = std::upper_bound(
      chunks_.begin(), chunks_.end(), line,
      [](std::size_t wanted, const Chunk& chunk) { return wanted < chunk.firstLine; });
  return *(after - 1);
}

std::string_view StringList::at(int index) const {
  if (index < 0 || index >= count()) {
    throw Error(fillMessage(kIndexErrorMessage, decimalText(index)));
  }
  const auto line = static_cast<std::size_t>(index);
  const Chunk& chunk = chunkOf(line);
  const std::size_t start = line == chunk.firstLine ? 0 : ends_[line - 1];
  return {chunk.bytes.get() + start, ends_[line] - start - kLineEnd.size()};
}

void StringList::loadFromFile(const std::string& path) {
  const std::optional<std::string> text = os::readText(path);
  if (!text) throw Error(fillMessage(kCannotOpenMessage, path));
  StringList loaded;
  loaded.appendLinesOf(std::string_view(*text).substr(0, text->find('\0')));
  *this = std::move(loaded);
}

void StringList::appendLinesOf(std::string_view text) {
  while (!text.empty()) {
    const auto [lineBreak, next] = firstLineBreak(text);
    add(text.substr(0, lineBreak));
    text.remove_prefix(next);
  }
}

// In one piece: where the platform chooses the file's text form, it chooses for all lines.
void StringList::saveToFile(const std::string& path) const {
  std::string text;
  for (const Chunk& chunk : chunks_) text.append(chunk.bytes.get(), chunk.used);
  replaceFile(path, text);
}

std::size_t StringList::reservedBytes() const {
  std::size_t bytes = chunks_.capacity() * sizeof(Chunk) + ends_.reservedBytes();
  for (const Chunk& chunk : chunks_) bytes += chunk.capacity;
  return bytes;
}

}  // namespace core
