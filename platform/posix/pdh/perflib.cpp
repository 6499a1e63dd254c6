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

const std::vector<std::string>& PerflibSubkeys() {
  static const std::vector<std::string> german = {kGermanSubkey, kEnglishSubkey,
                                                  kCurrentLanguageSubkey};
  static const std::vector<std::string> other = {kEnglishSubkey, kCurrentLanguageSubkey};
  return pdh::GermanDisplay() ? german : other;
}

const std::string* PerflibMultiSz(std::string_view subkey, std::string_view valueName) {
  if (!pdh::EqualsIgnoringAsciiCase(valueName, "Counter")) return nullptr;
  for (const std::string& existing : PerflibSubkeys()) {
    if (existing != subkey) continue;
    // "009" holds the English names, "007" the German ones, and "CurrentLanguage"
    // those of the display language, whichever it is.
    return &NameTable(subkey == kEnglishSubkey ? pdh::NameSet::kEnglish : pdh::DisplayNameSet());
  }
  return nullptr;
}

bool PerflibValue(const std::string& subkey, const std::string& valueName, uint32_t& type,
                  std::string& data) {
  const std::string* table = PerflibMultiSz(subkey, valueName);
  if (table == nullptr) return false;
  type = kRegMultiSz;
  data = *table;
  return true;
}

}  // namespace platform::posix
