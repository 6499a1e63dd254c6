#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers of the counter provider. The provider sits below the
// support library in the link order, so it keeps its own.
namespace provider {

std::string ToUpperAscii(std::string_view text);

// The fields of a text separated by blanks, tabs and line ends.
std::vector<std::string_view> SplitFields(std::string_view line);

// A whole unsigned decimal number; nothing else allowed.
std::optional<uint64_t> ParseUnsigned(std::string_view text);

// A column of a /proc table as a count: 0 where it holds no number.
int64_t CountOrZero(std::string_view field);

// A decimal with an optional fraction ("1234.56") in units of 1/scale, exactly.
std::optional<int64_t> ParseScaledDecimal(std::string_view text, int64_t scale);

// The lines of a text.
std::vector<std::string_view> SplitLines(std::string_view text);

// An instance name as Windows forms it from a device or program name: the
// characters that the counter-path syntax reserves are replaced ("(" by "[",
// ")" by "]", "#" and "\" by "_").
std::string SafeInstanceName(std::string_view name);

}  // namespace provider
