#include "platform/posix/pdh/perflib.h"

#include "platform/posix/pdh/display_language.h"
#include "platform/posix/pdh/perf_names.h"
#include "platform/posix/pdh/text_util.h"
#include "platform/registry.h"

namespace platform::posix {
namespace {

constexpr const char* kGermanSubkey = "007";
constexpr const char* kEnglishSubkey = "009";
constexpr const char* kCurrentLanguageSubkey = "CurrentLanguage";

// The "Counter" multi-string of a name set, built once: a registry read of the
// table costs a copy, not a rebuild.
const std::string& NameTable(pdh::NameSet set) {
  auto build = [](pdh::NameSet wanted) {
    const std::vector<std::string>& texts = pdh::NamesOf(wanted);
    std::string table;
    for (size_t i = 0; i < texts.size(); ++i) {
      table += std::to_string(pdh::PerfNames()[i].index);
      table += '\0';
      table += texts[i];
      table += '\0';
    }
    table += '\0';
    return table;
  };
  static const std::string english = build(pdh::NameSet::kEnglish);
  static const std::string germanUtf8 = build(pdh::NameSet::kGermanUtf8);
  static const std::string germanLatin1 = build(pdh::NameSet::kGermanLatin1);
  switch (set) {
    case pdh::NameSet::kGermanUtf8:
      return germanUtf8;
    case pdh::NameSet::kGermanLatin1:
      return germanLatin1;
    case pdh::NameSet::kEnglish:
      break;
  }
  return english;
}

}  // namespace

std::vector<std::string> PerflibSubkeys() {
  if (pdh::GermanDisplay()) return {kGermanSubkey, kEnglishSubkey, kCurrentLanguageSubkey};
  return {kEnglishSubkey, kCurrentLanguageSubkey};
}

bool PerflibValue(const std::string& subkey, const std::string& valueName, uint32_t& type,
                  std::string& data) {
  if (!pdh::EqualsIgnoringAsciiCase(valueName, "Counter")) return false;
  const pdh::NameSet display = pdh::DisplayNameSet();
  for (const std::string& existing : PerflibSubkeys()) {
    if (existing != subkey) continue;
    type = kRegMultiSz;
    // "009" holds the English names, "007" the German ones, and "CurrentLanguage"
    // those of the display language, whichever it is.
    data = NameTable(subkey == kEnglishSubkey ? pdh::NameSet::kEnglish : display);
    return true;
  }
  return false;
}

}  // namespace platform::posix
