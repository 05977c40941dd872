#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "core/decimal.h"
#include "core/intparse.h"

namespace {

constexpr std::int32_t kFallback = 777;

struct ParseCase {
  std::string text;
  std::int32_t expected;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
  *out << '"' << c.text << '"';
}

class ParseIntOr : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntOr, YieldsValueOrFallback) {
  EXPECT_EQ(core::parseIntOr(GetParam().text, kFallback), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ParseIntOr,
    ::testing::Values(ParseCase{"0", 0}, ParseCase{"120", 120}, ParseCase{"+5", 5},
                      ParseCase{"-5", -5}, ParseCase{"-0", 0}, ParseCase{"00012", 12},
                      ParseCase{"-00012", -12}, ParseCase{"2147483647", INT32_MAX},
                      ParseCase{"-2147483648", INT32_MIN},
                      ParseCase{"000000000002147483647", INT32_MAX}, ParseCase{"9600", 9600}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseIntOr,
    ::testing::Values(ParseCase{"$7FFFFFFF", INT32_MAX}, ParseCase{"$FFFFFFFF", -1},
                      ParseCase{"$80000000", INT32_MIN}, ParseCase{"x1F", 31}, ParseCase{"X1f", 31},
                      ParseCase{"0x1f", 31}, ParseCase{"0X1f", 31}, ParseCase{"$abcDEF", 0xABCDEF},
                      ParseCase{"0x00000000F", 15}, ParseCase{"$0000000000ffffffff", -1},
                      ParseCase{"  $10", 16}));

INSTANTIATE_TEST_SUITE_P(Spaces, ParseIntOr,
                         ::testing::Values(ParseCase{" 120", 120}, ParseCase{"   -7", -7},
                                           ParseCase{"120 ", kFallback},
                                           ParseCase{"\t1", kFallback}, ParseCase{"1\t", kFallback},
                                           ParseCase{"   ", kFallback}, ParseCase{"- 5", kFallback},
                                           ParseCase{"1 2", kFallback}));

INSTANTIATE_TEST_SUITE_P(OutOfRange, ParseIntOr,
                         ::testing::Values(ParseCase{"2147483648", kFallback},
                                           ParseCase{"-2147483649", kFallback},
                                           ParseCase{"+2147483648", kFallback},
                                           ParseCase{"99999999999999999999999", kFallback},
                                           ParseCase{"$100000000", kFallback},
                                           ParseCase{"0x1FFFFFFFF", kFallback}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, ParseIntOr,
    ::testing::Values(ParseCase{"", kFallback}, ParseCase{"+", kFallback},
                      ParseCase{"-", kFallback}, ParseCase{"$", kFallback},
                      ParseCase{"x", kFallback}, ParseCase{"0x", kFallback},
                      ParseCase{"-$1", kFallback}, ParseCase{"+0x1", kFallback},
                      ParseCase{"$-1", kFallback}, ParseCase{"$1G", kFallback},
                      ParseCase{"12a", kFallback}, ParseCase{"1F", kFallback},
                      ParseCase{"0x0x1", kFallback}, ParseCase{"--1", kFallback},
                      ParseCase{"abc", kFallback}, ParseCase{"log.txt", kFallback},
                      ParseCase{std::string("1\0", 2), kFallback}, ParseCase{"\xB9", kFallback}));

TEST(ParseIntOrFallback, IsReturnedAsGiven) {
  EXPECT_EQ(core::parseIntOr("abc", INT32_MIN), INT32_MIN);
  EXPECT_EQ(core::parseIntOr("", 9600), 9600);
}

struct DecimalCase {
  std::int64_t value;
  std::string text;
};

void PrintTo(const DecimalCase& c, std::ostream* out) {
  *out << c.value;
}

class DecimalText : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(DecimalText, HasSignNoLeadingZerosNoGrouping) {
  EXPECT_EQ(core::decimalText(GetParam().value), GetParam().text);
}

TEST_P(DecimalText, AppendsAfterExistingText) {
  std::string out = "Aufzeichnung:\t";
  core::appendDecimal(out, GetParam().value);
  EXPECT_EQ(out, "Aufzeichnung:\t" + GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, DecimalText,
                         ::testing::Values(DecimalCase{0, "0"}, DecimalCase{7, "7"},
                                           DecimalCase{-7, "-7"}, DecimalCase{10, "10"},
                                           DecimalCase{255, "255"}, DecimalCase{1000000, "1000000"},
                                           DecimalCase{INT32_MIN, "-2147483648"},
                                           DecimalCase{INT64_MAX, "9223372036854775807"},
                                           DecimalCase{INT64_MIN, "-9223372036854775808"}));

}  // namespace
