#pragma once

#include <cstdint>

namespace platform {

// GetPrivateProfileStringA, with its semantics:
// - section null: all section names of the file, in file order, each followed by a
//   zero byte, and a final zero byte;
// - key null: all key names of the section, the same way;
// - otherwise the key's value, or defaultValue when the section or key is absent.
// The result is cut to fit size (a value to size - 1 bytes; a list so that it still
// ends in two zero bytes) and the number of bytes copied, without the final zero,
// is returned. fileName goes through LocalPath().
uint32_t ProfileString(const char* section, const char* key, const char* defaultValue,
                       char* buffer, uint32_t size, const char* fileName);

}  // namespace platform
