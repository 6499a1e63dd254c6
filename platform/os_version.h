#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The fields of the Windows version record (OSVERSIONINFOA) that naming the
// release needs. Linux has no such record: it reports kPlatformLinux, a platform
// identifier that is neither VER_PLATFORM_WIN32_WINDOWS (1) nor VER_PLATFORM_WIN32_NT (2).
struct OsVersionRecord {
  uint32_t platformId = 0;
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  std::string servicePack;
};

constexpr uint32_t kPlatformLinux = 0x4C4E5800;

// Fills the record as GetVersionExA does; false when the platform call fails.
bool QueryOsVersion(OsVersionRecord& record);

}  // namespace platform
