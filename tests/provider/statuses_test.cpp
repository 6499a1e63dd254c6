#include <cstring>

#include "tests/provider/provider_test_support.h"

// Statuses and handle rules as PDH gives them.
namespace provider_test {
namespace {

using namespace platform;

class Statuses : public FixtureTest {};

TEST_F(Statuses, AddCounterNamesWhatIsWrongWithAPath) {
  EXPECT_EQ(OneCounter("\\Nonsense\\Processes").addStatus(), kPdhCStatusNoObject);
  EXPECT_EQ(OneCounter("\\System\\Nonsense").addStatus(), kPdhCStatusNoCounter);
  EXPECT_EQ(OneCounter("\\Processor(7)\\% Processor Time").addStatus(), kPdhCStatusNoInstance);
  EXPECT_EQ(OneCounter("\\Process(bash#2)\\ID Process").addStatus(), kPdhCStatusNoInstance);
  EXPECT_EQ(OneCounter("\\Processor\\% Processor Time").addStatus(), kPdhCStatusNoInstance);
  EXPECT_EQ(OneCounter("\\System(x)\\Processes").addStatus(), kPdhCStatusNoInstance);
  for (const char* malformed : {"System\\Processes", "\\System", "\\System\\", "\\\\",
                                "\\Processor(0\\% Processor Time", ""}) {
    EXPECT_EQ(OneCounter(malformed).addStatus(), kPdhCStatusBadCounterName) << malformed;
  }
  EXPECT_EQ(OneCounter("\\\\elsewhere-host\\System\\Processes").addStatus(), kPdhCStatusNoMachine);
}

TEST_F(Statuses, NamesAndInstancesIgnoreAsciiCaseAndTheLocalMachineIsAccepted) {
  EXPECT_EQ(OneCounter("\\processor(_TOTAL)\\% PROCESSOR time").addStatus(), kPdhOk);
  EXPECT_EQ(OneCounter("\\\\.\\System\\Processes").addStatus(), kPdhOk);
  // A trailing blank is part of the name.
  EXPECT_EQ(OneCounter("\\System\\Processes ").addStatus(), kPdhCStatusNoCounter);
}

TEST_F(Statuses, RateAfterOneCollectionIsInvalidDataWhileRawCountsAreReady) {
  OneCounter rate("\\System\\Context Switches/sec");
  PdhFmtCounterValue value{};
  EXPECT_EQ(pdh.GetFormattedCounterValue(rate.counter(), kPdhFmtDouble, nullptr, &value),
            kPdhInvalidData);
  ASSERT_EQ(rate.Collect(), kPdhOk);
  EXPECT_EQ(pdh.GetFormattedCounterValue(rate.counter(), kPdhFmtDouble, nullptr, &value),
            kPdhInvalidData);
  EXPECT_EQ(value.CStatus, kPdhCStatusInvalidData);
  ASSERT_EQ(rate.Collect(), kPdhOk);
  EXPECT_EQ(pdh.GetFormattedCounterValue(rate.counter(), kPdhFmtDouble, nullptr, &value), kPdhOk);
  EXPECT_EQ(value.CStatus, kPdhCStatusValidData);
}

TEST_F(Statuses, HandlesAreCheckedAndGoneAfterRemoveAndClose) {
  PdhHandle query = 0, counter = 0;
  ASSERT_EQ(pdh.OpenQuery(nullptr, 0, &query), kPdhOk);
  EXPECT_EQ(pdh.CollectQueryData(query), kPdhNoData);
  ASSERT_EQ(pdh.AddCounter(query, "\\System\\Processes", 0, &counter), kPdhOk);
  EXPECT_NE(counter, query);
  EXPECT_EQ(pdh.RemoveCounter(counter), kPdhOk);
  EXPECT_EQ(pdh.RemoveCounter(counter), kPdhInvalidHandle);
  EXPECT_EQ(pdh.RemoveCounter(0xFFFFFFFF), kPdhInvalidHandle);
  ASSERT_EQ(pdh.AddCounter(query, "\\System\\Processes", 0, &counter), kPdhOk);
  EXPECT_EQ(pdh.CloseQuery(query), kPdhOk);
  EXPECT_EQ(pdh.CloseQuery(query), kPdhInvalidHandle);
  EXPECT_EQ(pdh.CollectQueryData(query), kPdhInvalidHandle);
  PdhRawCounter raw{};
  EXPECT_EQ(pdh.GetRawCounterValue(counter, nullptr, &raw), kPdhInvalidHandle);
  PdhHandle untouched = 77;
  EXPECT_EQ(pdh.AddCounter(query, "\\System\\Processes", 0, &untouched), kPdhInvalidHandle);
  EXPECT_EQ(untouched, 77u);
}

TEST_F(Statuses, CounterInfoProbeThenRecordWithTypeAndPathElements) {
  OneCounter counter("\\Process(bash#1)\\Working Set");
  uint32_t size = 0;
  ASSERT_EQ(pdh.GetCounterInfo(counter.counter(), false, &size, nullptr), kPdhMoreData);
  ASSERT_GT(size, sizeof(PdhCounterInfoHead));
  std::vector<char> buffer(size);
  uint32_t tooSmall = size - 1;
  EXPECT_EQ(pdh.GetCounterInfo(counter.counter(), false, &tooSmall, buffer.data()), kPdhMoreData);
  EXPECT_EQ(tooSmall, size);
  ASSERT_EQ(pdh.GetCounterInfo(counter.counter(), false, &size, buffer.data()), kPdhOk);
  PdhCounterInfoHead head;
  std::memcpy(&head, buffer.data(), sizeof head);
  EXPECT_EQ(head.dwType, 0x00010100u);  // PERF_COUNTER_LARGE_RAWCOUNT
  EXPECT_EQ(head.dwLength, size);
  EXPECT_EQ(head.lDefaultScale, -5);
}

TEST_F(Statuses, ProcessThatEndsBetweenCollectionsLeavesItsCounterWithoutInstance) {
  ScopedEnv procRoot("QUILLON_PROC_ROOT",
                     (FixturePath("proc-a") + ":" + FixturePath("sys-a")).c_str());
  OneCounter counter("\\Process(bigproc)\\ID Process");
  ASSERT_EQ(counter.addStatus(), kPdhOk);
  ASSERT_EQ(counter.Collect(), kPdhOk);
  ASSERT_EQ(counter.Collect(), kPdhOk);
  EXPECT_EQ(counter.Raw().CStatus, kPdhCStatusNoInstance);
  PdhFmtCounterValue value{};
  EXPECT_EQ(pdh.GetFormattedCounterValue(counter.counter(), kPdhFmtDouble, nullptr, &value),
            kPdhInvalidData);
  EXPECT_EQ(value.CStatus, kPdhCStatusNoInstance);
}

}  // namespace
}  // namespace provider_test
