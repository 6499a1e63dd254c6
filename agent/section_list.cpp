#include "agent/section_list.h"

#include <algorithm>
#include <cstring>

#include "agent/state.h"
#include "platform/profile.h"

namespace quillon {

namespace {

constexpr size_t kCountersSectionBuffer = 32768;

}  // namespace

std::vector<std::string> ReadSectionNames(const std::string& path, size_t bufferSize) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  std::vector<char> buffer(bufferSize, '\0');
  uint32_t copied = platform::ProfileString(nullptr, nullptr, "", buffer.data(),
                                            static_cast<uint32_t>(buffer.size()), path.c_str());
  if (copied == 0) return names;
  const char* end = buffer.data() + std::min<size_t>(copied, buffer.size() - 1);
  for (const char* name = buffer.data(); name < end && *name != '\0';
       name += std::strlen(name) + 1) {
    names.emplace_back(name);
  }
  return names;
}

void LoadSectionList(std::vector<std::string>& list) {
  list = ReadSectionNames(State().settings.counters, kCountersSectionBuffer);
}

}  // namespace quillon
