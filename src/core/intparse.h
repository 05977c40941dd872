// Integer parsing with a default, for settings lines and dialog fields typed by the user.
#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// The value of `text`, or `fallback` when the text is not a valid integer. Valid are: any
// number of spaces (0x20 only), then either an optional "+" or "-" with decimal digits whose
// value lies in the 32-bit signed range, or, without a sign, a hexadecimal prefix ("$", "x",
// "X", "0x", "0X") with hex digits of either case whose value fits in 32 bits; the hex value
// is taken as a 32-bit pattern ("$FFFFFFFF" is -1). Nothing may follow the digits. Leading
// zeros never put a value out of range ("-0" is 0, "0x00000000F" is 15).
std::int32_t parseIntOr(std::string_view text, std::int32_t fallback);

}  // namespace core
