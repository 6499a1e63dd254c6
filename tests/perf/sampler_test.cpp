#include "perf/sampler.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "perf/perf.h"

namespace {

namespace fs = std::filesystem;
using perf::SampleKind;

constexpr const char* kTotalTime = "\\Processor(_Total)\\% Processor Time";
constexpr const char* kInterrupts = "\\Processor(_Total)\\Interrupts/sec";
constexpr const char* kAvailable = "\\Memory\\Available MBytes";
constexpr const char* kThreads = "\\System\\Threads";

std::string Fixture(const std::string& name) { return QUILLON_FIXTURES "/" + name; }

// The sampler on the counter provider's fixture snapshots: its first collection reads
// proc-a, every later one proc-b, as a session of its own would.
class SamplerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quillon-sampler-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    driveC_ = pattern;
    setenv("QUILLON_DRIVE_C", driveC_.c_str(), 1);
    setenv("QUILLON_REGISTRY", Fixture("perf/registry.reg").c_str(), 1);
    setenv("LC_ALL", "C", 1);
    UseSnapshots({Fixture("proc-a"), Fixture("proc-b")});
    setenv("QUILLON_SYS_ROOT", Fixture("sys-a").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(driveC_); }

  static void UseSnapshots(const std::vector<std::string>& roots) {
    std::string value;
    for (const std::string& root : roots) value += (value.empty() ? "" : ":") + root;
    setenv("QUILLON_PROC_ROOT", value.c_str(), 1);
  }

  // The value a query session of its own reads for the path, over the same snapshots.
  static lib::CounterValue ReadOnItsOwn(const std::string& path, SampleKind kind) {
    EXPECT_TRUE(perf::init());
    const bool twice = kind == SampleKind::kFormattedInterval || kind == SampleKind::kRawInterval;
    lib::CounterValue value =
        kind == SampleKind::kRawInterval || kind == SampleKind::kRawLatest
            ? perf::GetRawValue(path, twice, 0)
            : perf::GetFormattedValue(path, twice, 0, platform::kPdhFmtDouble);
    perf::close();
    return value;
  }

  std::vector<std::string> DebugLines() const {
    std::ifstream in(driveC_ / "log.txt", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line.substr(line.find(" , ") + 3));
    }
    return lines;
  }

  fs::path driveC_;
  std::chrono::steady_clock::time_point now_ = std::chrono::steady_clock::now();
  perf::Sampler sampler_{"1", [this] { return now_; }};
};

TEST_F(SamplerTest, GivesWhatASessionOfItsOwnReadsFromTheSameTwoSamples) {
  struct Case {
    const char* path;
    SampleKind kind;
  };
  const std::vector<Case> cases = {
      {kTotalTime, SampleKind::kFormattedInterval}, {kInterrupts, SampleKind::kFormattedInterval},
      {kInterrupts, SampleKind::kRawInterval},      {kTotalTime, SampleKind::kRawInterval},
      {kAvailable, SampleKind::kFormattedLatest},   {kThreads, SampleKind::kRawLatest},
      {kTotalTime, SampleKind::kFormattedLatest},   {kAvailable, SampleKind::kRawInterval}};
  std::vector<perf::WantedCounter> wanted;
  for (const Case& row : cases) wanted.push_back({row.path, perf::KindBit(row.kind)});
  sampler_.Follow(wanted);
  sampler_.Collect();
  sampler_.Collect();
  for (const Case& row : cases) {
    SCOPED_TRACE(std::string(row.path) + " as kind " + std::to_string(static_cast<int>(row.kind)));
    const auto sampled = sampler_.Ask(row.path, row.kind);
    ASSERT_TRUE(sampled.has_value());
    EXPECT_EQ(*sampled, ReadOnItsOwn(row.path, row.kind));
    // A rate has no value from one sample, in either read.
    EXPECT_EQ(lib::IsNull(*sampled),
              row.kind == SampleKind::kFormattedLatest && row.path == kTotalTime);
  }
  EXPECT_EQ(sampler_.Ask(kTotalTime, SampleKind::kFormattedInterval), lib::CounterValue(40.0));
}

