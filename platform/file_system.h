#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Paths go through LocalPath().

// True when a regular file (not a directory) exists at the path.
bool FileExists(const std::string& path);

// Appends text to a file: opens it for appending, creates it when that fails, writes,
// closes. Returns 0, or the platform's error code of the step that failed.
uint32_t AppendToFile(const std::string& path, std::string_view text);

}  // namespace platform
