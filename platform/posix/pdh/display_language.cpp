#include "platform/posix/pdh/display_language.h"

#include <cstdlib>

#include "platform/posix/pdh/text_util.h"

namespace platform::posix::pdh {
namespace {

std::string LocaleSetting() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return {};
}

bool LocaleUsesUtf8() {
  std::string setting = ToUpperAscii(LocaleSetting());
  return setting.find("UTF-8") != std::string::npos || setting.find("UTF8") != std::string::npos;
}

}  // namespace

bool GermanDisplay() { return LocaleSetting().starts_with("de"); }

std::string ToDisplayEncoding(const std::string& utf8) {
  if (LocaleUsesUtf8()) return utf8;
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

}  // namespace platform::posix::pdh
