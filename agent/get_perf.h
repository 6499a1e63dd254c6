#pragma once

#include <string>

#include "agent/profile_file.h"

namespace quillon {

// The value text of one row of the counters file: a counter read with its flags, a
// command's output or a constant; empty when the row has no value now. Raises
// lib::EConvertError when a "div" or "mult" item carries no integer, and
// std::runtime_error when a command row's command was cut short (its time limit, or
// killed by the service's stop). rows: the snapshot of the counters file that the
// request holds.
std::string GetPerf(const ProfileSnapshot& rows, const std::string& section);

}  // namespace quillon
