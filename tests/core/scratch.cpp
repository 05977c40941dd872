#include "scratch.h"

#include "core/error.h"

#include <sched.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace core::testing {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "querlan-core-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

// A test may have made a folder read-only; it must still go.
ScratchDir::~ScratchDir() {
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> result;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    result.push_back(entry.path().filename().string());
  }
  std::sort(result.begin(), result.end());
  return result;
}

namespace {

// Mounts made in a private mount namespace vanish with the test process, even if it crashes.
bool hasPrivateMounts() {
  static const bool isPrivate = ::unshare(CLONE_NEWNS) == 0 &&
                                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return isPrivate;
}

}  // namespace

TinyDisk::TinyDisk(const std::string& at, std::size_t bytes) : at_(at), bytes_(bytes) {
  std::filesystem::create_directory(at_);
  const std::string options = "size=" + std::to_string(bytes_);
  mounted_ = hasPrivateMounts() && ::mount("tmpfs", at_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TinyDisk::~TinyDisk() {
  if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
}

bool TinyDisk::makeReadOnly() {
  const std::string options = "size=" + std::to_string(bytes_);
  return ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options.c_str()) == 0;
}

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::Error& error) {
    return error.what();
  }
  return "(no error)";
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace core::testing
