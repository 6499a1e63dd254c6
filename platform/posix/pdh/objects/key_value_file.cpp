#include "platform/posix/pdh/objects/key_value_file.h"

#include "platform/posix/pdh/text_util.h"

namespace platform::posix::pdh {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The name and the first number of a "name value" or "name: value kB" line;
// nullopt for the value when the line has none.
std::pair<std::string_view, std::optional<int64_t>> SplitKeyValueLine(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  std::string_view name = line.substr(start, end - start);
  if (name.ends_with(':')) name.remove_suffix(1);
  while (end < line.size() && IsBlank(line[end])) ++end;
  size_t valueEnd = end;
  while (valueEnd < line.size() && !IsBlank(line[valueEnd])) ++valueEnd;
  auto value = ParseUnsigned(line.substr(end, valueEnd - end));
  if (!value || *value > static_cast<uint64_t>(INT64_MAX)) return {name, std::nullopt};
  return {name, static_cast<int64_t>(*value)};
}

// Calls take(name, value) for each line with a number, in file order.
template <typename Take>
void ForEachKeyValue(std::string_view text, Take take) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    auto [name, value] = SplitKeyValueLine(line);
    if (!name.empty() && value) take(name, *value);
  }
}

}  // namespace

void FindKeyValues(std::string_view text, std::span<const std::string_view> names,
                   std::span<std::optional<int64_t>> values) {
  for (auto& value : values) value.reset();
  ForEachKeyValue(text, [&](std::string_view name, int64_t value) {
    for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
      if (!values[i] && names[i] == name) {
        values[i] = value;
        break;
      }
    }
  });
}

}  // namespace platform::posix::pdh