TEST_F(SamplerTest, AnIntervalNeedsTwoSamplesAndALatestValueOne) {
  sampler_.Follow({{kTotalTime, perf::KindBit(SampleKind::kFormattedInterval)},
                   {kThreads, perf::KindBit(SampleKind::kFormattedLatest)}});
  EXPECT_FALSE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest));
  sampler_.Collect();
  EXPECT_EQ(sampler_.Ask(kThreads, SampleKind::kFormattedLatest), lib::CounterValue(250.0));
  EXPECT_FALSE(sampler_.Ask(kTotalTime, SampleKind::kFormattedInterval));
  sampler_.Collect();
  EXPECT_EQ(sampler_.Ask(kTotalTime, SampleKind::kFormattedInterval), lib::CounterValue(40.0));
  // A kind nobody asked for before waits for a collection of its own.
  EXPECT_FALSE(sampler_.Ask(kTotalTime, SampleKind::kRawLatest));
  sampler_.Collect();
  EXPECT_TRUE(sampler_.Ask(kTotalTime, SampleKind::kRawLatest));
  // One sample formats a count but never a rate, however many samples were taken.
  EXPECT_FALSE(sampler_.Ask(kTotalTime, SampleKind::kFormattedLatest));
  EXPECT_FALSE(sampler_.Ask(kThreads, SampleKind::kRawInterval));
  for (int collection = 0; collection < 3; ++collection) {
    sampler_.Collect();
    EXPECT_EQ(sampler_.Ask(kTotalTime, SampleKind::kFormattedLatest), lib::CounterValue());
  }
  EXPECT_EQ(sampler_.Ask(kThreads, SampleKind::kFormattedLatest), lib::CounterValue(250.0));
  EXPECT_TRUE(sampler_.Ask(kThreads, SampleKind::kRawInterval));
}

TEST_F(SamplerTest, FollowsWhatTheRowsWantAndLetsIdleCountersGo) {
  const uint8_t latest = perf::KindBit(SampleKind::kFormattedLatest);
  sampler_.Follow({{kThreads, latest}, {kAvailable, latest}});
  sampler_.Collect();
  EXPECT_TRUE(sampler_.Ask(kAvailable, SampleKind::kFormattedLatest));
  sampler_.Follow({{kThreads, latest}});
  sampler_.Collect();
  EXPECT_TRUE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest)) << "kept across the edit";
  EXPECT_FALSE(sampler_.Ask(kAvailable, SampleKind::kFormattedLatest)) << "left with its row";
  sampler_.Collect();
  EXPECT_TRUE(sampler_.Ask(kAvailable, SampleKind::kFormattedLatest)) << "asked for, it joins";

  now_ += perf::Sampler::kIdleLimit - std::chrono::seconds(1);
  EXPECT_TRUE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest));
  now_ += std::chrono::seconds(2);
  sampler_.Collect();
  EXPECT_TRUE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest)) << "asked 2 s ago";
  EXPECT_FALSE(sampler_.Ask(kAvailable, SampleKind::kFormattedLatest)) << "idle for 10 minutes";
}

TEST_F(SamplerTest, ExpandsEveryInstanceSamplesEachAndLetsAnIdleExpansionGo) {
  const std::string every = "\\Processor(*)\\% Processor Time";
  const auto interval = SampleKind::kFormattedInterval;
  sampler_.Follow({{every, perf::KindBit(interval), true}});
  EXPECT_FALSE(sampler_.AskInstances(every, interval)) << "not expanded before a collection";
  sampler_.Collect();
  const perf::InstanceList instances = sampler_.AskInstances(every, interval);
  ASSERT_TRUE(instances);
  std::vector<std::string> names;
  for (const perf::CounterInstance& instance : *instances) names.push_back(instance.name);
  EXPECT_EQ(names, (std::vector<std::string>{"0", "1", "_Total"}));
  sampler_.Collect();
  for (const auto& [instance, expected] :
       std::vector<std::pair<std::string, double>>{{"0", 60}, {"1", 20}, {"_Total", 40}}) {
    const std::string path = "\\Processor(" + instance + ")\\% Processor Time";
    EXPECT_EQ(sampler_.Ask(path, interval), lib::CounterValue(expected)) << instance;
  }

  now_ += perf::Sampler::kIdleLimit + std::chrono::seconds(1);
  sampler_.Collect();
  EXPECT_FALSE(sampler_.AskInstances(every, interval)) << "idle for 10 minutes";
  sampler_.Collect();
  EXPECT_TRUE(sampler_.AskInstances(every, interval)) << "asked for, it joins again";
}

