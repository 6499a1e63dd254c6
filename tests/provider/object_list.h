#pragma once

#include <optional>
#include <string>

// The README's list of the counter provider's objects and counters, made from
// the provider's own tables so that it cannot drift from them.
namespace provider_test {

constexpr const char* kObjectListBegin =
    "<!-- object list: generated from the provider's tables by provider_readme_objects -->";
constexpr const char* kObjectListEnd = "<!-- end of object list -->";

// The list as a Markdown table: one row per counter, in enumeration order.
std::string ObjectListMarkdown();

// readme with the text between the two marker lines replaced by list; nothing
// when the markers are missing or out of order.
std::optional<std::string> WithObjectList(const std::string& readme, const std::string& list);

}  // namespace provider_test
