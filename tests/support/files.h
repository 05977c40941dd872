// Folders and files a test makes and inspects: a fresh folder that goes again, a folder
// made current for a while, and whole files read and written as bytes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with all it holds, even
// where a test made parts of it read-only.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Makes `folder` the current directory for the life of the object.
class CurrentDir {
 public:
  explicit CurrentDir(const std::filesystem::path& folder);
  ~CurrentDir();
  CurrentDir(const CurrentDir&) = delete;
  CurrentDir& operator=(const CurrentDir&) = delete;

 private:
  std::filesystem::path previous_;
};

// A fresh folder made current: a start directory of the program's own, where its COMn
// entries and settings file live.
class StartDir : public TempDir {
 private:
  CurrentDir current_{path()};
};

// Holds the existing file `path` open for exclusive access, as another program (a
// spreadsheet) does, until it goes: on Linux an flock, which the program's saves honour.
class FileHolder {
 public:
  explicit FileHolder(const std::filesystem::path& path);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

 private:
  int fd_;
};

// The names in `folder`, sorted: shows a temporary file left behind.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

// Whole files as bytes; both throw when the file cannot be opened or written.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace testsupport
