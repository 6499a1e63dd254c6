#include "provider/sources/proc_mountinfo.h"

#include "provider/sources/proc_escapes.h"
#include "provider/text_util.h"

namespace provider {

// "id parent major:minor root mount-point options [optional...] - type source super-options"
std::vector<Mount> ParseMountinfo(std::string_view text) {
  std::vector<Mount> mounts;
  for (std::string_view line : SplitLines(text)) {
    auto fields = SplitFields(line);
    size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (fields.size() < 5 || separator + 2 >= fields.size()) continue;
    mounts.push_back(
        {fields[2], UnescapeProcField(fields[4]), fields[separator + 1], fields[separator + 2]});
  }
  return mounts;
}

}  // namespace provider
