#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lib {

// A text that is not a number in the syntax asked for. Message:
// "'<text>' is not a valid integer value".
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The 32-bit integer syntax used throughout the system: leading blanks (character
// 32 only), at most one sign, then decimal digits in -2147483648..2147483647, or
// "$", "x", "X", "0x" or "0X" and at most eight significant hexadecimal digits whose
// 32 bits are taken as a signed value; nothing after the digits.
bool TryStrToInt(std::string_view text, int32_t& value);
// The same, raising EConvertError.
int32_t StrToInt(std::string_view text);
bool IsNumeric(std::string_view text);

// The same syntax widened to 64 bits (decimal in the int64 range, at most sixteen
// significant hexadecimal digits).
bool TryStrToInt64(std::string_view text, int64_t& value);

uint32_t Lo32(int64_t value);
uint32_t Hi32(int64_t value);
int64_t Swap64(int64_t value);
double DoubleFromBits(int64_t bits);

}  // namespace lib
