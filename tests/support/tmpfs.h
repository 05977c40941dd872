// Small tmpfs disks: a folder that turns read-only, a disk that fills up. Root ignores
// permission bits, so a read-only mount is the honest way to deny it a write, and a tiny
// tmpfs runs out of room for real. Mounting needs root; the mounts are made in a private
// mount namespace, so they are seen by this process only and vanish with it, even if it
// crashes.
#pragma once

#include <cstddef>
#include <filesystem>

namespace testsupport {

// Takes the private mount namespace on the first call and tells on every call whether it
// has one. The first call must come while the process has one thread only: a program that
// starts threads calls it from main() (the kernel refuses it later).
bool takePrivateMounts();

class Tmpfs {
 public:
  // Mounts a tmpfs of `bytes` on `at`, which is created if missing; see mounted().
  Tmpfs(const std::filesystem::path& at, std::size_t bytes);
  ~Tmpfs();
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;

  // False where mounting is not possible here; `at` is then a plain folder.
  bool mounted() const { return mounted_; }
  bool setReadOnly(bool readOnly);

 private:
  std::filesystem::path at_;
  std::size_t bytes_;
  bool mounted_ = false;
};

// Writes a file that takes every byte left on the disk of `path`; returns its size.
std::size_t fillDisk(const std::filesystem::path& path);

}  // namespace testsupport
