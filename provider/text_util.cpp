#include "provider/text_util.h"

#include <algorithm>
#include <charconv>

namespace provider {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    size_t end = pos;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > pos) fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

std::optional<uint64_t> ParseUnsigned(std::string_view text) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int64_t CountOrZero(std::string_view field) {
  return static_cast<int64_t>(ParseUnsigned(field).value_or(0));
}

std::optional<int64_t> ParseScaledDecimal(std::string_view text, int64_t scale) {
  size_t dot = text.find('.');
  auto whole = ParseUnsigned(text.substr(0, dot));
  if (!whole) return std::nullopt;
  int64_t value = static_cast<int64_t>(*whole) * scale;
  if (dot == std::string_view::npos) return value;
  std::string_view fraction = text.substr(dot + 1);
  int64_t unit = scale;
  for (char digit : fraction) {
    if (digit < '0' || digit > '9') return std::nullopt;
    unit /= 10;
    value += (digit - '0') * unit;
  }
  return value;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

std::string SafeInstanceName(std::string_view name) {
  std::string safe(name);
  for (char& c : safe) {
    if (c == '(')
      c = '[';
    else if (c == ')')
      c = ']';
    else if (c == '#' || c == '\\')
      c = '_';
  }
  return safe;
}

}  // namespace provider
