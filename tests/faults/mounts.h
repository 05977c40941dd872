// Small tmpfs disks for fault tests: a folder that turns read-only, a disk that fills up.
// Root ignores permission bits, so a read-only mount is the honest way to deny it a write;
// a tiny tmpfs runs out of room for real. Mounting needs root; the mounts live in a private
// mount namespace that the test process takes at its start and vanish with it.
#pragma once

#include <cstddef>
#include <filesystem>

namespace faults {

// Call while the process has one thread only; false when mounting is not possible here.
bool takePrivateMounts();
bool canMount();

class Tmpfs {
 public:
  // Mounts a tmpfs of `bytes` on `at`, which is created if missing.
  Tmpfs(const std::filesystem::path& at, std::size_t bytes);
  ~Tmpfs();
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;

  bool mounted() const { return mounted_; }
  bool setReadOnly(bool readOnly);

 private:
  std::filesystem::path at_;
  std::size_t bytes_;
  bool mounted_ = false;
};

// Writes a file that takes every byte left on the disk of `path`; returns its size.
std::size_t fillDisk(const std::filesystem::path& path);

}  // namespace faults
