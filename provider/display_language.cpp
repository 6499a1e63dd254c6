#include "provider/display_language.h"

#include <atomic>
#include <cstdlib>

#include "provider/text_util.h"

namespace provider {
namespace {

std::string LocaleSetting() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return {};
}

struct Language {
  std::atomic<bool> german{false};
  std::atomic<bool> utf8{false};

  Language() { Read(); }
  void Read() {
    std::string setting = LocaleSetting();
    german = setting.starts_with("de");
    std::string upper = ToUpperAscii(setting);
    utf8 = upper.find("UTF-8") != std::string::npos || upper.find("UTF8") != std::string::npos;
  }
};

Language& Current() {
  static Language language;
  return language;
}

// Read at load, before any caller asks.
[[maybe_unused]] const Language& loadedLanguage = Current();

}  // namespace

bool GermanDisplay() { return Current().german; }

bool Utf8Display() { return Current().utf8; }

void RereadDisplayLanguage() { Current().Read(); }

std::string Latin1FromUtf8(std::string_view utf8) {
  std::string latin1;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    // Only two-byte sequences up to U+00FF occur in the name table.
    if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
      unsigned char next = static_cast<unsigned char>(utf8[++i]);
      latin1 += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
    } else {
      latin1 += static_cast<char>(lead);
    }
  }
  return latin1;
}

}  // namespace provider
