#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "core/decimal.h"
#include "core/intparse.h"

namespace {

constexpr std::int32_t kFallback = 777;

struct ParseCase {
  std::string text;
  std::int32_t expected;
};

void expectParsed(const std::vector<ParseCase>& cases) {
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(core::parseIntOr(text, kFallback), expected) << '"' << text << '"';
  }
}

TEST(ParseIntOr, ReadsSignedDecimalInThe32BitRange) {
  expectParsed({{"0", 0},
                {"120", 120},
                {"+5", 5},
                {"-5", -5},
                {"-0", 0},
                {"00012", 12},
                {"-00012", -12},
                {"2147483647", INT32_MAX},
                {"-2147483648", INT32_MIN},
                {"000000000002147483647", INT32_MAX},
                {" 120", 120},
                {"   -7", -7}});
}

TEST(ParseIntOr, ReadsHexAsA32BitPattern) {
  expectParsed({{"$7FFFFFFF", INT32_MAX},
                {"$FFFFFFFF", -1},
                {"$80000000", INT32_MIN},
                {"x1F", 31},
                {"X1f", 31},
                {"0x1f", 31},
                {"0X1f", 31},
                {"$abcDEF", 0xABCDEF},
                {"0x00000000F", 15},
                {"$0000000000ffffffff", -1},
                {"  $10", 16}});
}

TEST(ParseIntOr, FallsBackOutOfRange) {
  expectParsed({{"2147483648", kFallback},
                {"-2147483649", kFallback},
                {"+2147483648", kFallback},
                {"99999999999999999999999", kFallback},
                {"$100000000", kFallback},
                {"0x1FFFFFFFF", kFallback}});
}

TEST(ParseIntOr, FallsBackOnAnythingElse) {
  expectParsed({{"", kFallback},
                {"+", kFallback},
                {"-", kFallback},
                {"$", kFallback},
                {"x", kFallback},
                {"0x", kFallback},
                {"   ", kFallback},
                {"120 ", kFallback},
                {"\t1", kFallback},
                {"1\t", kFallback},
                {"- 5", kFallback},
                {"1 2", kFallback},
                {"-$1", kFallback},
                {"+0x1", kFallback},
                {"$-1", kFallback},
                {"$1G", kFallback},
                {"12a", kFallback},
                {"1F", kFallback},
                {"0x0x1", kFallback},
                {"--1", kFallback},
                {"log.txt", kFallback},
                {"\xB9", kFallback},
                {std::string("1\0", 2), kFallback}});
}

TEST(DecimalText, HasSignNoLeadingZerosNoGrouping) {
  const std::vector<std::pair<std::int64_t, std::string>> cases = {
      {0, "0"},
      {7, "7"},
      {-7, "-7"},
      {10, "10"},
      {255, "255"},
      {1000000, "1000000"},
      {INT32_MIN, "-2147483648"},
      {INT64_MAX, "9223372036854775807"},
      {INT64_MIN, "-9223372036854775808"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(core::decimalText(value), text);
    std::string appended = "Aufzeichnung:\t";
    core::appendDecimal(appended, value);
    EXPECT_EQ(appended, "Aufzeichnung:\t" + text);
  }
}

}  // namespace
