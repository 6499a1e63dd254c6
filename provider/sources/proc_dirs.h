#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace provider {

// The process ids that have a directory under the proc root, ascending.
std::vector<uint32_t> ProcessIds(const std::string& procRoot);

// The names in a directory, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> DirectoryEntries(const std::string& path);

}  // namespace provider
