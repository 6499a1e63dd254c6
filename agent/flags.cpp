#include "agent/flags.h"

#include <cmath>
#include <cstdint>

#include "agent/log.h"
#include "lib/numeric.h"

namespace quillon {

namespace {

double AsDouble(const lib::CounterValue& value) {
  return std::visit(
      [](auto number) -> double {
        if constexpr (std::is_same_v<decltype(number), std::monostate>) {
          return 0.0;
        } else {
          return static_cast<double>(number);
        }
      },
      value);
}

// Rounds to the nearest integer, halves to the even neighbour; false when the result
// lies outside the 64-bit range (or the value is not a number).
bool RoundHalfEven(double number, int64_t& rounded) {
  double nearest = std::nearbyint(number);
  if (!(nearest >= -9223372036854775808.0 && nearest < 9223372036854775808.0)) return false;
  rounded = static_cast<int64_t>(nearest);
  return true;
}

// The value as a 64-bit integer: integers widened by their own signedness, doubles
// rounded half to even.
bool Int64Form(const lib::CounterValue& value, int64_t& form) {
  if (const double* number = std::get_if<double>(&value)) return RoundHalfEven(*number, form);
  if (const int32_t* integer = std::get_if<int32_t>(&value)) form = *integer;
  if (const uint32_t* longWord = std::get_if<uint32_t>(&value)) form = *longWord;
  if (const int64_t* int64 = std::get_if<int64_t>(&value)) form = *int64;
  return true;
}

// An integer is multiplied exactly and only the product becomes a Double. False when
// the product leaves the 64-bit range (integers) or the double range (doubles).
bool Multiply(const lib::CounterValue& value, int32_t factor, double& product) {
  if (const double* number = std::get_if<double>(&value)) {
    product = *number * factor;
    return !std::isinf(product) || std::isinf(*number);
  }
  int64_t form = 0;
  Int64Form(value, form);
  int64_t exact = 0;
  if (__builtin_mul_overflow(form, int64_t{factor}, &exact)) return false;
  product = static_cast<double>(exact);
  return true;
}

void DropValue(const std::string& cause, lib::CounterValue& value) {
  Log("GetPerf: " + cause);
  value = std::monostate{};
}

// Removes four characters where the word first stands ("mult", or "div" and the
// character after it) and reads what is left of the item as the operand.
int32_t TakeOperand(std::string& item, size_t wordAt) {
  item.erase(wordAt, 4);
  return lib::StrToInt(item);
}

template <typename Transform>
void ApplyToInt64Form(const char* word, lib::CounterValue& value, Transform transform) {
  int64_t form = 0;
  if (!Int64Form(value, form)) {
    DropValue(std::string(word) + " out of range", value);
    return;
  }
  value = transform(form);
}

}  // namespace

std::vector<std::string> SplitFlagItems(const std::string& flagText) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start < flagText.size()) {
    size_t end = flagText.find_first_of(",\r\n", start);
    if (end == std::string::npos) end = flagText.size();
    items.push_back(flagText.substr(start, end - start));
    start = end;
    if (start < flagText.size() && flagText[start] == '\r' && start + 1 < flagText.size() &&
        flagText[start + 1] == '\n') {
      ++start;
    }
    if (start < flagText.size()) ++start;
  }
  return items;
}

void ApplyFlagItem(std::string item, lib::CounterValue& value) {
  size_t at = item.find("div");
  if (at != std::string::npos && !lib::IsNull(value)) {
    int32_t divisor = TakeOperand(item, at);
    if (divisor == 0) {
      DropValue("div by 0", value);
    } else {
      value = AsDouble(value) / divisor;
    }
  }
  at = item.find("mult");
  if (at != std::string::npos && !lib::IsNull(value)) {
    int32_t factor = TakeOperand(item, at);
    double product = 0.0;
    if (Multiply(value, factor, product)) {
      value = product;
    } else {
      DropValue("mult out of range", value);
    }
  }
  if (item.find("lo") != std::string::npos && !lib::IsNull(value)) {
    ApplyToInt64Form("lo", value,
                     [](int64_t form) -> lib::CounterValue { return lib::Lo32(form); });
  }
  if (item.find("hi") != std::string::npos && !lib::IsNull(value)) {
    ApplyToInt64Form("hi", value,
                     [](int64_t form) -> lib::CounterValue { return lib::Hi32(form); });
  }
  if (item.find("swap64") != std::string::npos && !lib::IsNull(value)) {
    ApplyToInt64Form("swap64", value,
                     [](int64_t form) -> lib::CounterValue { return lib::Swap64(form); });
  }
  if (item.find("cdbl") != std::string::npos && !lib::IsNull(value)) {
    ApplyToInt64Form("cdbl", value,
                     [](int64_t form) -> lib::CounterValue { return lib::DoubleFromBits(form); });
  }
  if (item.find("round") != std::string::npos && !lib::IsNull(value)) {
    int64_t rounded = 0;
    if (RoundHalfEven(AsDouble(value), rounded)) {
      value = rounded;
    } else {
      DropValue("round out of range", value);
    }
  }
}

}  // namespace quillon
