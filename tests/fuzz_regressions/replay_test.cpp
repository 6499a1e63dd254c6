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

// A directory per target; an input that crashes ends the program, one that breaks
// a promise of its reader aborts it.
TEST(FuzzRegressions, InputsThatOnceBrokeATargetAreReadSafely) {
  int replayed = 0;
  for (const fs::directory_entry& dir : fs::directory_iterator(kInputs)) {
    if (!dir.is_directory()) continue;
    const auto* input = quillon::fuzz::FindFuzzInput(dir.path().filename().string());
    ASSERT_NE(input, nullptr) << dir.path() << " names no fuzz target";
    for (const fs::directory_entry& file : fs::directory_iterator(dir.path())) {
      SCOPED_TRACE(file.path().string());
      input->run(Content(file.path()));
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
