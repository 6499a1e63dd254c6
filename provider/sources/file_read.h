#pragma once

#include <optional>
#include <string>

// Reading a file of /proc or /sys whole. Files under /proc report no size, so a
// read goes on until the end whatever stat says.
namespace provider {

// The whole content of a file; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// The same into a buffer that keeps its capacity from one read to the next.
// False, with content empty or partial, when the file cannot be read.
bool ReadFileInto(const std::string& path, std::string& content);

}  // namespace provider
