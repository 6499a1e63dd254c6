#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the counter provider serves of the registry key
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Perflib
// to the Linux registry stand-in.
namespace platform::posix {

// The names of the Perflib subkeys, as a current Windows has them, in the order
// it lists them: "009" (English) and "CurrentLanguage" (the display language)
// always, and "007" first when the display language is German.
const std::vector<std::string>& PerflibSubkeys();

// A value of the subkey ("Counter" of "009": the English name table as a
// REG_MULTI_SZ, index and name alternating, each followed by a zero byte, with a
// final zero byte), where the provider keeps it; null when the subkey or value
// does not exist. The table stays as long as the library is loaded.
const std::string* PerflibMultiSz(std::string_view subkey, std::string_view valueName);

}  // namespace platform::posix
