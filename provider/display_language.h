#pragma once

#include <string>
#include <string_view>

namespace provider {

// The display language follows the first non-empty of LC_ALL, LC_MESSAGES and
// LANG: a value beginning with "de" gives German names, anything else English.
// The environment is read once, when the library is loaded; a name lookup costs
// no environment search.
bool GermanDisplay();

// Whether the display encoding is UTF-8 (the locale's value names UTF-8) rather
// than the 8-bit Western code page that a German Windows machine uses.
bool Utf8Display();

// Reads the locale variables again, for a process that changes them after load.
void RereadDisplayLanguage();

// Names are kept in UTF-8. A UTF-8 display gets them as they are; any other gets
// them in the 8-bit Western code page, so that umlauts stay one byte each: a
// UTF-8 text of characters up to U+00FF in that code page.
std::string Latin1FromUtf8(std::string_view utf8);

}  // namespace provider
