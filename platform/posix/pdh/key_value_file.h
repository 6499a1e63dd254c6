#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace platform::posix::pdh {

// Files of "name value" or "name: value [kB]" lines (meminfo, vmstat, a
// process's status): the first number of each line by its name. Empty when the
// file cannot be read.
std::map<std::string, int64_t, std::less<>> ReadKeyValueFile(const std::string& path);

// The value of a name, 0 when it is missing.
int64_t ValueOf(const std::map<std::string, int64_t, std::less<>>& values, std::string_view name);

}  // namespace platform::posix::pdh
