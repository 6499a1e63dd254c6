#pragma once

#include <string>
#include <vector>

#include "provider/pdh_types.h"

namespace provider {

// The size-probe protocol of PDH for character data: a missing or too small
// buffer gets the needed size in characters (data holds every terminating zero)
// and PDH_MORE_DATA; otherwise the data is copied and its size reported.
PdhStatus CopyWithSizeProbe(const std::string& data, char* buffer, uint32_t* size);

// Texts as a multi-string: each followed by a zero, and a final zero.
std::string MultiString(const std::vector<std::string>& texts);

}  // namespace provider
