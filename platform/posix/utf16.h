#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// UTF-16LE bytes (no byte-order mark) as UTF-8, the code page that the A functions
// use on Linux. A lone surrogate becomes U+FFFD; an odd trailing byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// Text files as the Windows text readers take them: a UTF-16LE file with its
// byte-order mark becomes UTF-8, a UTF-8 byte-order mark is dropped, anything else
// is returned unchanged. True when the file starts with a UTF-16BE mark, which
// Windows does not read either.
bool IsUtf16BigEndian(std::string_view content);
std::string DecodeTextFile(std::string content);

}  // namespace platform::posix
