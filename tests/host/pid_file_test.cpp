// The -p file is written as root, often in a directory that other users share: what
// they may have put there beforehand, or put there while the service runs, must never
// make it write into, or remove, a file that is not its own.

#include "host/pid_file.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace exthost {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

const std::string kOwnPid = std::to_string(getpid()) + "\n";

// A directory of root's under /tmp, and "nobody" as the other local user.
class PidFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
    char pattern[] = "/tmp/pid-file-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    other_ = nobody->pw_uid;
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  fs::path Directory(const std::string& name, mode_t mode, uid_t owner = 0) const {
    const fs::path path = dir_ / name;
    fs::create_directory(path);
    chmod(path.c_str(), mode);
    EXPECT_EQ(chown(path.c_str(), owner, 0), 0);
    return path;
  }
  // The message of the refusal, or "" when the file was made.
  static std::string Refusal(const fs::path& path) {
    try {
      PidFile file(path.string());
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return {};
  }

  fs::path dir_;
  uid_t other_ = 0;
};

TEST_F(PidFileTest, AFileLeftThereIsReplacedNeverWrittenThroughAndAnotherUsersIsRefused) {
  const fs::path shared = Directory("shared", 01777);
  const fs::path precious = dir_ / "precious";
  Write(precious, "precious\n");

  // Another user's file, open to all: the process id does not go into it.
  Write(shared / "theirs.pid", "theirs\n");
  chmod((shared / "theirs.pid").c_str(), 0666);
  ASSERT_EQ(chown((shared / "theirs.pid").c_str(), other_, other_), 0);
  const std::string refusal = Refusal(shared / "theirs.pid");
  EXPECT_NE(refusal.find("belongs to user " + std::to_string(other_) + " (nobody)"),
            std::string::npos)
      << refusal;
  EXPECT_EQ(Read(shared / "theirs.pid"), "theirs\n");

  // A second name of a file of root's, and a link to one: the name is replaced, the file
  // stays as it was.
  ASSERT_EQ(link(precious.c_str(), (shared / "hard.pid").c_str()), 0);
  ASSERT_EQ(symlink(precious.c_str(), (shared / "soft.pid").c_str()), 0);
  for (const std::string name : {"hard.pid", "soft.pid"}) {
    {
      PidFile file((shared / name).string());
      EXPECT_EQ(Read(shared / name), kOwnPid) << name;
      EXPECT_FALSE(fs::is_symlink(shared / name)) << name;
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(shared / name))) << name;
  }
  EXPECT_EQ(Read(precious), "precious\n");
}

TEST_F(PidFileTest, ADirectoryOrLinkOnTheWayThatAnotherUserControlsIsRefused) {
  const std::string open = Refusal(Directory("open", 0777) / "x.pid");
  EXPECT_NE(open.find("open is writable by group or others without the sticky bit (mode 0777)"),
            std::string::npos)
      << open;
  EXPECT_NE(Refusal(Directory("group", 0775) / "x.pid").find("(mode 0775)"), std::string::npos);
  const std::string owned = Refusal(Directory("owned", 0755, other_) / "x.pid");
  EXPECT_NE(owned.find("owned belongs to user " + std::to_string(other_) + " (nobody)"),
            std::string::npos)
      << owned;
  EXPECT_FALSE(fs::exists(dir_ / "open" / "x.pid"));

  // A link of another user's in a shared directory, pointing at root's own directory.
  const fs::path shared = Directory("shared", 01777);
  const fs::path target = Directory("target", 0755);
  ASSERT_EQ(symlink(target.c_str(), (shared / "theirs").c_str()), 0);
  ASSERT_EQ(lchown((shared / "theirs").c_str(), other_, other_), 0);
  const std::string linked = Refusal(shared / "theirs" / "x.pid");
  EXPECT_NE(linked.find("theirs belongs to user " + std::to_string(other_) + " (nobody)"),
            std::string::npos)
      << linked;
  EXPECT_FALSE(fs::exists(target / "x.pid"));

  // Root's own link (as /var/run to /run), and the service user's own directory, serve.
  ASSERT_EQ(symlink(target.c_str(), (shared / "roots").c_str()), 0);
  EXPECT_EQ(Refusal(shared / "roots" / "x.pid"), "");
  const fs::path users = Directory("users", 0755, other_);
  {
    PidFile file((users / "x.pid").string(), other_);
    EXPECT_EQ(Read(users / "x.pid"), kOwnPid);
  }
  EXPECT_FALSE(fs::exists(users / "x.pid"));
}

TEST_F(PidFileTest, OnlyTheFileItCreatedIsRemovedAtTheEnd) {
  const fs::path run = Directory("run", 0755);
  {
    // The directory moves away and another takes its name, with a file of the same name.
    PidFile file((run / "x.pid").string());
    fs::rename(run, dir_ / "moved");
    Directory("run", 0755);
    Write(run / "x.pid", "another file\n");
  }
  EXPECT_EQ(Read(run / "x.pid"), "another file\n");
  EXPECT_FALSE(fs::exists(dir_ / "moved" / "x.pid"));

  {
    // The file itself is replaced while the service runs.
    PidFile file((run / "y.pid").string());
    Write(dir_ / "replacement", "replacement\n");
    fs::rename(dir_ / "replacement", run / "y.pid");
  }
  EXPECT_EQ(Read(run / "y.pid"), "replacement\n");
}

}  // namespace
}  // namespace exthost
