#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform::posix::pdh {

// Files of "name value" or "name: value [kB]" lines (meminfo, vmstat, a
// process's status): the first number of each line by its name. Empty when the
// file cannot be read.
std::map<std::string, int64_t, std::less<>> ReadKeyValueFile(const std::string& path);

// The first numbers of the named lines of such a text, in one pass: values[i]
// for names[i], nullopt when no line has that name.
void FindKeyValues(std::string_view text, std::span<const std::string_view> names,
                   std::span<std::optional<int64_t>> values);

// The value of a name, 0 when it is missing.
int64_t ValueOf(const std::map<std::string, int64_t, std::less<>>& values, std::string_view name);

}  // namespace platform::posix::pdh
