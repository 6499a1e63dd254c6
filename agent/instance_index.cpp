#include "agent/instance_index.h"

#include <algorithm>

namespace quillon {

namespace {

bool InIndexOrder(std::string_view a, std::string_view b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

void AppendInstanceIndex(std::string_view name, OidIds& ids) {
  ids.push_back(static_cast<UINT>(name.size()));
  for (const char c : name) ids.push_back(static_cast<unsigned char>(c));
}

int CompareWithIndex(std::span<const UINT> ids, std::string_view name) {
  if (ids.empty()) return -1;
  if (ids[0] != name.size()) return ids[0] < name.size() ? -1 : 1;
  for (size_t i = 0; i < name.size(); ++i) {
    if (i + 1 >= ids.size()) return -1;
    const UINT byte = static_cast<unsigned char>(name[i]);
    if (ids[i + 1] != byte) return ids[i + 1] < byte ? -1 : 1;
  }
  return ids.size() > name.size() + 1 ? 1 : 0;
}

void PutInIndexOrder(std::vector<perf::CounterInstance>& instances) {
  std::stable_sort(instances.begin(), instances.end(),
                   [](const auto& a, const auto& b) { return InIndexOrder(a.name, b.name); });
  const auto repeats = std::unique(instances.begin(), instances.end(),
                                   [](const auto& a, const auto& b) { return a.name == b.name; });
  instances.erase(repeats, instances.end());
}

}  // namespace quillon
