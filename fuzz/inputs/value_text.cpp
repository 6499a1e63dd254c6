#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_inputs.h"
#include "lib/value_text.h"

namespace quillon::fuzz {
namespace {

int64_t Bits(std::string_view data) {
  uint64_t bits = 0;
  std::memcpy(&bits, data.data(), std::min(data.size(), sizeof bits));
  return static_cast<int64_t>(bits);
}

}  // namespace

// A value of the kind the first byte chooses, from the bits that follow. A double
// reads back as itself to 15 significant digits, with "." as its separator.
void RunValueText(std::string_view data) {
  if (data.empty()) return;
  const int64_t bits = Bits(data.substr(1));
  switch (static_cast<uint8_t>(data.front()) % 5) {
    case 0:
      Require(lib::ValueToText(lib::CounterValue{}).empty(), "Null has no text");
      return;
    case 1:
      lib::ValueToText(static_cast<int32_t>(bits));
      return;
    case 2:
      lib::ValueToText(static_cast<uint32_t>(bits));
      return;
    case 3:
      lib::ValueToText(bits);
      return;
    default:
      break;
  }
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  const std::string text = lib::ValueToText(value);
  if (!std::isfinite(value)) return;
  Require(text.find(',') == std::string::npos, "the separator is a point");
  // Read back wider: the largest doubles round up past the double range.
  char* end = nullptr;
  const long double back = std::strtold(text.c_str(), &end);
  Require(end == text.c_str() + text.size(), "the text is one number");
  Require(std::fabs(back - value) <= std::fabs(value) * 1e-14L + DBL_TRUE_MIN,
          "the text reads back as the value");
}

}  // namespace quillon::fuzz
