#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "lib/debug_log.h"
#include "perf/perf.h"
#include "perf_test_env.h"

using platform::kPdhFmtDouble;
using platform::kPdhFmtLarge;
using platform::kPdhFmtLong;
using platform::kPdhFmtNoScale;

namespace {

constexpr uint32_t kLargeType = 0x00010500;  // PERF_COUNTER_BULK_COUNT: size bit set
constexpr uint32_t kSmallType = 0x10410400;  // PERF_COUNTER_COUNTER: size bit clear

class SessionTest : public PerfTest {
 protected:
  void Open() { ASSERT_TRUE(perf::init()); }
};

TEST_F(SessionTest, InitOpensQueryAndLoadsTheEnglishTable) {
  ASSERT_TRUE(perf::init());
  EXPECT_EQ(perf::State.queryHandle, FakePdh::kQuery);
  EXPECT_EQ(perf::State.counterHandle, perf::NoHandle);
  const auto& table = perf::State.englishTable;
  ASSERT_GE(table.size(), 2u);
  EXPECT_NE(std::find(table.begin(), table.end(), "Processor"), table.end());
  EXPECT_FALSE(DebugLogExists());
}

TEST_F(SessionTest, EverySessionGetsTheRegistrysTableEvenAfterOneChangedItsCopy) {
  Open();
  const perf::EnglishTable read = perf::State.englishTable;
  perf::State.englishTable[1] = "Changed";
  perf::State.englishTable.push_back("999");
  ASSERT_TRUE(perf::close());
  for (int session = 0; session < 2; ++session) {
    Open();
    EXPECT_EQ(perf::State.englishTable, read);
    ASSERT_TRUE(perf::close());
    EXPECT_TRUE(perf::State.englishTable.empty());
  }
}

TEST_F(SessionTest, FailedOpenLeavesTheStateAsItWas) {
  Open();
  perf::close();
  pdh.openStatus = platform::kPdhInvalidArgument;
  EXPECT_FALSE(perf::init());
  EXPECT_EQ(perf::State.queryHandle, perf::NoHandle);
  EXPECT_TRUE(perf::State.englishTable.empty());
  EXPECT_FALSE(DebugLogExists());
}

TEST_F(SessionTest, CloseWithoutReadRemovesNoCounterAndReleasesTheTable) {
  Open();
  EXPECT_TRUE(perf::close());
  EXPECT_EQ(pdh.calls.back(), "CloseQuery 51");
  EXPECT_EQ(pdh.Count("RemoveCounter"), 0);
  EXPECT_EQ(perf::State.queryHandle, perf::NoHandle);
  EXPECT_TRUE(perf::State.englishTable.empty());

  Open();
  pdh.closeStatus = platform::kPdhInvalidHandle;
  EXPECT_FALSE(perf::close());
}

TEST_F(SessionTest, RejectedPathLogsAddCounterAndCloseStillWorks) {
  Open();
  pdh.addStatus = platform::kPdhCStatusBadCounterName;
  EXPECT_TRUE(lib::IsNull(perf::GetFormattedValue("\\Nope\\x", true, 0, kPdhFmtDouble)));
  EXPECT_TRUE(lib::IsNull(perf::GetRawValue("\\Nope\\x", true, 0)));
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"PdhAddCounter: ret=C0000BC0",
                                                    "PdhAddCounter: ret=C0000BC0"}));
  EXPECT_EQ(pdh.Count("Collect"), 0);
  EXPECT_TRUE(perf::close());
}

TEST_F(SessionTest, StatusDigitsArePaddedToFour) {
  Open();
  pdh.addStatus = 0x7D2;
  perf::GetFormattedValue("\\A\\B", false, 0, kPdhFmtDouble);
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"PdhAddCounter: ret=07D2"});
}

TEST_F(SessionTest, FormattedValueKindFollowsTheFormat) {
  Open();
  pdh.formatted.doubleValue = 12.5;
  const lib::CounterValue asDouble = perf::GetFormattedValue("\\A\\B", false, 0, kPdhFmtDouble);
  ASSERT_TRUE(std::holds_alternative<double>(asDouble));
  EXPECT_EQ(std::get<double>(asDouble), 12.5);
  EXPECT_EQ(pdh.lastFormat, kPdhFmtDouble | kPdhFmtNoScale);

  pdh.formatted = {};
  pdh.formatted.longValue = -7;
  for (uint32_t format : {kPdhFmtLong, kPdhFmtLarge, kPdhFmtDouble | kPdhFmtNoScale}) {
    const lib::CounterValue asLong = perf::GetFormattedValue("\\A\\B", false, 0, format);
    ASSERT_TRUE(std::holds_alternative<int32_t>(asLong)) << format;
    EXPECT_EQ(std::get<int32_t>(asLong), -7);
    EXPECT_EQ(pdh.lastFormat, format | kPdhFmtNoScale);
  }
}

