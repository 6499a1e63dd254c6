#include "lib/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "lib/text.h"

namespace {

std::optional<int32_t> Parse32(const std::string& text) {
  int32_t value = 0;
  if (!lib::TryStrToInt(text, value)) return std::nullopt;
  EXPECT_TRUE(lib::IsNumeric(text)) << text;
  return value;
}

std::optional<int64_t> Parse64(const std::string& text) {
  int64_t value = 0;
  if (!lib::TryStrToInt64(text, value)) return std::nullopt;
  return value;
}

TEST(IntegerSyntax, AcceptsDecimalWithBlanksAndSign) {
  EXPECT_EQ(Parse32("42"), 42);
  EXPECT_EQ(Parse32("-42"), -42);
  EXPECT_EQ(Parse32("+7"), 7);
  EXPECT_EQ(Parse32("  5"), 5);
  EXPECT_EQ(Parse32("007"), 7);
  EXPECT_EQ(Parse32("-0"), 0);
}

TEST(IntegerSyntax, AcceptsEveryHexPrefix) {
  EXPECT_EQ(Parse32("$1F"), 31);
  EXPECT_EQ(Parse32("x1f"), 31);
  EXPECT_EQ(Parse32("X1F"), 31);
  EXPECT_EQ(Parse32("0x1f"), 31);
  EXPECT_EQ(Parse32("0XaB"), 171);
  EXPECT_EQ(Parse32(" -$10"), -16);
  EXPECT_EQ(Parse32("+0x10"), 16);
}

TEST(IntegerSyntax, RejectsMalformedText) {
  for (const char* text : {"",    " ",   "-",   "+",   "$",  "0x",   "x",   "12 ", "1.5",  "\t5",
                           "--1", "+-1", "- 1", "1e3", "$G", "0x1g", "12a", "$ 1", "0x-1", "$$1"}) {
    EXPECT_FALSE(lib::IsNumeric(text)) << '"' << text << '"';
  }
}

TEST(IntegerSyntax, DecimalRangeIsThirtyTwoBits) {
  EXPECT_EQ(Parse32("2147483647"), 2147483647);
  EXPECT_EQ(Parse32("-2147483648"), INT32_MIN);
  EXPECT_EQ(Parse32("00000000002147483647"), 2147483647);
  EXPECT_FALSE(Parse32("2147483648"));
  EXPECT_FALSE(Parse32("-2147483649"));
  EXPECT_FALSE(Parse32("4294967296"));
  EXPECT_FALSE(Parse32("99999999999999999999"));
}

TEST(IntegerSyntax, HexTakesEightSignificantDigitsAsSignedBits) {
  EXPECT_EQ(Parse32("$FFFFFFFF"), -1);
  EXPECT_EQ(Parse32("$7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(Parse32("$80000000"), INT32_MIN);
  EXPECT_EQ(Parse32("-$FFFFFFFF"), 1);
  EXPECT_EQ(Parse32("-$80000000"), INT32_MIN);
  // Leading zeros are not significant.
  EXPECT_EQ(Parse32("$000000001"), 1);
  EXPECT_EQ(Parse32("0x0000000000FFFFFFFF"), -1);
  EXPECT_FALSE(Parse32("$100000000"));
  EXPECT_FALSE(Parse32("0x1FFFFFFFF"));
}

TEST(IntegerSyntax, ConversionFailureNamesTheText) {
  EXPECT_EQ(lib::StrToInt(" -12"), -12);
  try {
    lib::StrToInt("12 ");
    FAIL() << "no exception";
  } catch (const lib::EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12 ' is not a valid integer value");
  }
}

TEST(IntegerSyntax, SixtyFourBitFormWidensTheRange) {
  EXPECT_EQ(Parse64(" 9223372036854775807"), INT64_MAX);
  EXPECT_EQ(Parse64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(Parse64("4294967296"), 4294967296LL);
  EXPECT_EQ(Parse64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(Parse64("0x100000000"), 4294967296LL);
  EXPECT_EQ(Parse64("-x10"), -16);
  EXPECT_FALSE(Parse64("9223372036854775808"));
  EXPECT_FALSE(Parse64("$10000000000000000"));
  EXPECT_FALSE(Parse64("5 "));
  EXPECT_FALSE(Parse64(""));
}

TEST(BitHelpers, SplitSwapAndReinterpret) {
  EXPECT_EQ(lib::Lo32(-1), 4294967295u);
  EXPECT_EQ(lib::Hi32(-1), 4294967295u);
  EXPECT_EQ(lib::Lo32(0x123456789ALL), 0x3456789Au);
  EXPECT_EQ(lib::Hi32(0x123456789ALL), 0x12u);
  EXPECT_EQ(lib::Swap64((1LL << 32) + 2), (1LL << 33) + 1);
  EXPECT_EQ(lib::Swap64(INT64_MIN), 0x80000000LL);
  EXPECT_EQ(lib::DoubleFromBits(1023LL << 52), 1.0);
  EXPECT_EQ(lib::DoubleFromBits(INT64_MIN), 0.0);
  EXPECT_TRUE(std::signbit(lib::DoubleFromBits(INT64_MIN)));
}

TEST(Trim, RemovesControlBytesAndBlanksAtBothEnds) {
  EXPECT_EQ(lib::Trim("\r\n 42 \t\r\n"), "42");
  EXPECT_EQ(lib::Trim(std::string("\0a b\x1f", 5)), "a b");
  EXPECT_EQ(lib::Trim(" \x01 "), "");
  EXPECT_EQ(lib::Trim("\xe4x\xe4"), "\xe4x\xe4");
}

}  // namespace
