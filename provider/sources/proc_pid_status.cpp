#include "provider/sources/proc_pid_status.h"

#include "provider/sources/key_value_file.h"

namespace provider {

PidStatus ParsePidStatus(std::string_view text) {
  return FindKeyRecord<PidStatus>(text,
                                  std::array<std::string_view, 3>{"VmRSS", "RssAnon", "VmSwap"});
}

}  // namespace provider
