// Decimal text of an integer, the one format every number shown or saved uses: a minus sign
// for negative values, no leading zeros, no grouping.
#pragma once

#include <cstdint>
#include <string>

namespace core {

std::string decimalText(std::int64_t value);

// Appends the decimal text of `value` to `out` without building a string of its own.
void appendDecimal(std::string& out, std::int64_t value);

}  // namespace core
