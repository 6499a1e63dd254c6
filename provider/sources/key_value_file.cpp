#include "provider/sources/key_value_file.h"

#include <algorithm>

#include "provider/text_util.h"

namespace provider {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The first number of what follows a line's name; nullopt when there is none.
std::optional<int64_t> FirstNumber(std::string_view rest) {
  size_t start = 0;
  while (start < rest.size() && IsBlank(rest[start])) ++start;
  size_t end = start;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  auto value = ParseUnsigned(rest.substr(start, end - start));
  if (!value || *value > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
  return static_cast<int64_t>(*value);
}

}  // namespace

// The files have dozens of lines and the callers want a few of them: a line's number
// is parsed only when its name is wanted and not found yet, and the reading stops
// once every name has its number.
void FindKeyValues(std::string_view text, std::span<const std::string_view> names,
                   std::span<std::optional<int64_t>> values) {
  for (auto& value : values) value.reset();
  const size_t wanted = std::min(names.size(), values.size());
  size_t found = 0;
  while (!text.empty() && found < wanted) {
    const size_t lineEnd = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, lineEnd);
    text.remove_prefix(std::min(lineEnd + 1, text.size()));

    size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) ++start;
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    std::string_view name = line.substr(start, end - start);
    if (name.ends_with(':')) name.remove_suffix(1);
    if (name.empty()) continue;
    for (size_t i = 0; i < wanted; ++i) {
      if (values[i] || names[i] != name) continue;
      // A line without a number leaves the name to a later line.
      values[i] = FirstNumber(line.substr(end));
      found += values[i].has_value();
      break;
    }
  }
}

}  // namespace provider
