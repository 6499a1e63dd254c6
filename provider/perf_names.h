#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace provider {

// One entry of the performance-name table: the fixed index that Windows-style
// callers translate through, the English name and the German display name
// (UTF-8 here; DisplayName converts it to the display encoding).
struct PerfName {
  uint32_t index;
  const char* english;
  const char* german;
};

// Every object and counter name, in ascending index order.
const std::vector<PerfName>& PerfNames();

// The entry for an index, or null.
const PerfName* FindPerfName(uint32_t index);

// The sets of names the provider serves: English, and German in either display
// encoding.
enum class NameSet { kEnglish, kGermanUtf8, kGermanLatin1 };

// The set of the current display language and encoding.
NameSet DisplayNameSet();

// The names of a set, in the order of PerfNames(); built once.
const std::vector<std::string>& NamesOf(NameSet set);

// The name in the current display language and encoding. name must be an entry
// of PerfNames().
const std::string& DisplayName(const PerfName& name);

// The name of an index in the display language; empty for an unknown index.
const std::string& DisplayNameOfIndex(uint32_t index);

// The index whose display name equals text, ASCII letters compared without
// case; 0 when there is none. Only indices listed in candidates are considered.
uint32_t FindIndexByDisplayName(const std::string& text, const std::vector<uint32_t>& candidates);

}  // namespace provider
