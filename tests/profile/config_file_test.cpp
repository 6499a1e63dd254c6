// The reads of the files that name commands: never blocking, never huge, and on Linux
// never a file that someone else than root or the service's user can change.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
using platform::ConfigFile;

class ConfigFileTest : public testing::Test {
 protected:
  ConfigFileTest() {
    std::string pattern = (fs::temp_directory_path() / "quillon-config-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  ~ConfigFileTest() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms(0700), ignored);
    fs::remove_all(dir_, ignored);
  }

  std::string Write(const std::string& name, const std::string& content, mode_t mode = 0644) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    EXPECT_EQ(chmod(path.c_str(), mode), 0);
    return path.string();
  }

  // The refusal, "read" or "missing".
  static std::string Outcome(const std::string& path) {
    const ConfigFile file = platform::ReadConfigFile(path);
    if (file.status == ConfigFile::kRefused || file.status == ConfigFile::kFailed) {
      EXPECT_TRUE(file.bytes.empty());
      return file.refusal;
    }
    EXPECT_TRUE(file.refusal.empty());
    return file.status == ConfigFile::kRead ? "read" : "missing";
  }

  fs::path dir_;
};

TEST_F(ConfigFileTest, AnOrdinaryFileIsReadWithItsIdentity) {
  const std::string path = Write("counters.ini", "[s]\nk=v\n");
  const ConfigFile file = platform::ReadConfigFile(path);
  ASSERT_EQ(file.status, ConfigFile::kRead);
  EXPECT_EQ(file.bytes, "[s]\nk=v\n");
  EXPECT_FALSE(file.settled) << "written just now";
  platform::FileIdentity now;
  ASSERT_TRUE(platform::IdentifyFile(path, now));
  EXPECT_EQ(now, file.identity);
}

TEST_F(ConfigFileTest, NothingOrADirectoryIsMissing) {
  EXPECT_EQ(Outcome((dir_ / "absent.ini").string()), "missing");
  EXPECT_EQ(Outcome((dir_ / "absent" / "deeper.ini").string()), "missing");
  EXPECT_EQ(Outcome(dir_.string()), "missing");
  platform::FileIdentity identity;
  EXPECT_FALSE(platform::IdentifyFile(dir_.string(), identity));
}

TEST_F(ConfigFileTest, SameSizeRewritesAndRenamesChangeTheIdentity) {
  const std::string path = Write("counters.ini", "value=1\n");
  platform::FileIdentity before;
  ASSERT_TRUE(platform::IdentifyFile(path, before));
  // Rewritten in place with another modification time, as an editor would save it.
  Write("counters.ini", "value=2\n");
  const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 5}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  platform::FileIdentity rewritten;
  ASSERT_TRUE(platform::IdentifyFile(path, rewritten));
  EXPECT_EQ(rewritten.size, before.size);
  EXPECT_NE(rewritten, before);
  const std::string other = Write("next.ini", "value=3\n");
  ASSERT_EQ(rename(other.c_str(), path.c_str()), 0);
  platform::FileIdentity renamed;
  ASSERT_TRUE(platform::IdentifyFile(path, renamed));
  EXPECT_NE(renamed, rewritten);
}

TEST_F(ConfigFileTest, FifosAndDevicesAreRefusedWithoutBlocking) {
  const std::string fifo = (dir_ / "fifo.ini").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Outcome(fifo), "not a regular file");
  const std::string zero = (dir_ / "zero.ini").string();
  fs::create_symlink("/dev/zero", zero);
  EXPECT_EQ(Outcome(zero), "not a regular file");
  EXPECT_EQ(Outcome("/dev/null"), "not a regular file");
}

TEST_F(ConfigFileTest, FilesOverTheLimitAreRefusedUnread) {
  const std::string path = Write("huge.ini", "");
  ASSERT_EQ(truncate(path.c_str(), platform::kConfigFileLimit + 1), 0);
  EXPECT_EQ(Outcome(path), "larger than 64 MiB");
}

