#include "core/intparse.h"

#include <algorithm>
#include <optional>

namespace core {
namespace {

constexpr std::uint64_t kMaxPositive = 2147483647;
constexpr std::uint64_t kMaxNegative = 2147483648;
constexpr std::uint64_t kMaxPattern = 0xFFFFFFFF;

int digitValue(char c, unsigned base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base != 16) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of a run of digits that fills `digits` entirely and stays within `limit`.
std::optional<std::uint64_t> digitsValue(std::string_view digits, unsigned base,
                                         std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    const int digit = digitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    // Once above the limit no further digit can bring the value back.
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::size_t hexPrefixLength(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) return 2;
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) return 1;
  return 0;
}

std::int32_t hexOr(std::string_view digits, std::int32_t fallback) {
  const auto value = digitsValue(digits, 16, kMaxPattern);
  return value ? static_cast<std::int32_t>(static_cast<std::uint32_t>(*value)) : fallback;
}

std::int32_t signedDecimalOr(std::string_view text, std::int32_t fallback) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  const auto value = digitsValue(text, 10, negative ? kMaxNegative : kMaxPositive);
  if (!value) return fallback;
  const auto wide = static_cast<std::int64_t>(*value);
  return static_cast<std::int32_t>(negative ? -wide : wide);
}

}  // namespace

std::int32_t parseIntOr(std::string_view text, std::int32_t fallback) {
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  if (const std::size_t prefix = hexPrefixLength(text)) {
    return hexOr(text.substr(prefix), fallback);
  }
  return signedDecimalOr(text, fallback);
}

}  // namespace core
