#include "provider/size_probe.h"

#include <cstring>
#include <vector>

namespace provider {

PdhStatus CopyWithSizeProbe(const std::string& data, char* buffer, uint32_t* size) {
  uint32_t needed = static_cast<uint32_t>(data.size());
  if (!buffer || *size < needed) {
    *size = needed;
    return kPdhMoreData;
  }
  std::memcpy(buffer, data.data(), data.size());
  *size = needed;
  return kPdhOk;
}

std::string MultiString(const std::vector<std::string>& texts) {
  std::string list;
  for (const std::string& text : texts) {
    list += text;
    list += '\0';
  }
  list += '\0';
  return list;
}

}  // namespace provider