TEST_F(SessionTest, FormattedReadCollectsTwiceAndSurvivesAFailedFirstCollection) {
  Open();
  pdh.formatted.doubleValue = 3.0;
  pdh.collectStatuses = {platform::kPdhNoData};
  const lib::CounterValue value = perf::GetFormattedValue("\\A\\B", true, 1, kPdhFmtDouble);
  EXPECT_EQ(std::get<double>(value), 3.0);
  EXPECT_EQ(pdh.Count("Collect"), 2);
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"PdhCollectQueryData: ret=800007D5"});
}

TEST_F(SessionTest, FormattedReadFailuresGiveNull) {
  Open();
  pdh.collectStatuses = {0, platform::kPdhNoData};
  EXPECT_TRUE(lib::IsNull(perf::GetFormattedValue("\\A\\B", true, 0, kPdhFmtDouble)));
  EXPECT_EQ(pdh.Count("Formatted"), 0);

  pdh.formattedStatus = platform::kPdhInvalidData;
  EXPECT_TRUE(lib::IsNull(perf::GetFormattedValue("\\A\\B", false, 0, kPdhFmtDouble)));
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"PdhCollectQueryData: ret=800007D5",
                                                    "PdhGetFormattedCounterValue: ret=C0000BC6"}));
}

TEST_F(SessionTest, SecondReadOfASessionReusesTheFirstCounter) {
  Open();
  pdh.formatted.doubleValue = 1.0;
  perf::GetFormattedValue("\\First\\x", false, 0, kPdhFmtDouble);
  perf::GetRawValue("\\Second\\y", false, 0);
  EXPECT_EQ(pdh.Count("AddCounter"), 1);
  EXPECT_EQ(pdh.calls[1], "AddCounter \\First\\x");
  perf::close();
  EXPECT_EQ(pdh.calls[pdh.calls.size() - 2], "RemoveCounter C7");

  // The next session starts without a counter.
  Open();
  perf::GetFormattedValue("\\Third\\z", false, 0, kPdhFmtDouble);
  EXPECT_EQ(pdh.Count("AddCounter"), 2);
}

TEST_F(SessionTest, SingleRawSampleIsTheFirstValueUncalculated) {
  Open();
  pdh.counterType = kSmallType;
  pdh.rawFirstValues = {0x123456789AB};
  const lib::CounterValue value = perf::GetRawValue("\\A\\B", false, 0);
  ASSERT_TRUE(std::holds_alternative<int64_t>(value));
  EXPECT_EQ(std::get<int64_t>(value), 0x123456789AB);
  EXPECT_EQ(pdh.Count("Calculate"), 0);
  EXPECT_EQ(pdh.Count("Collect"), 1);

  pdh.rawStatuses = {platform::kPdhInvalidData};
  EXPECT_TRUE(lib::IsNull(perf::GetRawValue("\\A\\B", false, 0)));
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"PdhGetRawCounterValue: ret=C0000BC6"});
}

TEST_F(SessionTest, TwoSampleRawFormatFollowsTheCounterTypeSizeBit) {
  Open();
  pdh.calculated.longValue = 42;
  pdh.counterType = kSmallType;
  const lib::CounterValue small = perf::GetRawValue("\\A\\B", true, 0);
  ASSERT_TRUE(std::holds_alternative<int32_t>(small));
  EXPECT_EQ(std::get<int32_t>(small), 42);
  EXPECT_EQ(pdh.lastFormat, kPdhFmtLong | kPdhFmtNoScale);

  pdh.calculated.doubleValue = 0.25;
  pdh.counterType = kLargeType;
  const lib::CounterValue large = perf::GetRawValue("\\A\\B", true, 0);
  ASSERT_TRUE(std::holds_alternative<double>(large));
  EXPECT_EQ(std::get<double>(large), 0.25);
  EXPECT_EQ(pdh.lastFormat, kPdhFmtDouble | kPdhFmtNoScale);
  EXPECT_FALSE(DebugLogExists());
}

