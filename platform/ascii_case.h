#pragma once

#include <string_view>

// Names in the Windows APIs that the seam stands in for (registry keys, INI keys,
// counter and object names) match whatever the case of their ASCII letters; no
// other character is folded, whatever the locale.
namespace platform {

char AsciiLower(char c);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace platform
