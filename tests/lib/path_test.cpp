#include "platform/path.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class LocalPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("QUILLON_DRIVE_C");
    unsetenv("QUILLON_DRIVE_D");
  }
  void TearDown() override { SetUp(); }
};

TEST_F(LocalPathTest, DriveCDefaultsToTheRoot) {
  EXPECT_EQ(platform::LocalPath("c:\\log.txt"), "/log.txt");
  EXPECT_EQ(platform::LocalPath("C:/quillon/counters.ini"), "/quillon/counters.ini");
  EXPECT_EQ(platform::LocalPath("c:\\"), "/");
}

TEST_F(LocalPathTest, DriveDirectoryComesFromTheEnvironment) {
  setenv("QUILLON_DRIVE_C", "/tmp/drive-c", 1);
  EXPECT_EQ(platform::LocalPath("c:\\log.txt"), "/tmp/drive-c/log.txt");
  EXPECT_EQ(platform::LocalPath("C:\\a\\b c\\d.ini"), "/tmp/drive-c/a/b c/d.ini");
  setenv("QUILLON_DRIVE_C", "/tmp/drive-c/", 1);
  EXPECT_EQ(platform::LocalPath("c:\\\\log.txt"), "/tmp/drive-c/log.txt");
  setenv("QUILLON_DRIVE_D", "/data", 1);
  EXPECT_EQ(platform::LocalPath("d:\\x.ini"), "/data/x.ini");
}

TEST_F(LocalPathTest, OtherDrivesDefaultUnderMnt) {
  EXPECT_EQ(platform::LocalPath("D:\\scripts\\run.sh"), "/mnt/d/scripts/run.sh");
  EXPECT_EQ(platform::LocalPath("e:"), "/mnt/e");
}

TEST_F(LocalPathTest, OtherPathsStayAsTheyAre) {
  EXPECT_EQ(platform::LocalPath("/etc/quillon/counters.ini"), "/etc/quillon/counters.ini");
  EXPECT_EQ(platform::LocalPath("relative\\name.ini"), "relative\\name.ini");
  EXPECT_EQ(platform::LocalPath("1:\\x"), "1:\\x");
  EXPECT_EQ(platform::LocalPath("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(platform::LocalPath(""), "");
}

}  // namespace
