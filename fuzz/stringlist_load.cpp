// Loading a string list from a file of arbitrary bytes. The file is a memory file, reached
// by its /proc path like any other. The lines must be the text up to the first NUL split at
// CR LF, lone CR and lone LF (a plain reading of the rule, written out here again), an
// index past the end must raise the index error, and the lines must come back unchanged
// through a save and a second load.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "core/error.h"
#include "core/stringlist.h"

namespace {

std::vector<std::string_view> referenceLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string memoryFile(std::string_view bytes, int& fd) {
  fd = ::memfd_create("stringlist", MFD_CLOEXEC);
  fuzz::check(fd >= 0, "memfd_create");
  fuzz::check(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
              "write to the memory file");
  return "/proc/self/fd/" + std::to_string(fd);
}

bool sameLines(const core::StringList& list, const std::vector<std::string_view>& lines) {
  if (list.count() != static_cast<int>(lines.size())) return false;
  for (int i = 0; i < list.count(); ++i) {
    if (list.at(i) != lines[static_cast<std::size_t>(i)]) return false;
  }
  return true;
}

bool raisesIndexError(const core::StringList& list) {
  try {
    list.at(list.count());
  } catch (const core::Error& error) {
    return error.what() ==
           "Listenindex überschreitet das Maximum (" + std::to_string(list.count()) + ")";
  }
  return false;
}

// Saved where writing is cheapest: /dev/shm is memory.
const std::string& savePath() {
  static const std::string path =
      (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm")
                                           : std::filesystem::temp_directory_path().string()) +
      "/querlan-fuzz-" + std::to_string(::getpid()) + ".txt";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  int fd = -1;
  const std::string path = memoryFile(bytes, fd);
  core::StringList list;
  list.loadFromFile(path);
  ::close(fd);
  const std::vector<std::string_view> expected = referenceLines(bytes);
  fuzz::check(sameLines(list, expected), "the lines are the text split at its line ends");
  fuzz::check(raisesIndexError(list), "an index past the end raises the index error");
  list.saveToFile(savePath());
  core::StringList again;
  again.loadFromFile(savePath());
  std::filesystem::remove(savePath());
  fuzz::check(sameLines(again, expected), "saved and loaded again, the lines are the same");
  return 0;
}
