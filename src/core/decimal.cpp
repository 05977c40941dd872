#include "core/decimal.h"

#include <charconv>

namespace core {

void appendDecimal(std::string& out, std::int64_t value) {
  char digits[20];  // "-9223372036854775808" is the longest
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  out.append(digits, result.ptr);
}

std::string decimalText(std::int64_t value) {
  std::string text;
  appendDecimal(text, value);
  return text;
}

}  // namespace core
