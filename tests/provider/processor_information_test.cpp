#include "tests/provider/provider_test_support.h"

// Processor Information over the fixture snapshots. In sys-a both CPUs are on
// node 0, CPU 0 runs at 1800 of 3600 MHz and CPU 1 at its 3600 MHz maximum; in
// sys-numa CPU 1 is on node 1 and there is no cpufreq.
namespace provider_test {
namespace {

class ProcessorInformation : public FixtureTest {
 protected:
  std::vector<std::string> Instances() {
    const ObjectItems items = ItemsOf("Processor Information");
    EXPECT_EQ(items.status, platform::kPdhOk);
    return items.instances;
  }
};

TEST_F(ProcessorInformation, InstancesAreNamedByNodeAndNumberWithTotals) {
  EXPECT_EQ(Instances(), (std::vector<std::string>{"0,0", "0,1", "0,_Total", "_Total"}));
  ScopedEnv sysRoot("QUILLON_SYS_ROOT", FixturePath("sys-numa").c_str());
  EXPECT_EQ(Instances(),
            (std::vector<std::string>{"0,0", "0,_Total", "1,0", "1,_Total", "_Total"}));
}

TEST_F(ProcessorInformation, TimesAreTheProcessorObjectsPerCpuNodeAndMachine) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,0)\\% Processor Time", 2), 60.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,1)\\% Processor Time", 2), 20.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,_Total)\\% Processor Time", 2), 40.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(_Total)\\% Processor Time", 2), 40.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,0)\\% User Time", 2), 40.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,_Total)\\% User Time", 2), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,_Total)\\% Privileged Time", 2), 15.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,1)\\% Idle Time", 2), 80.0);
  ScopedEnv sysRoot("QUILLON_SYS_ROOT", FixturePath("sys-numa").c_str());
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(1,0)\\% Processor Time", 2), 20.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(1,_Total)\\% Processor Time", 2), 20.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,_Total)\\% Idle Time", 2), 40.0);
}

TEST_F(ProcessorInformation, FrequencyFromCpufreqAndNoValueWithoutIt) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,0)\\Processor Frequency", 1), 1800.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,1)\\Processor Frequency", 1), 3600.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(_Total)\\Processor Frequency", 1), 2700.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,0)\\% of Maximum Frequency", 1), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,1)\\% of Maximum Frequency", 1), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(0,_Total)\\% of Maximum Frequency", 1),
                   75.0);
  ScopedEnv sysRoot("QUILLON_SYS_ROOT", FixturePath("sys-numa").c_str());
  for (const char* path : {"\\Processor Information(1,0)\\Processor Frequency",
                           "\\Processor Information(0,_Total)\\Processor Frequency",
                           "\\Processor Information(_Total)\\% of Maximum Frequency"}) {
    EXPECT_EQ(StatusAfter(path, 1),
              std::make_pair(platform::kPdhInvalidData, platform::kPdhCStatusNoObject))
        << path;
  }
  // The times do not need cpufreq.
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor Information(1,0)\\% User Time", 2), 10.0);
}

}  // namespace
}  // namespace provider_test
