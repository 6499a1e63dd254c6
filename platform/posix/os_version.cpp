#include "platform/os_version.h"

#include <sys/utsname.h>

#include <cstdio>

namespace platform {

bool QueryOsVersion(OsVersionRecord& record) {
  utsname name{};
  if (uname(&name) != 0) return false;
  record.platformId = kPlatformLinux;
  unsigned major = 0;
  unsigned minor = 0;
  std::sscanf(name.release, "%u.%u", &major, &minor);
  record.majorVersion = major;
  record.minorVersion = minor;
  record.servicePack = name.release;
  return true;
}

}  // namespace platform
