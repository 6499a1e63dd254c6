#pragma once

#include <string>

#include "platform/os_version.h"

namespace lib {

// "osWin9x", "osWinnt4", "osWin2k", "osWinxp", "osWinxpSP2", "osWin2k3", "osVista",
// "osWin7" or "OsUnknown" for a version record.
std::string ClassifyOsVersion(const platform::OsVersionRecord& record);

// The name of the release this runs on; never fails ("exception: " + message).
std::string GetOSVersion();

}  // namespace lib
