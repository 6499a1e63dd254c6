#include "platform/profile.h"

#include <windows.h>

#include "platform/path.h"

namespace platform {

uint32_t ProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                       uint32_t size, const char* fileName) {
  const std::string path = fileName != nullptr ? LocalPath(fileName) : std::string();
  return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size,
                                    fileName != nullptr ? path.c_str() : nullptr);
}

}  // namespace platform
