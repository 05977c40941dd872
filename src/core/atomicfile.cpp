#include "core/atomicfile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>

#include "core/error.h"
#include "core/os/file.h"

namespace core {
namespace {

constexpr int kNameAttempts = 100;
constexpr int kNumberedNames = 1000;
// A large file's closing flush would wait for all of it: the disk is set to work on every
// megabyte written, while the rest is still being made.
constexpr std::size_t kWritebackStep = std::size_t{1} << 20;

Error cannotCreate(const std::string& path) {
  return Error(fillMessage(kCannotCreateMessage, path));
}
Error cannotWrite() {
  return Error(std::string(kStreamWriteMessage));
}

// A hidden name beside the target that no other save picks at the same moment.
std::string temporaryPathFor(const std::string& target) {
  static std::atomic<std::uint64_t> sequence{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                static_cast<unsigned long long>(sequence.fetch_add(0x9E3779B97F4A7C15ULL)));
  const std::size_t start = os::nameStart(target);
  return target.substr(0, start) + "." + target.substr(start) + suffix;
}

// The temporary file until it has taken the target's place; removed if it never does.
class TemporaryFile {
 public:
  TemporaryFile(std::string path, os::OutputFile file)
      : path_(std::move(path)), file_(std::move(file)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (path_.empty()) return;
    file_.close();
    os::removeFile(path_);
  }

  void writeAll(const ContentSource& content) {
    std::size_t unsubmitted = 0;
    const bool written = content([&](std::string_view piece) {
      if (!file_.write(piece)) return false;
      unsubmitted += piece.size();
      if (unsubmitted >= kWritebackStep) {
        file_.startWriteback();
        unsubmitted = 0;
      }
      return true;
    });
    if (!written || !file_.flushToDisk() || !file_.close()) throw cannotWrite();
  }

  bool replace(const std::string& target) {
    if (!os::renameOver(path_, target)) return false;
    path_.clear();
    return true;
  }

  os::CreateOutcome takeNewName(const std::string& name) {
    const os::CreateOutcome outcome = os::renameNew(path_, name);
    if (outcome == os::CreateOutcome::created) path_.clear();
    return outcome;
  }

 private:
  std::string path_;
  os::OutputFile file_;
};

TemporaryFile createTemporaryBeside(const std::string& target, const std::string& path) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string temporaryPath = temporaryPathFor(target);
    os::OutputFile file;
    switch (os::OutputFile::createNew(temporaryPath, target, file)) {
      case os::CreateOutcome::created:
        return TemporaryFile(std::move(temporaryPath), std::move(file));
      case os::CreateOutcome::failed:
        throw cannotCreate(path);
      case os::CreateOutcome::nameTaken:
        break;
    }
  }
  throw cannotCreate(path);
}

// A device takes the bytes as they come; there is no file to replace and nothing to flush.
void writeToDevice(const std::string& path, const std::string& device,
                   const ContentSource& content) {
  os::OutputFile file = os::OutputFile::openDevice(device);
  if (!file.isOpen()) throw cannotCreate(path);
  const bool written = content([&file](std::string_view piece) { return file.write(piece); });
  if (!written || !file.close()) throw cannotWrite();
}

// "-2" for 2.
std::string numberSuffix(int number) {
  std::string suffix = std::to_string(number);
  suffix.insert(suffix.begin(), '-');
  return suffix;
}

void checkReplaceable(const std::string& path, const std::string& target) {
  if (!os::isWritable(target) || os::isLockedByOther(target)) throw cannotCreate(path);
}

}  // namespace

void replaceFile(const std::string& path, const ContentSource& content) {
  const std::string target = os::resolveLinks(path);
  if (target.empty() || os::nameStart(target) == target.size()) throw cannotCreate(path);
  switch (os::pathKind(target)) {
    case os::PathKind::directory:
      throw cannotCreate(path);
    case os::PathKind::other:
      return writeToDevice(path, target, content);
    case os::PathKind::regularFile:
      checkReplaceable(path, target);
      break;
    case os::PathKind::missing:
      break;
  }
  TemporaryFile temporary = createTemporaryBeside(target, path);
  temporary.writeAll(content);
  if (!temporary.replace(target)) throw cannotCreate(path);
}

std::string createNewFile(const std::string& path, const ContentSource& content) {
  if (path.empty() || os::nameStart(path) == path.size()) throw cannotCreate(path);
  TemporaryFile temporary = createTemporaryBeside(path, path);
  temporary.writeAll(content);
  for (int number = 1; number <= kNumberedNames; ++number) {
    std::string name = number == 1 ? path : insertBeforeExtension(path, numberSuffix(number));
    switch (temporary.takeNewName(name)) {
      case os::CreateOutcome::created:
        return name;
      case os::CreateOutcome::failed:
        throw cannotCreate(path);
      case os::CreateOutcome::nameTaken:
        break;
    }
  }
  throw cannotCreate(path);
}

std::string insertBeforeExtension(const std::string& path, std::string_view insert) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= os::nameStart(path)) dot = path.size();
  return path.substr(0, dot) + std::string(insert) + path.substr(dot);
}

void replaceFile(const std::string& path, std::span<const std::string_view> pieces) {
  replaceFile(path, [pieces](const PieceWriter& write) {
    return std::all_of(pieces.begin(), pieces.end(), write);
  });
}

void replaceFile(const std::string& path, std::string_view content) {
  replaceFile(path, std::span<const std::string_view>(&content, 1));
}

}  // namespace core
