#include "provider/sources/proc_loadavg.h"

#include "provider/text_util.h"

namespace provider {

Loadavg ParseLoadavg(std::string_view text) {
  Loadavg loadavg;
  auto fields = SplitFields(text);
  if (fields.size() < 4) return loadavg;
  std::string_view entities = fields[3];
  size_t slash = entities.find('/');
  if (slash == std::string_view::npos) return loadavg;
  if (auto total = ParseUnsigned(entities.substr(slash + 1))) {
    loadavg.schedulingEntities = static_cast<int64_t>(*total);
  }
  return loadavg;
}

}  // namespace provider
