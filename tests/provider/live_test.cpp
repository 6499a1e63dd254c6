#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/provider/provider_test_support.h"

// The provider on this machine's own /proc and /sys.
namespace provider_test {
namespace {

class Live : public LiveMachine {};

struct CpuTotals {
  double busy = 0;
  double total = 0;
};

CpuTotals ReadProcStat() {
  std::ifstream stat("/proc/stat");
  std::string label;
  stat >> label;
  CpuTotals totals;
  for (int field = 0; field < 8; ++field) {
    double ticks = 0;
    stat >> ticks;
    totals.total += ticks;
    if (field != 3 && field != 4) totals.busy += ticks;
  }
  return totals;
}

double ValueOfKey(const std::string& path, const std::string& key) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string name;
    double value = 0;
    words >> name >> value;
    if (name == key) return value;
  }
  return -1;
}

double FirstNumberOf(const std::string& path) {
  std::ifstream file(path);
  double value = -1;
  file >> value;
  return value;
}

TEST_F(Live, ProcessorTimeAgreesWithProcStatOverTheSameInterval) {
  OneCounter counter("\\Processor(_Total)\\% Processor Time");
  ASSERT_EQ(counter.addStatus(), platform::kPdhOk);
  CpuTotals before = ReadProcStat();
  ASSERT_EQ(counter.Collect(), platform::kPdhOk);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_EQ(counter.Collect(), platform::kPdhOk);
  CpuTotals after = ReadProcStat();
  double value = counter.Double();
  EXPECT_GE(value, 0.0);
  EXPECT_LE(value, 100.0);
  ASSERT_GT(after.total, before.total);
  double expected = 100.0 * (after.busy - before.busy) / (after.total - before.total);
  EXPECT_NEAR(value, expected, 10.0);
}

TEST_F(Live, AvailableBytesMatchesMemAvailable) {
  double expected = ValueOfKey("/proc/meminfo", "MemAvailable:") * 1024.0;
  OneCounter counter("\\Memory\\Available Bytes");
  ASSERT_EQ(counter.Collect(), platform::kPdhOk);
  EXPECT_NEAR(counter.Double(), expected, expected * 0.01);
}

TEST_F(Live, SystemUpTimeMatchesProcUptime) {
  OneCounter counter("\\System\\System Up Time");
  ASSERT_EQ(counter.Collect(), platform::kPdhOk);
  EXPECT_NEAR(counter.Double(), FirstNumberOf("/proc/uptime"), 2.0);
}

// Sources that not every machine has: there the counters have no value.
bool MachineLacksSourceOf(const std::string& object, const std::string& counter) {
  if (counter == "Processor Frequency" || counter == "% of Maximum Frequency") {
    return !Exists("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq");
  }
  if (object == "IPv6" || object == "UDPv6" || object == "TCPv6") {
    return !Exists("/proc/net/snmp6");
  }
  return false;
}

TEST_F(Live, EveryCounterOfEveryObjectCanBeReadForItsFirstInstance) {
  platform::Pdh& pdh = platform::SystemPdh();
  uint32_t size = 0;
  pdh.EnumObjects(nullptr, nullptr, nullptr, &size, platform::kPerfDetailWizard, 0);
  std::vector<char> objects(size);
  ASSERT_EQ(
      pdh.EnumObjects(nullptr, nullptr, objects.data(), &size, platform::kPerfDetailWizard, 0),
      platform::kPdhOk);
  for (const std::string& object : SplitMultiString(objects)) {
    uint32_t counterSize = 0, instanceSize = 0;
    pdh.EnumObjectItems(nullptr, nullptr, object.c_str(), nullptr, &counterSize, nullptr,
                        &instanceSize, platform::kPerfDetailWizard, 0);
    std::vector<char> counters(counterSize), instances(instanceSize + 1);
    ASSERT_EQ(pdh.EnumObjectItems(nullptr, nullptr, object.c_str(), counters.data(), &counterSize,
                                  instances.data(), &instanceSize, platform::kPerfDetailWizard, 0),
              platform::kPdhOk);
    std::vector<std::string> instanceNames = SplitMultiString(instances);
    // The first instance is the longest-lived one (CPU 0, process 1); a total can
    // shrink when a process ends, which PDH reports as a negative value.
    std::string instance = instanceNames.empty() ? "" : "(" + instanceNames.front() + ")";
    for (const std::string& name : SplitMultiString(counters)) {
      std::string path = "\\" + object + instance + "\\" + name;
      OneCounter counter(path);
      ASSERT_EQ(counter.addStatus(), platform::kPdhOk) << path;
      ASSERT_EQ(counter.Collect(), platform::kPdhOk);
      ASSERT_EQ(counter.Collect(), platform::kPdhOk);
      if (MachineLacksSourceOf(object, name)) {
        EXPECT_EQ(counter.Raw().CStatus, platform::kPdhCStatusNoObject) << path;
        continue;
      }
      EXPECT_GE(counter.Double(platform::kPdhFmtNoScale | platform::kPdhFmtNoCap100), 0.0) << path;
    }
  }
}

}  // namespace
}  // namespace provider_test
