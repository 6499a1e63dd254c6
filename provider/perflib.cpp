#include "platform/posix/perflib.h"

#include "platform/ascii_case.h"
#include "provider/display_language.h"
#include "provider/perf_names.h"

namespace platform::posix {
namespace {

constexpr const char* kGermanSubkey = "007";
constexpr const char* kEnglishSubkey = "009";
constexpr const char* kCurrentLanguageSubkey = "CurrentLanguage";

// The "Counter" multi-string of a name set, built once: a registry read of the
// table costs a copy, not a rebuild.
const std::string& NameTable(provider::NameSet set) {
  auto build = [](provider::NameSet wanted) {
    const std::vector<std::string>& texts = provider::NamesOf(wanted);
    std::string table;
    for (size_t i = 0; i < texts.size(); ++i) {
      table += std::to_string(provider::PerfNames()[i].index);
      table += '\0';
      table += texts[i];
      table += '\0';
    }
    table += '\0';
    return table;
  };
  static const std::string english = build(provider::NameSet::kEnglish);
  static const std::string germanUtf8 = build(provider::NameSet::kGermanUtf8);
  static const std::string germanLatin1 = build(provider::NameSet::kGermanLatin1);
  switch (set) {
    case provider::NameSet::kGermanUtf8:
      return germanUtf8;
    case provider::NameSet::kGermanLatin1:
      return germanLatin1;
    case provider::NameSet::kEnglish:
      break;
  }
  return english;
}

}  // namespace

const std::vector<std::string>& PerflibSubkeys() {
  static const std::vector<std::string> german = {kGermanSubkey, kEnglishSubkey,
                                                  kCurrentLanguageSubkey};
  static const std::vector<std::string> other = {kEnglishSubkey, kCurrentLanguageSubkey};
  return provider::GermanDisplay() ? german : other;
}

const std::string* PerflibMultiSz(std::string_view subkey, std::string_view valueName) {
  if (!EqualsIgnoringAsciiCase(valueName, "Counter")) return nullptr;
  for (const std::string& existing : PerflibSubkeys()) {
    if (existing != subkey) continue;
    // "009" holds the English names, "007" the German ones, and "CurrentLanguage"
    // those of the display language, whichever it is.
    return &NameTable(subkey == kEnglishSubkey ? provider::NameSet::kEnglish
                                               : provider::DisplayNameSet());
  }
  return nullptr;
}

}  // namespace platform::posix
