#include "platform/os_version.h"

#include <windows.h>

#include <cstring>

namespace platform {

bool QueryOsVersion(OsVersionRecord& record) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  record.platformId = info.dwPlatformId;
  record.majorVersion = info.dwMajorVersion;
  record.minorVersion = info.dwMinorVersion;
  record.servicePack.assign(info.szCSDVersion,
                            strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  return true;
}

}  // namespace platform