TEST_F(ConfigFileTest, FilesOthersCanChangeAreRefused) {
  EXPECT_EQ(Outcome(Write("open.ini", "x", 0666)), "writable by group or others (mode 0666)");
  EXPECT_EQ(Outcome(Write("group.ini", "x", 0620)), "writable by group or others (mode 0620)");
  EXPECT_EQ(Outcome(Write("private.ini", "x", 0600)), "read");
  EXPECT_EQ(Outcome(Write("readable.ini", "x", 0444)), "read");

  const std::string foreign = Write("foreign.ini", "x");
  if (geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
  ASSERT_EQ(chown(foreign.c_str(), 65534, static_cast<gid_t>(-1)), 0);
  EXPECT_EQ(Outcome(foreign), "owned by user 65534 (nobody), neither root nor the service's user");
}

TEST_F(ConfigFileTest, DirectoriesOthersCanWriteNeedTheStickyBit) {
  const fs::path open = dir_ / "open";
  fs::create_directories(open / "inner");
  std::ofstream(open / "inner" / "counters.ini") << "x";
  const std::string path = (open / "inner" / "counters.ini").string();
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  EXPECT_EQ(Outcome(path),
            "in " + open.string() + ", a directory others can write to without the sticky bit");
  ASSERT_EQ(chmod(open.c_str(), 01777), 0);
  EXPECT_EQ(Outcome(path), "read") << "as /tmp: others cannot replace what they do not own";

  // Through a link the real place is what counts.
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  const std::string link = (dir_ / "link.ini").string();
  fs::create_symlink(path, link);
  EXPECT_NE(Outcome(link).find("without the sticky bit"), std::string::npos);
}

// Whoever may write to a directory on the way, or own a link on it, could put another
// file in the place of the one named.
TEST_F(ConfigFileTest, EveryDirectoryAndLinkOnTheWayAsWrittenAndAsResolvedMustBeSafe) {
  const std::string safe = Write("counters.ini", "x");
  const fs::path open = dir_ / "open";
  fs::create_directory(open);
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  const fs::path link = open / "link.ini";
  fs::create_symlink(safe, link);
  EXPECT_EQ(Outcome(link.string()),
            "in " + open.string() + ", a directory others can write to without the sticky bit")
      << "a link anyone may repoint, though it points at a safe file now";
  const fs::path hop = dir_ / "hop.ini";
  fs::create_symlink(link, hop);
  EXPECT_NE(Outcome(hop.string()).find("without the sticky bit"), std::string::npos)
      << "a link met half way";

  const fs::path team = dir_ / "team";
  fs::create_directories(team / "inner");
  std::ofstream(team / "inner" / "c.ini") << "x";
  ASSERT_EQ(chmod(team.c_str(), 0775), 0);
  EXPECT_EQ(Outcome((team / "inner" / "c.ini").string()),
            "in " + team.string() + ", a directory its group can write to without the sticky bit");
  ASSERT_EQ(chmod(team.c_str(), 03775), 0);
  EXPECT_EQ(Outcome((team / "inner" / "c.ini").string()), "read");
  const fs::path up = team / "inner" / ".." / "inner" / "." / "c.ini";
  EXPECT_EQ(Outcome(up.string()), "read");

  if (geteuid() != 0) GTEST_SKIP() << "giving directories and links away needs root";
  const fs::path users = dir_ / "users";
  fs::create_directory(users);
  std::ofstream(users / "c.ini") << "x";
  ASSERT_EQ(chown(users.c_str(), 65534, static_cast<gid_t>(-1)), 0);
  EXPECT_EQ(Outcome((users / "c.ini").string()),
            "in " + users.string() +
                ", a directory owned by user 65534 (nobody), neither root nor the service's user")
      << "its owner may swap the root-owned file for another";
  const fs::path theirs = dir_ / "theirs.ini";
  fs::create_symlink(safe, theirs);
  ASSERT_EQ(lchown(theirs.c_str(), 65534, static_cast<gid_t>(-1)), 0);
  EXPECT_EQ(Outcome(theirs.string()),
            "through " + theirs.string() +
                ", a link owned by user 65534 (nobody), neither root nor the "
                "service's user");
}

// A failure that passes (here the descriptor limit) is no verdict on the file.
TEST_F(ConfigFileTest, AFileThatCannotBeOpenedNowFailsAndIsReadOnceItCanBe) {
  const std::string path = Write("counters.ini", "[s]\n");
  rlimit limits{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limits), 0);
  const int lowestFree = dup(0);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit lowered = limits;
  lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
  testing::internal::CaptureStderr();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  const ConfigFile failed = platform::ReadConfigFile(path);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limits), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(failed.status, ConfigFile::kFailed);
  EXPECT_EQ(failed.refusal, "cannot be opened: Too many open files");
  EXPECT_EQ(Outcome(path), "read");
}

TEST_F(ConfigFileTest, EachRefusalIsWarnedOncePerFileAndReason) {
  const std::string path = Write("warned.ini", "x", 0666);
  testing::internal::CaptureStderr();
  platform::ReadConfigFile(path);
  platform::ReadConfigFile(path);
  ASSERT_EQ(chmod(path.c_str(), 0664), 0);
  platform::ReadConfigFile(path);
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_EQ(warnings,
            "warning: " + path +
                ": writable by group or others (mode 0666); the file is treated as missing\n"
                "warning: " +
                path +
                ": writable by group or others (mode 0664); the file is treated as missing\n");
}

}  // namespace
