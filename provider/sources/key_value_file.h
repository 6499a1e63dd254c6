#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>

namespace provider {

// Texts of "name value" or "name: value [kB]" lines (meminfo, vmstat, a
// process's status, snmp6): the first numbers of the named lines, in one pass:
// values[i] for names[i], nullopt when no line has that name.
void FindKeyValues(std::string_view text, std::span<const std::string_view> names,
                   std::span<std::optional<int64_t>> values);

// The same for a fixed list of names: the numbers in the order of the names.
template <size_t Count>
std::array<std::optional<int64_t>, Count> FindKeyValues(
    std::string_view text, const std::array<std::string_view, Count>& names) {
  std::array<std::optional<int64_t>, Count> values;
  FindKeyValues(text, names, values);
  return values;
}

// The same as a record whose fields, all optional numbers, follow the order of
// the names.
template <typename Record, size_t Count>
Record FindKeyRecord(std::string_view text, const std::array<std::string_view, Count>& names) {
  return std::apply([](const auto&... values) { return Record{values...}; },
                    FindKeyValues(text, names));
}

}  // namespace provider
