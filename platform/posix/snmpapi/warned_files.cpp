#include "warned_files.h"

#include <mutex>
#include <set>
#include <utility>

namespace platform::posix {

bool FirstWarning(const std::string& file, const std::string& reason) {
  static std::mutex mutex;
  // Never destroyed: an agent's thread may still warn while the process exits.
  static auto* const warned = new std::set<std::pair<std::string, std::string>>;
  std::lock_guard lock(mutex);
  return warned->emplace(file, reason).second;
}

}  // namespace platform::posix
