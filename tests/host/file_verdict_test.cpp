#include "host/file_verdict.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace exthost {
namespace {

namespace fs = std::filesystem;

class FileVerdictTest : public ::testing::Test {
 protected:
  FileVerdictTest() {
    std::string pattern = (fs::temp_directory_path() / "verdict-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  ~FileVerdictTest() override { fs::remove_all(dir_); }
  std::string File(const std::string& name, const std::string& text = "[1.0]\n") {
    const fs::path path = dir_ / name;
    std::ofstream(path) << text;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    return path.string();
  }

  fs::path dir_;
};

TEST_F(FileVerdictTest, AnOrdinaryFileOfTheServiceIsReadableAndAnAbsentOneMissing) {
  EXPECT_EQ(JudgeServiceFile(File("counters.ini")).Text(), "readable");
  EXPECT_EQ(JudgeServiceFile((dir_ / "absent.ini").string()).Text(), "not found");
  EXPECT_EQ(JudgeServiceFile((dir_ / "absent" / "deeper.ini").string()).Text(), "not found");
  EXPECT_EQ(JudgeServiceFile(dir_.string()).kind, FileVerdict::Kind::Missing);
}

// What would let someone else choose the commands the service runs, or hang or swamp it.
TEST_F(FileVerdictTest, RefusesWhatTheAgentsReadersRefuse) {
  const std::string groupWritable = File("group.ini");
  fs::permissions(groupWritable, fs::perms::group_write, fs::perm_options::add);
  EXPECT_EQ(JudgeServiceFile(groupWritable).Text(),
            "refused: writable by group or others (mode 0664)");

  const std::string fifo = (dir_ / "fifo.ini").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(JudgeServiceFile(fifo).Text(), "refused: not a regular file");
  EXPECT_EQ(JudgeServiceFile("/dev/zero").kind, FileVerdict::Kind::Refused);

  const std::string large = File("large.ini");
  fs::resize_file(large, (64u << 20) + 1);
  EXPECT_EQ(JudgeServiceFile(large).Text(), "refused: larger than 64 MiB");
  fs::resize_file(large, 64u << 20);
  EXPECT_TRUE(JudgeServiceFile(large).Usable());

  const fs::path open = dir_ / "open";
  fs::create_directory(open);
  fs::permissions(open, fs::perms::all);
  std::ofstream(open / "c.ini") << "[1.0]\n";
  fs::permissions(open / "c.ini", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(
      JudgeServiceFile((open / "c.ini").string()).Text(),
      "refused: in " + open.string() + ", a directory others can write to without the sticky bit");
  fs::permissions(open, fs::perms::sticky_bit, fs::perm_options::add);
  EXPECT_TRUE(JudgeServiceFile((open / "c.ini").string()).Usable());

  if (geteuid() == 0) {
    const std::string foreign = File("foreign.ini");
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    EXPECT_EQ(JudgeServiceFile(foreign).Text(),
              "refused: owned by user 65534 (nobody), neither root nor the service's user");
  }
}

}  // namespace
}  // namespace exthost
