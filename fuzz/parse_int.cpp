// Integer parsing with a default, on arbitrary text. Beside not crashing, every result is
// compared with a plain reading of the rule written out here a second time: spaces, then a
// signed decimal in the 32-bit range or an unsigned hex pattern of at most 32 bits, and
// nothing after it; anything else gives the caller's default.
#include <cstdint>
#include <optional>
#include <string_view>

#include "check.h"
#include "core/intparse.h"

namespace {

std::optional<int> digitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// The digits' value, or nothing when there are none, when another character is among them
// or when the value passes `limit`.
std::optional<std::uint64_t> digitsUpTo(std::string_view digits, int base, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    const auto digit = digitValue(c, base);
    if (!digit) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(*digit);
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::optional<std::int32_t> hexPattern(std::string_view digits) {
  const auto value = digitsUpTo(digits, 16, 0xFFFFFFFFu);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
}

std::optional<std::int32_t> referenceValue(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (text.starts_with(prefix)) return hexPattern(text.substr(prefix.size()));
  }
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  const auto value = digitsUpTo(text, 10, negative ? 0x80000000u : 0x7FFFFFFFu);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*value)
                                            : static_cast<std::int64_t>(*value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> expected = referenceValue(text);
  // Two different defaults tell a valid text that reads as a default from an invalid one.
  const std::int32_t withZero = core::parseIntOr(text, 0);
  const std::int32_t withOne = core::parseIntOr(text, 1);
  if (expected) {
    fuzz::check(withZero == *expected && withOne == *expected, "a valid text reads its value");
  } else {
    fuzz::check(withZero == 0 && withOne == 1, "an invalid text gives the default");
  }
  return 0;
}
