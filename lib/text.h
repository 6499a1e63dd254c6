#pragma once

#include <string>
#include <string_view>

namespace lib {

// Removes every leading and trailing byte with a code from 0 to 32.
std::string Trim(std::string_view text);

}  // namespace lib
