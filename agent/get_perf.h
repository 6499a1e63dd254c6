#pragma once

#include <string>

#include "agent/profile_file.h"

namespace quillon {

// The value text of one row of the counters file: a counter read with its flags, a
// command's output or a constant; empty when the row has no value now. Raises
// lib::EConvertError when a "div" or "mult" item carries no integer.
std::string GetPerf(const std::string& section);
// The same, from a snapshot of the counters file that the caller already holds.
std::string GetPerf(const ProfileSnapshot& rows, const std::string& section);

}  // namespace quillon
