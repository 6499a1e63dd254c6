// When the registry stand-in reads its file, and which files it refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/posix/perflib.h"
#include "platform/registry.h"
#include "registry_env.h"

namespace {

using namespace platform;

constexpr const char* kPerflib = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib";

// The status of opening a key of HKEY_LOCAL_MACHINE, and what went to stderr meanwhile.
std::string OpenAndListen(const std::string& path, int32_t& status) {
  testing::internal::CaptureStderr();
  RegKey key = 0;
  status = OpenRegKey(kHKeyLocalMachine, path, kKeyRead, &key);
  if (status == kErrorSuccess) CloseRegKey(key);
  return testing::internal::GetCapturedStderr();
}

// ctrview reads only the Perflib names: whatever the file is, it must not hear of it.
TEST(RegistryReads, PerflibAloneNeverReadsTheFile) {
  ScratchDir dir;
  for (const std::string& content : {std::string(), std::string("not a registry file\n")}) {
    RegistryFileScope scope(content.empty() ? dir.Write("unused", "").parent_path() / "absent.reg"
                                            : dir.Write("broken.reg", content));
    int32_t status = -1;
    const std::string english = posix::PerflibSubkeys().front();
    EXPECT_EQ(OpenAndListen(std::string(kPerflib) + "\\" + english, status), "");
    EXPECT_EQ(status, kErrorSuccess);
    EXPECT_EQ(OpenAndListen(kPerflib, status), "");
    EXPECT_NE(OpenAndListen("Software\\quillon", status), "") << "other keys read the file";
  }
}

TEST(RegistryReads, ARegistryFileOthersCanWriteIsMissing) {
  ScratchDir dir;
  const auto file = dir.Write("open.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\quillon]\n");
  RegistryFileScope scope(file);
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  int32_t status = -1;
  EXPECT_EQ(OpenAndListen("Software\\quillon", status),
            "warning: " + file.string() +
                ": writable by group or others (mode 0666); the file is treated as missing\n");
  EXPECT_EQ(status, kErrorFileNotFound);
  EXPECT_EQ(OpenAndListen("Software\\quillon", status), "") << "warned once";
  ASSERT_EQ(chmod(file.c_str(), 0644), 0);
  EXPECT_EQ(OpenAndListen("Software\\quillon", status), "");
  EXPECT_EQ(status, kErrorSuccess);
}

TEST(RegistryReads, AFifoOrAHugeFileIsMissingUnread) {
  ScratchDir dir;
  const auto fifo = dir.Write("unused", "").parent_path() / "fifo.reg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  {
    RegistryFileScope scope(fifo);
    int32_t status = -1;
    EXPECT_EQ(
        OpenAndListen("Software\\quillon", status),
        "warning: " + fifo.string() + ": not a regular file; the file is treated as missing\n");
    EXPECT_EQ(status, kErrorFileNotFound);
  }
  const auto huge = dir.Write("huge.reg", "REGEDIT4\n");
  ASSERT_EQ(truncate(huge.c_str(), (64 << 20) + 1), 0);
  RegistryFileScope scope(huge);
  int32_t status = -1;
  EXPECT_EQ(OpenAndListen("Software\\quillon", status),
            "warning: " + huge.string() + ": larger than 64 MiB; the file is treated as missing\n");
  EXPECT_EQ(status, kErrorFileNotFound);
}

}  // namespace
