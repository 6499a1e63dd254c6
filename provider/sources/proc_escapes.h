#pragma once

#include <string>
#include <string_view>

namespace provider {

// A path field of a /proc table (mounts, swaps) with the kernel's "\ooo"
// escapes of blanks, tabs, line ends and backslashes turned back into the
// characters.
std::string UnescapeProcField(std::string_view field);

}  // namespace provider
