#include "agent/row_order.h"

#include <algorithm>

namespace quillon {

namespace {

// Requests are classed by their length against the default region's seven
// sub-identifiers, whatever region is configured.
constexpr size_t kRowClassLength = 7;

constexpr uint64_t kLargestSubIdentifier = 2147483647;

bool Before(std::span<const uint32_t> a, std::span<const uint32_t> b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

// The first name in OID order after the request; of equal OIDs, the first in the file.
std::optional<std::string_view> SmallestAfter(const ProfileSnapshot& rows,
                                              std::span<const uint32_t> request) {
  const std::vector<ProfileSnapshot::NamedOid>& ordered = rows.InOidOrder();
  const auto after =
      std::upper_bound(ordered.begin(), ordered.end(), request,
                       [](std::span<const uint32_t> a, const ProfileSnapshot::NamedOid& b) {
                         return Before(a, b.ids);
                       });
  if (after == ordered.end()) return std::nullopt;
  return rows.SectionNames()[after->position];
}

}  // namespace

bool ParsePlainOid(std::string_view name, std::vector<uint32_t>& ids) {
  ids.clear();
  uint64_t number = 0;
  size_t digits = 0;
  for (const char c : name) {
    if (c == '.') {
      if (digits == 0) return false;
      ids.push_back(static_cast<uint32_t>(number));
      number = 0;
      digits = 0;
    } else if (c >= '0' && c <= '9') {
      number = number * 10 + static_cast<uint64_t>(c - '0');
      if (number > kLargestSubIdentifier) return false;
      ++digits;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  ids.push_back(static_cast<uint32_t>(number));
  return true;
}

std::optional<std::string_view> SectionAfter(const ProfileSnapshot& rows,
                                             std::span<const uint32_t> request,
                                             std::string_view requestText) {
  const std::vector<std::string_view>& sections = rows.SectionNames();
  if (request.size() < kRowClassLength || sections.empty()) return std::nullopt;
  if (request.size() == kRowClassLength) return sections.front();
  if (const std::optional<size_t> at = rows.FirstPosition(requestText)) {
    if (*at + 1 < sections.size()) return sections[*at + 1];
    return std::nullopt;
  }
  return SmallestAfter(rows, request);
}

}  // namespace quillon
