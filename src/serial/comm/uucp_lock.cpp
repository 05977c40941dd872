#include "serial/comm/uucp_lock.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

namespace comm {

namespace {

// Lock files hold the process ID as text, space-padded to ten characters, or (in the old
// Kermit style) as a binary int of four bytes.
std::optional<pid_t> ownerOf(const std::filesystem::path& lockFile) {
  std::ifstream file(lockFile, std::ios::binary);
  if (!file) return std::nullopt;
  const std::string content(std::istreambuf_iterator<char>(file), {});
  std::string_view text = content;
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text.remove_prefix(first);
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
  if (error == std::errc{} && end != text.data() && pid > 0) return pid;
  if (content.size() == sizeof(std::int32_t)) {
    std::int32_t binary = 0;
    std::memcpy(&binary, content.data(), sizeof binary);
    if (binary > 0) return static_cast<pid_t>(binary);
  }
  return std::nullopt;
}

// A process we may not signal (another user's) still lives.
bool isAlive(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

bool lockedByAnotherProgram(const std::string& path, const std::string& lockDirectory) {
  std::error_code error;
  const std::filesystem::path device = std::filesystem::canonical(path, error);
  if (error) return false;
  const auto lockFile =
      std::filesystem::path(lockDirectory) / ("LCK.." + device.filename().string());
  const auto owner = ownerOf(lockFile);
  return owner && *owner != ::getpid() && isAlive(*owner);
}

}  // namespace comm
