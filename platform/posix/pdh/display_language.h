#pragma once

#include <string>

namespace platform::posix::pdh {

// The display language follows the first non-empty of LC_ALL, LC_MESSAGES and
// LANG: a value beginning with "de" gives German names, anything else English.
bool GermanDisplay();

// Names are kept in UTF-8. A locale whose value names UTF-8 gets them as they
// are; any other gets the 8-bit Western code page that a German Windows
// machine uses, so that umlauts stay one byte each.
std::string ToDisplayEncoding(const std::string& utf8);

}  // namespace platform::posix::pdh
