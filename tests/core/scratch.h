// Files and folders that core tests create and remove again.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace core::testing {

// The names in `folder`, sorted: shows a temporary file left behind.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

// A fresh folder under the system's temporary folder, removed with all it holds.
class ScratchDir {
 public:
  ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir();

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> names() const { return namesIn(path_); }

 private:
  std::filesystem::path path_;
};

// A small tmpfs mounted on an empty folder, so a test can fill a disk or make it read-only.
// Needs the right to mount; isMounted() tells whether the mount worked. The mount is seen
// by this process only.
class TinyDisk {
 public:
  TinyDisk(const std::string& at, std::size_t bytes);
  TinyDisk(const TinyDisk&) = delete;
  TinyDisk& operator=(const TinyDisk&) = delete;
  ~TinyDisk();

  bool isMounted() const { return mounted_; }
  bool makeReadOnly();

 private:
  std::string at_;
  std::size_t bytes_;
  bool mounted_ = false;
};

// The message of the core::Error that `action` raises, or "(no error)".
std::string errorOf(const std::function<void()>& action);

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

}  // namespace core::testing
