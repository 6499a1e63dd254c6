#include "platform/ini_text.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/ascii_case.h"

namespace platform {

namespace {

// Blanks around a line.
bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }
// Blanks around a name or a value.
bool IsNameBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

template <typename IsBlank>
std::string_view Trim(std::string_view text, IsBlank isBlank) {
  size_t first = 0;
  while (first < text.size() && isBlank(text[first])) ++first;
  size_t last = text.size();
  while (last > first && isBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

size_t IniText::CaseInsensitiveHash::operator()(std::string_view text) const {
  uint64_t hash = 14695981039346656037ull;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
  return static_cast<size_t>(hash);
}

bool IniText::CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const {
  return EqualsIgnoringAsciiCase(a, b);
}

IniText::IniText(std::string text) : text_(std::move(text)) {
  const std::string_view all = text_;
  size_t start = 0;
  while (start < all.size()) {
    const size_t end = std::min(all.find_first_of("\r\n", start), all.size());
    const std::string_view line = Trim(all.substr(start, end - start), IsLineBlank);
    start = end + 1;
    if (line.starts_with('[')) {
      const std::string_view name = Trim(line.substr(1, line.find(']') - 1), IsNameBlank);
      first_.emplace(name, sections_.size());
      sections_.push_back({name, {}});
      continue;
    }
    if (sections_.empty() || line.starts_with(';')) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    sections_.back().entries.push_back({Trim(line.substr(0, equals), IsNameBlank),
                                        Unquoted(Trim(line.substr(equals + 1), IsNameBlank))});
  }
}

const IniText::Section* IniText::Find(std::string_view name) const {
  const auto found = first_.find(name);
  return found == first_.end() ? nullptr : &sections_[found->second];
}

std::optional<std::string_view> IniText::Value(std::string_view section,
                                               std::string_view key) const {
  return Value(Find(section), key);
}

std::optional<std::string_view> IniText::Value(const Section* section, std::string_view key) {
  if (section == nullptr) return std::nullopt;
  for (const Entry& entry : section->entries) {
    if (CaseInsensitiveEqual()(entry.key, key)) return entry.value;
  }
  return std::nullopt;
}

}  // namespace platform
