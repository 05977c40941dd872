// An ordered list of 8-bit text lines: the settings file's lines.
//
// Lines are stored as they will be saved, each followed by CR LF, in text chunks that are
// filled one after another and never move, with a 32-bit end per line, so that a file of
// millions of lines loads without a pause to copy what is stored. Saving hands the chunks'
// bytes to the file as one text. The list never transcodes: the bytes of a line go in and
// come out unchanged (on Windows the file calls convert between UTF-8 and the file's form).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/blockarray.h"

namespace core {

inline constexpr std::string_view kIndexErrorMessage = "Listenindex überschreitet das Maximum (%d)";
inline constexpr std::string_view kCannotOpenMessage = "Datei %s kann nicht geöffnet werden";

class StringList {
 public:
  void add(std::string_view line);
  void clear();
  int count() const;
  // The line at `index`; valid until the list is cleared or loaded. An index outside 0 to
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
  struct Chunk {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::size_t firstLine = 0;
  };

  void appendLine(const char* bytes, std::size_t size);
  Chunk& chunkWithRoomFor(std::size_t size);
  Chunk& addChunk(std::size_t size);
  const Chunk& chunkOf(std::size_t line) const;
  void appendLinesOf(std::string_view text);

  std::vector<Chunk> chunks_;
  BlockArray<std::uint32_t> ends_;  // where each line's CR LF ends, within its chunk
};

}  // namespace core
