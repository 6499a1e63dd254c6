#include "lib/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/locale_info.h"

namespace lib {

namespace {

constexpr int kSignificantDigits = 15;
// Decimal exponents (of the first significant digit) written positionally.
constexpr int kLowestPositionalExponent = -4;
constexpr int kHighestPositionalExponent = 14;

struct DecimalDigits {
  std::string digits;  // significant digits, no trailing zeros, at least one
  int exponent = 0;    // the power of ten of the first digit
};

// Rounds a finite, non-zero magnitude to the significant digits we print.
DecimalDigits RoundToSignificant(double magnitude) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                       std::chars_format::scientific, kSignificantDigits - 1);
  const std::string_view text(buffer, ec == std::errc() ? end - buffer : 0);
  const size_t e = text.find('e');
  DecimalDigits result;
  for (char c : text.substr(0, e)) {
    if (c != '.') result.digits += c;
  }
  while (result.digits.size() > 1 && result.digits.back() == '0') result.digits.pop_back();
  result.exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  return result;
}

// Texts are built by appending: GCC 12 misreads "literal" + std::string&& as an
// overlapping copy (-Wrestrict).
void AppendPositional(const DecimalDigits& d, std::string& text) {
  if (d.exponent < 0) {
    text.append("0.").append(static_cast<size_t>(-d.exponent - 1), '0').append(d.digits);
    return;
  }
  const size_t integerDigits = static_cast<size_t>(d.exponent) + 1;
  if (d.digits.size() <= integerDigits) {
    text.append(d.digits).append(integerDigits - d.digits.size(), '0');
    return;
  }
  text.append(d.digits, 0, integerDigits).append(".").append(d.digits, integerDigits);
}

void AppendScientific(const DecimalDigits& d, std::string& text) {
  text.append(d.digits, 0, 1);
  if (d.digits.size() > 1) text.append(".").append(d.digits, 1);
  text.append("E").append(std::to_string(d.exponent));
}

// The separator is "." from the start: replacing the locale's separator afterwards
// could also hit the "E" of an exponent or the letters of INF and NAN when a user
// has chosen such a separator.
std::string DoubleText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  // Negative zero reads as plain 0.
  if (value == 0) return "0";
  const DecimalDigits d = RoundToSignificant(std::fabs(value));
  std::string text = value < 0 ? "-" : "";
  if (d.exponent >= kLowestPositionalExponent && d.exponent <= kHighestPositionalExponent) {
    AppendPositional(d, text);
  } else {
    AppendScientific(d, text);
  }
  return text;
}

struct ValueTextVisitor {
  std::string operator()(std::monostate) const { return {}; }
  std::string operator()(int32_t v) const { return std::to_string(v); }
  std::string operator()(uint32_t v) const { return std::to_string(v); }
  std::string operator()(int64_t v) const { return std::to_string(v); }
  std::string operator()(double v) const { return DoubleText(v); }
};

}  // namespace

std::string ValueToText(const CounterValue& value) { return std::visit(ValueTextVisitor{}, value); }

std::string GetLocaleText(uint32_t item) {
  const int size = platform::LocaleInfo(item, nullptr, 0);
  if (size <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(size));
  if (platform::LocaleInfo(item, buffer.data(), size) <= 0) return {};
  return std::string(buffer.data());
}

}  // namespace lib
