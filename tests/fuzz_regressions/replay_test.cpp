// Replays every input that once broke a fuzz target: tests/fuzz_regressions/<target>/*.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_inputs.h"

namespace {

namespace fs = std::filesystem;

const fs::path kInputs = fs::path(QUILLON_SOURCE_DIR) / "tests" / "fuzz_regressions";

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FuzzRegressions, EveryInputDirectoryNamesATarget) {
  for (const fs::directory_entry& entry : fs::directory_iterator(kInputs)) {
    if (!entry.is_directory()) continue;
    EXPECT_NE(quillon::fuzz::FindFuzzInput(entry.path().filename().string()), nullptr)
        << entry.path();
  }
}

class Replay : public testing::TestWithParam<quillon::fuzz::FuzzInput> {};

TEST_P(Replay, InputsThatOnceFailedAreReadSafely) {
  const fs::path dir = kInputs / GetParam().name;
  if (!fs::exists(dir)) GTEST_SKIP() << "no input has broken this target";
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().string());
    GetParam().run(Content(entry.path()));
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, Replay, testing::ValuesIn(quillon::fuzz::FuzzInputs()),
                         [](const testing::TestParamInfo<quillon::fuzz::FuzzInput>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
