#include "lib/os_version.h"

#include <exception>

namespace lib {

namespace {

constexpr uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNt = 2;     // VER_PLATFORM_WIN32_NT

std::string ClassifyNtVersion(const platform::OsVersionRecord& r) {
  if (r.majorVersion <= 4) return "osWinnt4";
  if (r.majorVersion == 5) {
    switch (r.minorVersion) {
      case 0:
        return "osWin2k";
      case 1:
        return r.servicePack.find("Service Pack 2") != std::string::npos ? "osWinxpSP2" : "osWinxp";
      case 2:
        return "osWin2k3";
    }
  }
  if (r.majorVersion == 6) {
    if (r.minorVersion == 0) return "osVista";
    if (r.minorVersion == 1) return "osWin7";
  }
  return "OsUnknown";
}

}  // namespace

std::string ClassifyOsVersion(const platform::OsVersionRecord& record) {
  if (record.platformId == kPlatformWin9x) return "osWin9x";
  if (record.platformId == kPlatformNt) return ClassifyNtVersion(record);
  return "OsUnknown";
}

std::string GetOSVersion() {
  try {
    platform::OsVersionRecord record;
    if (!platform::QueryOsVersion(record)) return "OsUnknown";
    return ClassifyOsVersion(record);
  } catch (const std::exception& e) {
    return std::string("exception: ") + e.what();
  }
}

}  // namespace lib
