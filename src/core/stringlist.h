// An ordered list of 8-bit text lines: the settings file's lines and a recording's values.
//
// The list is built for recordings of tens of millions of short lines. All lines live in
// one text buffer, each followed by CR LF, so that the buffer is byte for byte the file
// that saving writes; a compact index notes where each line ends. Text is never
// transcoded: the bytes of a line go in and come out unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/lineindex.h"

namespace core {

inline constexpr std::string_view kIndexErrorMessage = "Listenindex überschreitet das Maximum (%d)";
inline constexpr std::string_view kCannotOpenMessage = "Datei %s kann nicht geöffnet werden";

class StringList {
 public:
  void add(std::string_view line);
  // Adds the decimal text of `value` as a line, without building a string first.
  void addDecimal(int value);
  void clear();
  int count() const;
  // The line at `index`; valid until the list next changes. An index outside 0 to
  // count() - 1 raises core::Error "Listenindex überschreitet das Maximum (%d)" with it.
  std::string_view at(int index) const;

  // Replaces the lines with those of the file `path`, read as 8-bit text and split at
  // CR LF, a lone CR or a lone LF; a last line without a line end counts, and a NUL byte
  // ends the text. Raises "Datei %s kann nicht geöffnet werden" (with `path` unchanged) when
  // the file cannot be read or is a directory; the list is then unchanged.
  void loadFromFile(const std::string& path);
  // Writes every line followed by CR LF, replacing the file as a whole (core::replaceFile,
  // with its errors); an empty list gives an empty file.
  void saveToFile(const std::string& path) const;

  // Bytes the list holds reserved, unused room included.
  std::size_t reservedBytes() const;

 private:
  void appendLinesOf(std::string_view text);
  void endLine();

  std::vector<char> text_;
  LineIndex<std::uint32_t> ends_;
};

}  // namespace core
