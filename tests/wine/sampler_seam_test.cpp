// The background sampler on the platform's own PDH and threads: Wine's pdh.dll and
// Windows threads, stopped the way the agent's unload stops them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "perf/sampler.h"
#include "platform/timer_thread.h"
#include "tests/wine/under_wine.h"

namespace {

using std::chrono::milliseconds;

TEST(TimerThread, TicksAtOnceWhenAskedAndStopsOnlyAfterTheTickInProgress) {
  std::atomic<int> started{0};
  std::atomic<int> ended{0};
  auto timer = platform::StartTimerThread(
      60000,
      [&] {
        ++started;
        std::this_thread::sleep_for(milliseconds(300));
        ++ended;
      },
      platform::FirstTick::kAtOnce);
  ASSERT_NE(timer, nullptr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (started == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  ASSERT_EQ(started.load(), 1) << "the first tick comes at once, not after a minute";
  timer->Stop();
  EXPECT_EQ(ended.load(), 1) << "the tick in progress ended before the thread did";
}

TEST(Sampler, AnswersACounterOfThePlatformsPdhFromItsThread) {
  const std::string upTime = "\\System\\System Up Time";
  perf::Sampler sampler("0");
  sampler.Follow({{upTime, perf::KindBit(perf::SampleKind::kFormattedLatest)}});
  ASSERT_TRUE(sampler.Start(100));
  std::optional<lib::CounterValue> value;
  for (int wait = 0; wait < 200 && !value; ++wait) {
    std::this_thread::sleep_for(milliseconds(25));
    value = sampler.Ask(upTime, perf::SampleKind::kFormattedLatest);
  }
  sampler.Stop();
  if (!value && quillon_test::UnderWine()) {
    GTEST_SKIP() << "Wine's PdhCalculateCounterFromRawValue gave no value for " << upTime;
  }
  ASSERT_TRUE(value);
  ASSERT_TRUE(std::holds_alternative<double>(*value));
  EXPECT_GT(std::get<double>(*value), 0.0);
}

TEST(Sampler, ExpandsEveryProcessorOfThePlatformsPdhAndSamplesEach) {
  const std::string everyProcessor = "\\Processor(*)\\% Processor Time";
  std::vector<perf::CounterInstance> expanded;
  const platform::PdhStatus status = perf::ExpandInstances(everyProcessor, expanded);
  if (status != platform::kPdhOk && quillon_test::UnderWine()) {
    GTEST_SKIP() << "Wine's PdhExpandWildCardPathA answers " << std::hex << status << " for "
                 << everyProcessor;
  }
  ASSERT_EQ(status, platform::kPdhOk);
  ASSERT_FALSE(expanded.empty());

  const auto kind = perf::SampleKind::kFormattedInterval;
  perf::Sampler sampler("0");
  sampler.Follow({{everyProcessor, perf::KindBit(kind), true}});
  ASSERT_TRUE(sampler.Start(100));
  perf::InstanceList instances;
  std::optional<lib::CounterValue> total;
  for (int wait = 0; wait < 200 && !total; ++wait) {
    std::this_thread::sleep_for(milliseconds(25));
    instances = sampler.AskInstances(everyProcessor, kind);
    if (!instances) continue;
    for (const perf::CounterInstance& instance : *instances) {
      if (instance.name == "_Total") total = sampler.Ask(instance.localPath, kind);
    }
  }
  sampler.Stop();
  ASSERT_TRUE(instances);
  EXPECT_EQ(instances->size(), expanded.size());
  ASSERT_TRUE(total) << "the _Total instance was sampled over an interval";
  ASSERT_TRUE(std::holds_alternative<double>(*total));
  EXPECT_GE(std::get<double>(*total), 0.0);
}

}  // namespace
