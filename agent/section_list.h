#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillon {

// The section names of an INI file in file order, as far as they fit a buffer of
// bufferSize bytes; none when the file cannot be read.
std::vector<std::string> ReadSectionNames(const std::string& path, size_t bufferSize);

// The rows of the counters file, in walk order.
void LoadSectionList(std::vector<std::string>& list);

}  // namespace quillon
