#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "perf/internal.h"
#include "perf/perf.h"

namespace perf {

using internal::ActivePdh;

namespace {
constexpr uint32_t kRefreshTrue = 0xFFFFFFFF;
constexpr uint32_t kRefreshFalse = 0;

// The strings of a multi-string buffer up to the first empty one or the end of the
// data, whichever comes first; a string without its NUL ends at the data's end.
std::vector<std::string> SplitMultiString(const char* data, std::size_t size) {
  std::vector<std::string> strings;
  std::size_t pos = 0;
  while (pos < size) {
    const void* end = std::memchr(data + pos, '\0', size - pos);
    const std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - (data + pos)) : size - pos;
    if (length == 0) break;
    strings.emplace_back(data + pos, length);
    pos += length + 1;
  }
  return strings;
}

// The instance of an expanded path: what stands where the wildcard path has "(*)", found
// by the object's part before it and the counter's part after it.
std::optional<std::string> InstanceOf(const std::string& expanded, std::string_view before,
                                      std::string_view after) {
  const std::size_t start = expanded.find(before);
  if (start == std::string::npos || !expanded.ends_with(after)) return std::nullopt;
  const std::size_t from = start + before.size();
  if (expanded.size() < from + after.size()) return std::nullopt;
  return expanded.substr(from, expanded.size() - after.size() - from);
}

}  // namespace

bool enumobjects(std::vector<std::string>& objects, bool RefreshOnly) {
  platform::Pdh& pdh = ActivePdh();
  uint32_t size = 0;
  pdh.EnumObjects(nullptr, nullptr, nullptr, &size, platform::kPerfDetailWizard, kRefreshTrue);
  if (size == 0) return false;
  std::vector<char> buffer(size, '\0');
  uint32_t filled = size;
  if (pdh.EnumObjects(nullptr, nullptr, buffer.data(), &filled, platform::kPerfDetailWizard,
                      kRefreshFalse) != platform::kPdhOk) {
    return false;
  }
  if (!RefreshOnly) objects = SplitMultiString(buffer.data(), std::min(filled, size));
  return true;
}

bool enumobjectItems(const std::string& object, std::vector<std::string>& counters,
                     std::vector<std::string>& instances) {
  platform::Pdh& pdh = ActivePdh();
  uint32_t counterSize = 0;
  uint32_t instanceSize = 0;
  pdh.EnumObjectItems(nullptr, nullptr, object.c_str(), nullptr, &counterSize, nullptr,
                      &instanceSize, platform::kPerfDetailWizard, 0);
  if (counterSize == 0) return false;
  std::vector<char> counterBuffer(counterSize, '\0');
  std::vector<char> instanceBuffer(instanceSize, '\0');
  uint32_t counterFilled = counterSize;
  uint32_t instanceFilled = instanceSize;
  if (pdh.EnumObjectItems(nullptr, nullptr, object.c_str(), counterBuffer.data(), &counterFilled,
                          instanceSize ? instanceBuffer.data() : nullptr, &instanceFilled,
                          platform::kPerfDetailWizard, 0) != platform::kPdhOk) {
    return false;
  }
  counters = SplitMultiString(counterBuffer.data(), std::min(counterFilled, counterSize));
  instances = SplitMultiString(instanceBuffer.data(), std::min(instanceFilled, instanceSize));
  return true;
}

platform::PdhStatus ExpandInstances(const std::string& localWildcardPath,
                                    std::vector<CounterInstance>& instances) {
  instances.clear();
  const std::size_t wildcard = localWildcardPath.find("(*)\\");
  if (wildcard == std::string::npos) return platform::kPdhCStatusBadCounterName;
  const std::size_t slash = localWildcardPath.rfind('\\', wildcard);
  const std::size_t objectStart = slash == std::string::npos ? 0 : slash;
  // "\Object(" and ")\Counter": the wildcard's own parentheses stay with the parts.
  const std::string before = localWildcardPath.substr(objectStart, wildcard + 1 - objectStart);
  const std::string after = localWildcardPath.substr(wildcard + 2);

  platform::Pdh& pdh = ActivePdh();
  std::vector<char> buffer;
  platform::PdhStatus status = platform::kPdhMoreData;
  // Instances that come between the size probe and the call ask for another round.
  for (int round = 0; round < 3 && status == platform::kPdhMoreData; ++round) {
    uint32_t size = static_cast<uint32_t>(buffer.size());
    status = pdh.ExpandWildCardPath(nullptr, localWildcardPath.c_str(),
                                    buffer.empty() ? nullptr : buffer.data(), &size, 0);
    if (status == platform::kPdhMoreData) buffer.assign(std::max<std::size_t>(size, 2), '\0');
  }
  if (status != platform::kPdhOk) return status;
  for (std::string& expanded : SplitMultiString(buffer.data(), buffer.size())) {
    std::optional<std::string> name = InstanceOf(expanded, before, after);
    if (name) instances.push_back({std::move(*name), std::move(expanded)});
  }
  return platform::kPdhOk;
}

bool ExpandInstancesForRead(const std::string& localWildcardPath,
                            std::vector<CounterInstance>& instances) {
  const platform::PdhStatus status = ExpandInstances(localWildcardPath, instances);
  if (status != platform::kPdhOk) internal::LogFailedCall("PdhExpandWildCardPath", status);
  return status == platform::kPdhOk;
}

}  // namespace perf
