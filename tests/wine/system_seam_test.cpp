// The timer thread, the trap event, files, locale, clock and version record on the
// real Windows calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "lib/counter_value.h"
#include "lib/value_text.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/file_system.h"
#include "platform/locale_info.h"
#include "platform/os_version.h"
#include "platform/program.h"
#include "platform/timer_thread.h"

namespace {

TEST(TimerThread, TicksUntilStoppedAndNeverAfter) {
  std::atomic<int> ticks{0};
  auto timer = platform::StartTimerThread(20, [&ticks] { ++ticks; });
  ASSERT_NE(timer, nullptr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ticks < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GE(ticks.load(), 3);
  timer->Stop();
  const int stopped = ticks;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(ticks.load(), stopped);
}

TEST(TrapEvent, IsAnAutoResetEventTheServiceCanWaitOn) {
  platform::EventHandle event = nullptr;
  ASSERT_TRUE(platform::CreateAutoResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  platform::SignalEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  std::thread signaller([event] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    platform::SignalEvent(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  signaller.join();
  platform::CloseEvent(event);
}

class Files : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("quillon-files-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::filesystem::path dir_;
};

TEST_F(Files, ConfigFilesAreReadWholeAndTheirIdentityFollowsEachChange) {
  const std::string file = (dir_ / "present.ini").string();
  std::ofstream(file, std::ios::binary) << "[a]\n";
  const platform::ConfigFile read = platform::ReadConfigFile(file);
  EXPECT_EQ(read.status, platform::ConfigFile::kRead);
  EXPECT_EQ(read.bytes, "[a]\n");
  EXPECT_EQ(platform::ReadConfigFile(dir_.string()).status, platform::ConfigFile::kMissing);
  EXPECT_EQ(platform::ReadConfigFile((dir_ / "absent.ini").string()).status,
            platform::ConfigFile::kMissing);

  platform::FileIdentity before;
  platform::FileIdentity after;
  ASSERT_TRUE(platform::IdentifyFile(file, before));
  std::ofstream(file, std::ios::binary | std::ios::app) << "x=1\n";
  ASSERT_TRUE(platform::IdentifyFile(file, after));
  EXPECT_NE(before, after);
  EXPECT_FALSE(platform::IdentifyFile(dir_.string(), after));
}

// A file another program holds without sharing fails for that moment only: nothing of
// the failed attempt may stand for the file afterwards.
TEST_F(Files, AFileHeldExclusivelyFailsWithoutAnIdentityAndIsReadOnceReleased) {
  const std::string file = (dir_ / "held.ini").string();
  std::ofstream(file, std::ios::binary) << "[a]\n";
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const platform::ConfigFile failed = platform::ReadConfigFile(file);
  CloseHandle(held);
  EXPECT_EQ(failed.status, platform::ConfigFile::kFailed);
  EXPECT_EQ(failed.refusal, "cannot be opened: error " + std::to_string(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(failed.identity, platform::FileIdentity{});
  const platform::ConfigFile read = platform::ReadConfigFile(file);
  EXPECT_EQ(read.status, platform::ConfigFile::kRead);
  EXPECT_NE(read.identity, platform::FileIdentity{});
}

TEST_F(Files, AppendCreatesThenAppendsAndNamesTheFailure) {
  const std::string log = (dir_ / "log.txt").string();
  EXPECT_EQ(platform::AppendToFile(log, "one\r\n"), 0u);
  EXPECT_EQ(platform::AppendToFile(log, "two\r\n"), 0u);
  std::ifstream in(log, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "one\r\ntwo\r\n");
  EXPECT_EQ(platform::AppendToFile((dir_ / "no-dir" / "log.txt").string(), "x"),
            static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
}

TEST(Locale, FollowsTheSizeProbeProtocol) {
  const int needed = platform::LocaleInfo(platform::kLocaleDecimalSeparator, nullptr, 0);
  ASSERT_GE(needed, 2);
  std::string separator(static_cast<size_t>(needed), '\x7f');
  EXPECT_EQ(platform::LocaleInfo(platform::kLocaleDecimalSeparator, separator.data(), needed),
            needed);
  EXPECT_EQ(separator.back(), '\0');
  char tooSmall[1] = {};
  if (needed > 1) {
    EXPECT_EQ(platform::LocaleInfo(platform::kLocaleDecimalSeparator, tooSmall, 1), 0);
  }
  EXPECT_GT(platform::LocaleInfo(platform::kLocaleTimeSeparator, nullptr, 0), 0);
}

TEST(Locale, ValuesLeaveWithAPointWhateverTheSeparator) {
  EXPECT_EQ(lib::ValueToText(lib::CounterValue(2.5)), "2.5");
}

TEST(System, ClockVersionAndProgramPath) {
  const platform::TimeOfDay now = platform::LocalTimeOfDay();
  EXPECT_TRUE(now.hour >= 0 && now.hour < 24 && now.minute < 60 && now.millisecond < 1000);
  platform::OsVersionRecord version;
  ASSERT_TRUE(platform::QueryOsVersion(version));
  EXPECT_EQ(version.platformId, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(version.majorVersion, 5u);
  const std::string program = platform::ProgramPath("ignored");
  EXPECT_EQ(program.substr(program.size() - 4), ".exe");
}

}  // namespace
