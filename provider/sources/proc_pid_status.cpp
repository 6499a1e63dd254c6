#include "provider/sources/proc_pid_status.h"

#include "provider/sources/key_value_file.h"

namespace provider {

PidStatus ParsePidStatus(std::string_view text) {
  const auto [resident, anonymous, swapped] =
      FindKeyValues(text, std::array<std::string_view, 3>{"VmRSS", "RssAnon", "VmSwap"});
  return {resident, anonymous, swapped};
}

}  // namespace provider
