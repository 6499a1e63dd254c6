#include "platform/registry.h"

#include <windows.h>

namespace platform {

namespace {

HKEY ToHkey(RegKey key) {
  return key == kHKeyLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key);
}

}  // namespace

int32_t OpenRegKey(RegKey key, const std::string& subKey, uint32_t access, RegKey* opened) {
  HKEY result = nullptr;
  const LONG status = ::RegOpenKeyExA(ToHkey(key), subKey.c_str(), 0, access, &result);
  *opened = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(result) : 0;
  return status;
}

int32_t QueryRegValue(RegKey key, const std::string& valueName, uint32_t* type, uint8_t* data,
                      uint32_t* size) {
  DWORD typeOut = 0;
  DWORD sizeOut = size != nullptr ? *size : 0;
  const LONG status = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &typeOut, data,
                                         size != nullptr ? &sizeOut : nullptr);
  if (type != nullptr) *type = typeOut;
  if (size != nullptr) *size = sizeOut;
  return status;
}

int32_t EnumRegKey(RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
  DWORD length = *nameSize;
  const LONG status =
      ::RegEnumKeyExA(ToHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
  *nameSize = length;
  return status;
}

int32_t QueryRegKeyInfo(RegKey key, uint32_t* subKeyCount, uint32_t* maxSubKeyLength) {
  DWORD count = 0;
  DWORD longest = 0;
  const LONG status = ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &count, &longest,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (subKeyCount != nullptr) *subKeyCount = count;
  if (maxSubKeyLength != nullptr) *maxSubKeyLength = longest;
  return status;
}

int32_t CloseRegKey(RegKey key) { return ::RegCloseKey(ToHkey(key)); }

void SetThreadLastError(int32_t code) { ::SetLastError(static_cast<DWORD>(code)); }

int32_t ThreadLastError() { return static_cast<int32_t>(::GetLastError()); }

// The network messages first, then the system's.
std::string SystemErrorText(int32_t code) {
  HMODULE messages = ::LoadLibraryExA("netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  if (messages != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(flags, messages, static_cast<DWORD>(code),
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0) {
    text.assign(buffer, length);
    ::LocalFree(buffer);
  }
  if (messages != nullptr) ::FreeLibrary(messages);
  return text;
}

}  // namespace platform
