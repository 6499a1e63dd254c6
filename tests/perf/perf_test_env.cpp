#include "perf_test_env.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "perf/perf.h"
#include "provider/display_language.h"

void PerfTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillon-perf-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  driveC = pattern;
  setenv("QUILLON_DRIVE_C", driveC.c_str(), 1);
  setenv("QUILLON_REGISTRY", QUILLON_SOURCE_DIR "/tests/fixtures/perf/registry.reg", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  setenv("LANG", "C", 1);
  provider::RereadDisplayLanguage();
  perf::DebugFlag = "1";
  perf::UsePdh(pdh);
}

void PerfTest::TearDown() {
  perf::UsePdh(platform::SystemPdh());
  perf::DebugFlag.clear();
  perf::SkipUnwritableDebugLines = false;
  perf::State.englishTable.clear();
  std::error_code ignored;
  std::filesystem::remove_all(driveC, ignored);
}

void PerfTest::UseGermanNames() {
  setenv("LANG", "de_DE.UTF-8", 1);
  // The provider reads the display language once, at load.
  provider::RereadDisplayLanguage();
}

bool PerfTest::DebugLogExists() const { return std::filesystem::exists(driveC / "log.txt"); }

std::vector<std::string> PerfTest::DebugLines() const {
  std::ifstream log(driveC / "log.txt", std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(log, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // "hh:nn:ss:zzz , " precedes every message.
    lines.push_back(line.size() >= 15 ? line.substr(15) : line);
  }
  return lines;
}
