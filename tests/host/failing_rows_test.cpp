// The service's line for a failing row: the row as the agent lists it, once per row and
// status a minute, and for a counter row whose path names no counter the way to its
// object's counters.
#include "host/failing_rows.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace exthost {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const Oid kRow1 = {1, 3, 6, 1, 4, 1, 15, 1, 0};
const Oid kRow2 = {1, 3, 6, 1, 4, 1, 15, 2, 0};

class FailingRowsTest : public ::testing::Test {
 protected:
  FailingRowsTest() {
    std::ofstream(dir_ / "counters.ini")
        << "[1.3.6.1.4.1.15.1.0]\ncounter=false\ntype=exec\n\n"
           "[general]\ncounter=word\ntype=string\n\n"
           "[1.3.6.1.4.1.15.2.0]\ncounter=Processor\\No Such Counter\\_Total\n\n"
           "[1.3.6.1.4.1.15.3.0]\ncounter=Processor\\% Processor Time\\_Total\nflag=div 0\n";
  }
  ~FailingRowsTest() override { fs::remove_all(dir_); }

  static fs::path TemporaryDirectory() {
    std::string pattern = (fs::temp_directory_path() / "failing-rows-XXXXXX").string();
    return mkdtemp(pattern.data());
  }

  fs::path dir_ = TemporaryDirectory();
  FailingRows rows_{(dir_ / "counters.ini").string()};
  FailingRows::Clock::time_point start_ = FailingRows::Clock::now();
};

TEST_F(FailingRowsTest, NamesTheRowOncePerStatusAMinute) {
  EXPECT_EQ(rows_.Report(Phase::Get, kRow1, 3, start_), "row 1.3.6.1.4.1.15.1.0 failed: badValue");
  EXPECT_EQ(rows_.Report(Phase::Get, kRow1, 3, start_ + 59s), std::nullopt);
  EXPECT_EQ(rows_.Report(Phase::GetNext, {1, 3, 6, 1, 4, 1, 15}, 5, start_ + 1s),
            "row 1.3.6.1.4.1.15.1.0 failed: genErr")
      << "another status of the same row";
  EXPECT_EQ(rows_.Report(Phase::Get, kRow1, 3, start_ + 60s),
            "row 1.3.6.1.4.1.15.1.0 failed: badValue");
}

TEST_F(FailingRowsTest, AGetNextFailsAtTheRowTheAgentGoesOnTo) {
  EXPECT_EQ(rows_.Report(Phase::GetNext, kRow1, 5, start_), "row general failed: genErr");
  // A subtree walk: the row with the smallest OID after the one asked.
  EXPECT_EQ(rows_.Report(Phase::GetNext, {1, 3, 6, 1, 4, 1, 15, 2}, 5, start_),
            "row 1.3.6.1.4.1.15.2.0 failed: genErr; its counter path Processor\\No Such "
            "Counter\\_Total names no counter here (\\Processor(_Total)\\No Such Counter): list "
            "the object's counters with ctrview \"Processor\" /enumobjectcounters");
}

TEST_F(FailingRowsTest, NothingWithoutARowOrForTheEndOfAWalk) {
  EXPECT_EQ(rows_.Report(Phase::Get, {1, 3, 6, 1, 4, 1, 15, 9, 0}, 3, start_), std::nullopt);
  EXPECT_EQ(rows_.Report(Phase::GetNext, {1, 3, 6, 1, 4, 1, 15, 3, 0}, 5, start_), std::nullopt);
  EXPECT_EQ(rows_.Report(Phase::GetNext, kRow2, 2, start_), std::nullopt);
  EXPECT_EQ(rows_.Report(Phase::Get, kRow1, 0, start_), std::nullopt);
  EXPECT_EQ(FailingRows("").Report(Phase::Get, kRow1, 3, start_), std::nullopt);
}

TEST_F(FailingRowsTest, ACounterRowThatNamesACounterGetsNoHint) {
  EXPECT_EQ(rows_.Report(Phase::Get, {1, 3, 6, 1, 4, 1, 15, 3, 0}, 3, start_),
            "row 1.3.6.1.4.1.15.3.0 failed: badValue");
  EXPECT_EQ(CounterPathProblem("Processor\\% Processor Time\\_Total"), "");
  EXPECT_EQ(CounterPathProblem("Processor\\"), "does not translate");
}

}  // namespace
}  // namespace exthost
