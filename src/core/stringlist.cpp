#include "core/stringlist.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "core/atomicfile.h"
#include "core/decimal.h"
#include "core/error.h"
#include "core/os/file.h"

namespace core {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

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
  reserveForAppend(text_, line.size() + kLineEnd.size());
  text_.insert(text_.end(), line.begin(), line.end());
  endLine();
}

void StringList::addDecimal(int value) {
  char digits[16];
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  reserveForAppend(text_, static_cast<std::size_t>(result.ptr - digits) + kLineEnd.size());
  text_.insert(text_.end(), digits, result.ptr);
  endLine();
}

void StringList::endLine() {
  text_.insert(text_.end(), kLineEnd.begin(), kLineEnd.end());
  ends_.push(text_.size());
}

void StringList::clear() {
  text_.clear();
  ends_.clear();
}

int StringList::count() const {
  return static_cast<int>(std::min<std::size_t>(ends_.size(), INT_MAX));
}

std::string_view StringList::at(int index) const {
  if (index < 0 || index >= count()) {
    throw Error(fillMessage(kIndexErrorMessage, decimalText(index)));
  }
  const auto line = static_cast<std::size_t>(index);
  const std::size_t start = ends_.startOf(line);
  const std::size_t length = ends_.endOf(line) - start - kLineEnd.size();
  return {text_.data() + start, length};
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

void StringList::saveToFile(const std::string& path) const {
  replaceFile(path, std::string_view(text_.data(), text_.size()));
}

std::size_t StringList::reservedBytes() const {
  return text_.capacity() + ends_.reservedBytes();
}

}  // namespace core
