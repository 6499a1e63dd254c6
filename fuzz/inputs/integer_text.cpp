#include <string>

#include "fuzz/fuzz_inputs.h"
#include "lib/numeric.h"

namespace quillon::fuzz {

// The integer syntax: its three 32-bit forms agree with each other, and the 64-bit
// form reads every decimal that the 32-bit form reads as the same number.
void RunIntegerText(std::string_view text) {
  int32_t value = 0;
  const bool parsed = lib::TryStrToInt(text, value);
  Require(lib::IsNumeric(text) == parsed, "IsNumeric agrees with TryStrToInt");
  try {
    Require(lib::StrToInt(text) == value && parsed, "StrToInt gives what TryStrToInt gives");
  } catch (const lib::EConvertError&) {
    Require(!parsed, "StrToInt raises only where TryStrToInt fails");
  }
  int64_t wide = 0;
  const bool parsedWide = lib::TryStrToInt64(text, wide);
  if (parsed && text.find_first_of("$xX") == std::string_view::npos) {
    Require(parsedWide && wide == value, "a 32-bit decimal reads the same in 64 bits");
  }
}

}  // namespace quillon::fuzz
