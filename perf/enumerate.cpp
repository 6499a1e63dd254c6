#include <algorithm>
#include <cstring>
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

}  // namespace perf
