// Save: the capture list's save of --bytes recorded bytes, without a recording before it, so
// that a small file can be compared many times over. Each round writes new files in turns
// (timeInTurns): one fwrite of the text with fsync, the text made beforehand and handed to
// core::replaceFile (the save's way to the disk: a temporary file, write-back started every
// megabyte, fsync, rename and the folder's fsync), and the save itself. What the save takes beyond
// the second is the making of its text; the text alone is also timed, saved to /dev/null, which
// takes it with no file and no flush. --piece sets the size of the pieces handed to replaceFile
// (default 1 MiB): what the size and the alignment of the writes cost.
#include <string_view>

#include "cases.h"
#include "core/atomicfile.h"
#include "core/bytelines.h"

namespace bench {
namespace {

double replaceSeconds(const std::string& text, std::size_t piece,
                      const std::filesystem::path& path) {
  const auto start = Clock::now();
  core::replaceFile(path.string(), [&](const core::PieceWriter& write) {
    for (std::size_t at = 0; at < text.size(); at += piece) {
      if (!write(std::string_view(text).substr(at, piece))) return false;
    }
    return true;
  });
  return secondsSince(start);
}

}  // namespace

int runSave(const Arguments& arguments) {
  const auto bytes = static_cast<std::uint64_t>(arguments.number("bytes", 720'000));
  const int rounds = static_cast<int>(arguments.number("rounds", 31));
  const auto piece = static_cast<std::size_t>(arguments.number("piece", 1 << 20));
  core::ByteLines lines;
  std::string text;
  for (std::uint64_t index = 0; index < bytes; ++index) {
    const int value = patternByte(index);
    lines.add(static_cast<std::uint8_t>(value));
    text += std::to_string(value) + "\r\n";
  }
  ScratchDir directory;
  const std::filesystem::path fwritten = directory.path() / "fwrite.txt";
  const std::filesystem::path replaced = directory.path() / "replace.txt";
  const std::filesystem::path saved = directory.path() / "save.txt";
  const std::vector<std::vector<double>> seconds =
      timeInTurns(rounds,
                  {[&] { return fwriteSeconds(text, fwritten, true); },
                   [&] { return replaceSeconds(text, piece, replaced); },
                   [&] { return saveSeconds(lines, saved); }},
                  {fwritten, replaced, saved});
  std::vector<double> making;
  for (int round = 0; round < rounds; ++round) making.push_back(saveSeconds(lines, "/dev/null"));
  print("file_bytes", static_cast<double>(text.size()));
  print("rounds", rounds);
  print("fwrite_fsync_s", median(seconds[0]));
  print("replace_s", median(seconds[1]));
  print("save_s", median(seconds[2]));
  print("making_s", median(making));
  return 0;
}

}  // namespace bench
