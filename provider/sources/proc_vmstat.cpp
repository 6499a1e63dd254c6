#include "provider/sources/proc_vmstat.h"

#include "provider/sources/key_value_file.h"

namespace provider {

Vmstat ParseVmstat(std::string_view text) {
  return FindKeyRecord<Vmstat>(text,
                               std::array<std::string_view, 3>{"pgfault", "pgmajfault", "pswpout"});
}

}  // namespace provider
