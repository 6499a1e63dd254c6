#pragma once

#include <string>
#include <vector>

#include "lib/counter_value.h"

namespace quillon {

// The items of a counter row's flag text: "," and line breaks separate them; a
// separator at the very end gives no empty last item.
std::vector<std::string> SplitFlagItems(const std::string& flagText);

// Applies the words of one item to a counter value, in the order div, mult, lo, hi,
// swap64, cdbl, round, each only while the value is not Null. A result that cannot
// be represented (division by 0, out of range) makes the value Null with a debug
// line naming the cause. Raises lib::EConvertError when the number after "div" or
// "mult" does not read as an integer.
void ApplyFlagItem(std::string item, lib::CounterValue& value);

}  // namespace quillon
