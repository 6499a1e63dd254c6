#include "lib/numeric.h"

#include <bit>
#include <limits>
#include <optional>
#include <type_traits>

namespace lib {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Skips the hexadecimal prefix "$", "x", "X", "0x" or "0X"; false when there is none.
bool SkipHexPrefix(std::string_view& text) {
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    text.remove_prefix(1);
    return true;
  }
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    return true;
  }
  return false;
}

// Hexadecimal digits fill the integer's bits, so $FFFFFFFF is -1 for 32 bits; leading
// zeros are not counted against the width.
template <typename Int>
std::optional<Int> ParseHex(std::string_view digits) {
  using Bits = std::make_unsigned_t<Int>;
  constexpr int kMaxSignificant = std::numeric_limits<Bits>::digits / 4;
  if (digits.empty()) return std::nullopt;
  Bits bits = 0;
  int significant = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    if (significant > 0 || digit != 0) ++significant;
    if (significant > kMaxSignificant) return std::nullopt;
    bits = static_cast<Bits>((bits << 4) | static_cast<Bits>(digit));
  }
  return static_cast<Int>(bits);
}

// The magnitude may reach one past the largest positive value, the negative limit.
template <typename Int>
std::optional<std::make_unsigned_t<Int>> ParseDecimalMagnitude(std::string_view digits,
                                                               bool negative) {
  using Bits = std::make_unsigned_t<Int>;
  const Bits limit = static_cast<Bits>(std::numeric_limits<Int>::max()) + (negative ? 1 : 0);
  if (digits.empty()) return std::nullopt;
  Bits magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const Bits digit = static_cast<Bits>(c - '0');
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = static_cast<Bits>(magnitude * 10 + digit);
  }
  return magnitude;
}

template <typename Int>
std::optional<Int> ParseInteger(std::string_view text) {
  using Bits = std::make_unsigned_t<Int>;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (SkipHexPrefix(text)) {
    const std::optional<Int> value = ParseHex<Int>(text);
    if (!value) return std::nullopt;
    // Negating the lowest value wraps to itself, as the 32 bits of "-$80000000" say.
    const Bits bits = static_cast<Bits>(*value);
    return static_cast<Int>(negative ? static_cast<Bits>(Bits{0} - bits) : bits);
  }
  const std::optional<Bits> magnitude = ParseDecimalMagnitude<Int>(text, negative);
  if (!magnitude) return std::nullopt;
  return static_cast<Int>(negative ? static_cast<Bits>(Bits{0} - *magnitude) : *magnitude);
}

}  // namespace

bool TryStrToInt(std::string_view text, int32_t& value) {
  const std::optional<int32_t> parsed = ParseInteger<int32_t>(text);
  if (parsed) value = *parsed;
  return parsed.has_value();
}

int32_t StrToInt(std::string_view text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

bool IsNumeric(std::string_view text) { return ParseInteger<int32_t>(text).has_value(); }

bool TryStrToInt64(std::string_view text, int64_t& value) {
  const std::optional<int64_t> parsed = ParseInteger<int64_t>(text);
  if (parsed) value = *parsed;
  return parsed.has_value();
}

uint32_t Lo32(int64_t value) { return static_cast<uint32_t>(static_cast<uint64_t>(value)); }

uint32_t Hi32(int64_t value) { return static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32); }

int64_t Swap64(int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value);
  return static_cast<int64_t>((bits << 32) | (bits >> 32));
}

double DoubleFromBits(int64_t bits) { return std::bit_cast<double>(bits); }

}  // namespace lib
