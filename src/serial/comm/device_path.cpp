#include "serial/comm/device_path.h"

#include <sys/stat.h>

#include <charconv>
#include <cstdint>
#include <optional>

namespace comm {

namespace {

std::optional<std::uint64_t> portNumber(std::string_view name) {
  constexpr std::string_view prefix = "COM";
  if (!name.starts_with(prefix) || !name.ends_with(':')) return std::nullopt;
  const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
  if (digits.empty() || digits.front() < '0' || digits.front() > '9') return std::nullopt;
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size() || number == 0) {
    return std::nullopt;
  }
  return number;
}

bool entryExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string devicePath(std::string_view deviceName) {
  const auto number = portNumber(deviceName);
  if (!number) return {};
  std::string entry = "COM" + std::to_string(*number);
  if (entryExists(entry)) return entry;
  return "/dev/ttyS" + std::to_string(*number - 1);
}

}  // namespace comm
