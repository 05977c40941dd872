// The lines of a recording: one line per received byte, its decimal value.
//
// A line's text is a pure function of its byte, so the list keeps each byte once, in
// blocks that never move, and makes the text only where it is read or saved: a recording
// of 120 million bytes takes 120 MB, not the 550 MB of its text. Saving streams the lines
// to the file in large blocks of text, each followed by CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/atomicfile.h"
#include "core/blockarray.h"

namespace core {

class ByteLines {
 public:
  void add(std::uint8_t value) { bytes_.push_back(value); }
  void clear() { bytes_.clear(); }
  int count() const;
  // The decimal text of the line at `index`, without its line end; an index outside 0 to
  // count() - 1 raises core::Error "Listenindex überschreitet das Maximum (%d)" with it.
  std::string_view at(int index) const;

  // Writes every line followed by CR LF, replacing the file as a whole (core::replaceFile,
  // with its errors); an empty list gives an empty file.
  void saveToFile(const std::string& path) const;
  // The same text as a new file, never replacing one (core::createNewFile); returns the
  // name it took.
  std::string saveAsNewFile(const std::string& path) const;
  // The same text handed to `write` in pieces, each but the last a whole number of 64 KiB;
  // false as soon as a piece could not be written.
  bool writeText(const PieceWriter& write) const;

  // Bytes the list holds reserved, unused room included.
  std::size_t reservedBytes() const { return bytes_.reservedBytes(); }

 private:
  BlockArray<std::uint8_t, 64 * 1024> bytes_;
};

}  // namespace core
