// The file system calls the core needs, one implementation per platform (posix.cpp,
// win32.cpp). Paths are UTF-8; the Windows side converts them to UTF-16.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace core::os {

enum class PathKind { missing, regularFile, directory, other };

// What `path` names, following symbolic links. `other` is a device, a FIFO or a socket.
PathKind pathKind(const std::string& path);

// The position in `path` where its last component, the file name, begins.
std::size_t nameStart(std::string_view path);

// The path that a chain of symbolic links starting at `path` finally names, which need not
// exist yet; `path` itself when it is no link. Empty when the chain cannot be followed, or
// where the system would refuse to follow a link (on Linux: one in a sticky folder that
// anybody may write to, belonging neither to this user nor to the folder's owner).
std::string resolveLinks(const std::string& path);

// Whether this process may write the existing file `path`.
bool isWritable(const std::string& path);

// Whether another program holds the existing file `path` open for exclusive access. On
// Windows a hold that ends within about 2 s (a virus scanner, an indexer) is waited out.
bool isLockedByOther(const std::string& path);

// The bytes of the file `path`, from its start up to its end or up to and including the
// block that holds its first NUL byte. Nothing when the file cannot be opened or read, when
// it is a directory, or when another program holds it open for exclusive access.
std::optional<std::string> readText(const std::string& path);

enum class CreateOutcome { created, nameTaken, failed };

// A file opened for writing, closed when it goes out of scope.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(OutputFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
  OutputFile& operator=(OutputFile&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~OutputFile() { close(); }

  // Creates `path`, which must not exist yet, for this process alone; it takes the
  // permissions of `permissionsOf` when that file exists.
  static CreateOutcome createNew(const std::string& path, const std::string& permissionsOf,
                                 OutputFile& file);
  // Opens an existing device or FIFO for writing; a FIFO that nobody reads fails at once.
  static OutputFile openDevice(const std::string& path);

  bool isOpen() const { return handle_ != kNoHandle; }
  // Writes all of `bytes`; false when not all could be written.
  bool write(std::string_view bytes);
  // Asks the system to begin writing what has been written so far to the disk, without
  // waiting for it; a hint that nothing depends on.
  void startWriteback();
  bool flushToDisk();
  bool close();

 private:
  // A POSIX descriptor or a Win32 HANDLE; both use -1 for none.
  static constexpr std::intptr_t kNoHandle = -1;
  explicit OutputFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kNoHandle;
};

// Puts the file `from` in the place of `to` in one step, replacing what `to` held. On
// Windows it tries again for about 2 s while another program briefly holds either file.
bool renameOver(const std::string& from, const std::string& to);

// Gives the file `from` the name `to` in one step, only while nothing has that name:
// `nameTaken` leaves both as they were. On Windows it waits out a brief hold as renameOver.
CreateOutcome renameNew(const std::string& from, const std::string& to);

void removeFile(const std::string& path);

}  // namespace core::os
