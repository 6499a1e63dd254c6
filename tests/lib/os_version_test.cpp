#include "lib/os_version.h"

#include <gtest/gtest.h>

namespace {

std::string Name(uint32_t platformId, uint32_t major, uint32_t minor,
                 const std::string& servicePack = "") {
  return lib::ClassifyOsVersion({platformId, major, minor, servicePack});
}

TEST(ClassifyOsVersion, NtReleasesByVersion) {
  EXPECT_EQ(Name(2, 3, 51), "osWinnt4");
  EXPECT_EQ(Name(2, 4, 0), "osWinnt4");
  EXPECT_EQ(Name(2, 4, 90), "osWinnt4");
  EXPECT_EQ(Name(2, 5, 0), "osWin2k");
  EXPECT_EQ(Name(2, 5, 1), "osWinxp");
  EXPECT_EQ(Name(2, 5, 2), "osWin2k3");
  EXPECT_EQ(Name(2, 5, 3), "OsUnknown");
  EXPECT_EQ(Name(2, 6, 0), "osVista");
  EXPECT_EQ(Name(2, 6, 1), "osWin7");
  EXPECT_EQ(Name(2, 6, 2), "OsUnknown");
  EXPECT_EQ(Name(2, 10, 0), "OsUnknown");
}

TEST(ClassifyOsVersion, ServicePackTwoCountsForXpOnly) {
  EXPECT_EQ(Name(2, 5, 1, "Service Pack 2"), "osWinxpSP2");
  EXPECT_EQ(Name(2, 5, 1, "Service Pack 2, v.2096"), "osWinxpSP2");
  EXPECT_EQ(Name(2, 5, 1, "Service Pack 3"), "osWinxp");
  EXPECT_EQ(Name(2, 5, 1, "service pack 2"), "osWinxp");
  EXPECT_EQ(Name(2, 5, 2, "Service Pack 2"), "osWin2k3");
  EXPECT_EQ(Name(2, 6, 0, "Service Pack 2"), "osVista");
}

TEST(ClassifyOsVersion, OtherPlatforms) {
  EXPECT_EQ(Name(1, 4, 10), "osWin9x");
  EXPECT_EQ(Name(1, 6, 1), "osWin9x");
  EXPECT_EQ(Name(0, 5, 1, "Service Pack 2"), "OsUnknown");
  EXPECT_EQ(Name(3, 6, 1), "OsUnknown");
}

TEST(GetOSVersion, LinuxIsNoWindowsRelease) {
  platform::OsVersionRecord record;
  ASSERT_TRUE(platform::QueryOsVersion(record));
  EXPECT_EQ(record.platformId, platform::kPlatformLinux);
  EXPECT_EQ(lib::GetOSVersion(), "OsUnknown");
}

}  // namespace