TEST_F(SamplerTest, AnInstanceThatAppearsLaterIsSampledOnceItIsThere) {
  // Snapshot b with one process more: "late", a copy of bash 200 as pid 300.
  const fs::path later = driveC_ / "proc-b";
  fs::copy(Fixture("proc-b"), later, fs::copy_options::recursive);
  fs::copy(later / "200", later / "300", fs::copy_options::recursive);
  std::ifstream in(later / "300" / "stat");
  std::stringstream stat;
  stat << in.rdbuf();
  std::string text = stat.str();
  text.replace(0, text.find(')') + 1, "300 (late)");
  std::ofstream(later / "300" / "stat", std::ios::trunc) << text;
  UseSnapshots({Fixture("proc-a"), later.string()});

  const std::string late = "\\Process(late)\\Thread Count";
  sampler_.Follow({{kThreads, perf::KindBit(SampleKind::kFormattedLatest)}});
  EXPECT_FALSE(sampler_.Ask(late, SampleKind::kFormattedLatest));
  sampler_.Collect();
  EXPECT_FALSE(sampler_.Ask(late, SampleKind::kFormattedLatest)) << "not there in snapshot a";
  sampler_.Collect();
  const auto value = sampler_.Ask(late, SampleKind::kFormattedLatest);
  ASSERT_TRUE(value);
  EXPECT_FALSE(lib::IsNull(*value));
}

TEST_F(SamplerTest, ItsFailuresAreLoggedOncePerCounterAndCause) {
  const std::string unknown = "\\No Such Object\\Counter";
  for (int request = 0; request < 3; ++request) {
    EXPECT_FALSE(sampler_.Ask(unknown, SampleKind::kFormattedInterval));
    sampler_.Collect();
  }
  const std::vector<std::string> expected = {
      "Sampler: PdhAddCounter: ret=C0000BB8 for \\No Such Object\\Counter"};
  EXPECT_EQ(DebugLines(), expected);
}

// The same counter under as many spellings as it takes: names are matched without
// regard to case, and each spelling is a counter of its own to the sampler.
std::string Spelling(size_t variant) {
  std::string name = "\\Memory\\available mbytes";
  for (size_t position = name.size() - 1; variant != 0; --position) {
    if (name[position] == ' ') continue;
    if (variant & 1) name[position] = static_cast<char>(std::toupper(name[position]));
    variant >>= 1;
  }
  return name;
}

TEST_F(SamplerTest, SamplesAtMostTheLimitOfCounters) {
  std::vector<perf::WantedCounter> wanted;
  for (size_t i = 0; i < perf::Sampler::kMaxCounters; ++i) {
    wanted.push_back({Spelling(i), perf::KindBit(SampleKind::kFormattedLatest)});
  }
  sampler_.Follow(wanted);
  sampler_.Collect();
  EXPECT_EQ(sampler_.Ask(Spelling(perf::Sampler::kMaxCounters - 1), SampleKind::kFormattedLatest),
            lib::CounterValue(7812.0));
  EXPECT_FALSE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest));
  sampler_.Collect();
  EXPECT_FALSE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest)) << "beyond the limit";
  EXPECT_TRUE(DebugLines().empty());
}

TEST_F(SamplerTest, ItsThreadCollectsAtOnceAndStopsForGood) {
  sampler_.Follow({{kThreads, perf::KindBit(SampleKind::kFormattedLatest)}});
  ASSERT_TRUE(sampler_.Start(100));
  for (int wait = 0; wait < 500 && !sampler_.Ask(kThreads, SampleKind::kFormattedLatest); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(sampler_.Ask(kThreads, SampleKind::kFormattedLatest));
  sampler_.Stop();
  sampler_.Stop();
}

}  // namespace