TEST_F(SessionTest, UnreadableCounterTypeComputesInDouble) {
  Open();
  pdh.counterType = kSmallType;
  pdh.calculated.doubleValue = 2.5;
  // A probe that does not ask for more data gives up silently.
  pdh.infoProbeStatus = platform::kPdhInvalidArgument;
  EXPECT_EQ(std::get<double>(perf::GetRawValue("\\A\\B", true, 0)), 2.5);
  EXPECT_EQ(pdh.Count("CounterInfo"), 0);
  EXPECT_FALSE(DebugLogExists());

  pdh.infoProbeStatus = platform::kPdhMoreData;
  pdh.infoStatus = platform::kPdhInsufficientBuffer;
  EXPECT_EQ(std::get<double>(perf::GetRawValue("\\A\\B", true, 0)), 2.5);
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"PdhGetCounterInfo: ret=C0000BC2"});
  EXPECT_EQ(perf::GetCounterType(FakePdh::kCounter), -1);
}

TEST_F(SessionTest, TwoSampleRawPassesTheNewerSampleFirst) {
  Open();
  pdh.rawFirstValues = {100, 250};
  perf::GetRawValue("\\A\\B", true, 0);
  EXPECT_EQ(pdh.newerSeen.FirstValue, 250);
  EXPECT_EQ(pdh.olderSeen.FirstValue, 100);
}

TEST_F(SessionTest, TwoSampleRawGoesOnWithoutItsFirstSample) {
  Open();
  pdh.calculated.doubleValue = 9.0;
  pdh.counterType = kLargeType;

  pdh.collectStatuses = {platform::kPdhNoData};
  pdh.rawFirstValues = {250};
  EXPECT_EQ(std::get<double>(perf::GetRawValue("\\A\\B", true, 0)), 9.0);
  EXPECT_EQ(pdh.Count("Raw"), 1);
  EXPECT_EQ(pdh.olderSeen.FirstValue, 0);
  EXPECT_EQ(pdh.newerSeen.FirstValue, 250);

  // A failed first sample is passed as the all-zero record, whatever PDH left in it.
  pdh.rawStatuses = {platform::kPdhInvalidData};
  pdh.rawFirstValues = {300};
  EXPECT_EQ(std::get<double>(perf::GetRawValue("\\A\\B", true, 0)), 9.0);
  EXPECT_EQ(pdh.olderSeen.FirstValue, 0);
  EXPECT_EQ(pdh.newerSeen.FirstValue, 300);
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"PdhCollectQueryData: ret=800007D5",
                                                    "PdhGetRawCounterValue: ret=C0000BC6"}));
}

TEST_F(SessionTest, TwoSampleRawFailuresAfterTheSleepGiveNull) {
  Open();
  pdh.collectStatuses = {0, platform::kPdhNoData};
  EXPECT_TRUE(lib::IsNull(perf::GetRawValue("\\A\\B", true, 0)));
  pdh.rawStatuses = {0, platform::kPdhInvalidData};
  EXPECT_TRUE(lib::IsNull(perf::GetRawValue("\\A\\B", true, 0)));
  pdh.calculateStatus = platform::kPdhCStatusInvalidData;
  EXPECT_TRUE(lib::IsNull(perf::GetRawValue("\\A\\B", true, 0)));
  EXPECT_EQ(DebugLines(),
            (std::vector<std::string>{"PdhCollectQueryData: ret=800007D5",
                                      "PdhGetRawCounterValue: ret=C0000BC6",
                                      "PdhCalculateCounterFromRawValue: ret=C0000BBA"}));
}

TEST_F(SessionTest, NothingIsLoggedUnlessTheSwitchIsExactlyOne) {
  Open();
  pdh.addStatus = platform::kPdhCStatusBadCounterName;
  for (const char* flag : {"0", "", " 1", "true"}) {
    perf::DebugFlag = flag;
    perf::GetFormattedValue("\\A\\B", false, 0, kPdhFmtDouble);
  }
  EXPECT_FALSE(DebugLogExists());
}

// The agent's rule: a debug line that cannot be written is lost, not the read.
// Other hosts see the failure.
TEST_F(SessionTest, UnwritableDebugLineFailsTheReadUnlessTheHostSkipsIt) {
  std::filesystem::create_directory(driveC / "log.txt");
  Open();
  pdh.addStatus = platform::kPdhCStatusBadCounterName;
  EXPECT_THROW(perf::GetFormattedValue("\\A\\B", false, 0, kPdhFmtDouble), lib::EInOutError);

  perf::SkipUnwritableDebugLines = true;
  EXPECT_TRUE(lib::IsNull(perf::GetFormattedValue("\\A\\B", false, 0, kPdhFmtDouble)));
  pdh.addStatus = 0;
  pdh.formatted.doubleValue = 7.0;
  pdh.collectStatuses = {platform::kPdhNoData};
  EXPECT_EQ(std::get<double>(perf::GetFormattedValue("\\A\\B", true, 0, kPdhFmtDouble)), 7.0);
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\"), "");
  EXPECT_TRUE(perf::close());
}

}  // namespace
