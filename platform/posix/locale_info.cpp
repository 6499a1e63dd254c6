#include "platform/locale_info.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>

namespace platform {

namespace {

// The user's numeric conventions as LC_ALL, LC_NUMERIC and LANG name them, read
// without touching the process's global locale; "." when that locale is not installed.
std::string DecimalSeparator() {
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return ".";
  std::string separator = nl_langinfo_l(RADIXCHAR, user);
  freelocale(user);
  return separator.empty() ? "." : separator;
}

bool ItemText(uint32_t item, std::string& text) {
  switch (item) {
    case kLocaleDecimalSeparator:
      text = DecimalSeparator();
      return true;
    case kLocaleTimeSeparator:
      // Linux locales format times with ":" and keep no separate separator item.
      text = ":";
      return true;
    default:
      return false;
  }
}

}  // namespace

int LocaleInfo(uint32_t item, char* data, int size) {
  std::string text;
  if (!ItemText(item, text)) return 0;
  const int needed = static_cast<int>(text.size()) + 1;
  if (size == 0) return needed;
  if (data == nullptr || size < needed) return 0;
  std::memcpy(data, text.c_str(), static_cast<size_t>(needed));
  return needed;
}

}  // namespace platform
