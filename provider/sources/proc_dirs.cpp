#include "provider/sources/proc_dirs.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

#include "provider/text_util.h"

namespace provider {

std::vector<std::string> DirectoryEntries(const std::string& path) {
  std::vector<std::string> entries;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), closedir);
  if (!dir) return entries;
  while (dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back(std::move(name));
  }
  return entries;
}

std::vector<uint32_t> ProcessIds(const std::string& procRoot) {
  std::vector<uint32_t> ids;
  for (const std::string& name : DirectoryEntries(procRoot)) {
    if (auto id = ParseUnsigned(name); id && *id <= UINT32_MAX)
      ids.push_back(static_cast<uint32_t>(*id));
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace provider
