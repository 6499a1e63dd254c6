#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Registry handles and codes with the values of the Windows API, so that the
// registry accessor above the seam behaves the same on both platforms. On Linux
// HKEY_LOCAL_MACHINE is read from the .reg file named by $QUILLON_REGISTRY
// (default /etc/quillon/registry.reg); the ...\Perflib subtree is served by the
// counter provider.
using RegKey = std::uintptr_t;

constexpr RegKey kHKeyLocalMachine = 0x80000002;
constexpr uint32_t kKeyRead = 0x00020019;

constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

constexpr int32_t kErrorSuccess = 0;
constexpr int32_t kErrorFileNotFound = 2;
constexpr int32_t kErrorAccessDenied = 5;
constexpr int32_t kErrorInvalidHandle = 6;
constexpr int32_t kErrorInvalidParameter = 87;
constexpr int32_t kErrorMoreData = 234;
constexpr int32_t kErrorNoMoreItems = 259;

// RegOpenKeyExA: opens subKey of an open key or a root key. The registry is read-only
// to the system: asking for write access gives kErrorAccessDenied on Linux.
int32_t OpenRegKey(RegKey key, const std::string& subKey, uint32_t access, RegKey* opened);

// RegQueryValueExA: with data null, sets *type and the needed *size and returns 0;
// with a buffer smaller than the data, sets *size and returns kErrorMoreData.
int32_t QueryRegValue(RegKey key, const std::string& valueName, uint32_t* type, uint8_t* data,
                      uint32_t* size);

// RegEnumKeyExA: the name of subkey number index; *nameSize is the buffer size in
// and the name's length (without its zero) out. kErrorNoMoreItems past the last.
int32_t EnumRegKey(RegKey key, uint32_t index, char* name, uint32_t* nameSize);

// RegQueryInfoKeyA, reduced to what the accessor needs.
int32_t QueryRegKeyInfo(RegKey key, uint32_t* subKeyCount, uint32_t* maxSubKeyLength);

int32_t CloseRegKey(RegKey key);

// SetLastError/GetLastError of the calling thread.
void SetThreadLastError(int32_t code);
int32_t ThreadLastError();

// The system's message text for an error code as FormatMessageA gives it (line end
// included), or the empty text when the system has none.
std::string SystemErrorText(int32_t code);

}  // namespace platform
