#include "tests/provider/provider_test_support.h"

// The counter-type arithmetic of PdhCalculateCounterFromRawValue, on samples
// made up to reach the corners that real samples seldom do.
namespace provider_test {
namespace {

using platform::kPdhFmtDouble;
using platform::kPdhFmtLarge;
using platform::kPdhFmtLong;
using platform::kPdhFmtNoCap100;
using platform::kPdhFmtNoScale;
using platform::kPdhOk;
using platform::PdhFmtCounterValue;
using platform::PdhRawCounter;

class CounterMath : public FixtureTest {
 protected:
  PdhRawCounter Sample(int64_t first, int64_t second) {
    PdhRawCounter raw{};
    raw.FirstValue = first;
    raw.SecondValue = second;
    raw.MultiCount = 1;
    return raw;
  }
  platform::PdhStatus Calculate(const std::string& path, uint32_t format, PdhRawCounter newer,
                                PdhRawCounter* older, PdhFmtCounterValue& value) {
    OneCounter counter(path);
    EXPECT_EQ(counter.addStatus(), kPdhOk);
    value = {};
    return pdh.CalculateCounterFromRawValue(counter.counter(), format, &newer, older, &value);
  }
};

TEST_F(CounterMath, CounterCounterIsCountPerSecondOfTheTimeBase) {
  PdhFmtCounterValue value;
  PdhRawCounter older = Sample(1000, 0);
  ASSERT_EQ(Calculate("\\System\\Context Switches/sec", kPdhFmtDouble | kPdhFmtNoScale,
                      Sample(1500, 20'000'000), &older, value),
            kPdhOk);
  EXPECT_DOUBLE_EQ(value.doubleValue, 250.0);
  // A 32-bit count wraps around between the samples.
  older = Sample(0xFFFFFF00, 0);
  ASSERT_EQ(Calculate("\\System\\Context Switches/sec", kPdhFmtLong | kPdhFmtNoScale,
                      Sample(0x100, 10'000'000), &older, value),
            kPdhOk);
  EXPECT_EQ(value.longValue, 0x200);
}

TEST_F(CounterMath, TimersArePercentagesCappedAt100UnlessAskedNotTo) {
  PdhFmtCounterValue value;
  PdhRawCounter older = Sample(0, 0);
  ASSERT_EQ(Calculate("\\Process(_Total)\\% Processor Time", kPdhFmtDouble | kPdhFmtNoScale,
                      Sample(300, 200), &older, value),
            kPdhOk);
  EXPECT_DOUBLE_EQ(value.doubleValue, 100.0);
  ASSERT_EQ(
      Calculate("\\Process(_Total)\\% Processor Time",
                kPdhFmtDouble | kPdhFmtNoScale | kPdhFmtNoCap100, Sample(300, 200), &older, value),
      kPdhOk);
  EXPECT_DOUBLE_EQ(value.doubleValue, 150.0);
  // The inverse timer never goes below zero.
  ASSERT_EQ(Calculate("\\Processor(_Total)\\% Processor Time", kPdhFmtDouble | kPdhFmtNoScale,
                      Sample(300, 200), &older, value),
            kPdhOk);
  EXPECT_DOUBLE_EQ(value.doubleValue, 0.0);
}

TEST_F(CounterMath, TimeBaseGoingBackwardsOrCountShrinkingIsReported) {
  PdhFmtCounterValue value;
  PdhRawCounter older = Sample(10, 500);
  EXPECT_EQ(Calculate("\\Network Interface(eth0)\\Bytes Total/sec", kPdhFmtDouble, Sample(20, 400),
                      &older, value),
            platform::kPdhCalcNegativeDenominator);
  EXPECT_EQ(Calculate("\\Network Interface(eth0)\\Bytes Total/sec", kPdhFmtDouble, Sample(5, 600),
                      &older, value),
            platform::kPdhCalcNegativeValue);
  EXPECT_EQ(value.CStatus, platform::kPdhCalcNegativeValue);
}

TEST_F(CounterMath, RateWithoutOlderSampleOrWithInvalidSampleIsInvalidData) {
  PdhFmtCounterValue value;
  EXPECT_EQ(
      Calculate("\\System\\Context Switches/sec", kPdhFmtDouble, Sample(1, 1), nullptr, value),
      platform::kPdhInvalidData);
  EXPECT_EQ(value.CStatus, platform::kPdhCStatusInvalidData);
  PdhRawCounter older = Sample(0, 0);
  PdhRawCounter missing = Sample(0, 0);
  missing.CStatus = platform::kPdhCStatusNoInstance;
  EXPECT_EQ(Calculate("\\System\\Context Switches/sec", kPdhFmtDouble, missing, &older, value),
            platform::kPdhInvalidData);
  EXPECT_EQ(value.CStatus, platform::kPdhCStatusNoInstance);
}

TEST_F(CounterMath, SingleSampleTypesUseTheNewerSampleOnly) {
  PdhFmtCounterValue value;
  ASSERT_EQ(Calculate("\\System\\System Up Time", kPdhFmtLarge | kPdhFmtNoScale,
                      Sample(10'000'000, 1'235'000'000), nullptr, value),
            kPdhOk);
  EXPECT_EQ(value.largeValue, 122);
  ASSERT_EQ(
      Calculate("\\Memory\\% Committed Bytes In Use", kPdhFmtDouble, Sample(1, 8), nullptr, value),
      kPdhOk);
  EXPECT_DOUBLE_EQ(value.doubleValue, 12.5);
  ASSERT_EQ(
      Calculate("\\Memory\\% Committed Bytes In Use", kPdhFmtDouble, Sample(1, 0), nullptr, value),
      kPdhOk);
  EXPECT_DOUBLE_EQ(value.doubleValue, 0.0);
}

TEST_F(CounterMath, FormatMustNameExactlyOneKind) {
  PdhFmtCounterValue value;
  EXPECT_EQ(Calculate("\\System\\Processes", 0, Sample(1, 0), nullptr, value),
            platform::kPdhInvalidArgument);
  EXPECT_EQ(
      Calculate("\\System\\Processes", kPdhFmtLong | kPdhFmtDouble, Sample(1, 0), nullptr, value),
      platform::kPdhInvalidArgument);
}

TEST_F(CounterMath, DefaultScaleAppliesWithoutNoScale) {
  PdhFmtCounterValue value;
  ASSERT_EQ(
      Calculate("\\System\\Processor Queue Length", kPdhFmtLong, Sample(3, 0), nullptr, value),
      kPdhOk);
  EXPECT_EQ(value.longValue, 30);
  ASSERT_EQ(Calculate("\\System\\Processor Queue Length", kPdhFmtLong | platform::kPdhFmt1000,
                      Sample(3, 0), nullptr, value),
            kPdhOk);
  EXPECT_EQ(value.longValue, 30000);
}

}  // namespace
}  // namespace provider_test
