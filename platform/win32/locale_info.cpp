#include "platform/locale_info.h"

#include <windows.h>

namespace platform {

int LocaleInfo(uint32_t item, char* data, int size) {
  return GetLocaleInfoA(LOCALE_USER_DEFAULT, item, data, size);
}

}  // namespace platform
