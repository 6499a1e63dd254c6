#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "tests/provider/provider_test_support.h"

// The newer objects on this machine's own /proc and /sys. Counts keep growing
// while the test runs (other tests use the loopback), so a raw count is
// checked to lie between readings of /proc taken before and after it.
namespace provider_test {
namespace {

class LiveObjects : public LiveMachine {};

using Fields = std::map<std::string, uint64_t>;

// A section ("Tcp") of /proc/net/snmp: its line of names, then its line of values.
Fields SnmpSection(const std::string& section) {
  std::ifstream file("/proc/net/snmp");
  std::string names, values;
  Fields fields;
  while (std::getline(file, names) && std::getline(file, values)) {
    if (!names.starts_with(section + ":")) continue;
    std::istringstream nameWords(names), valueWords(values);
    std::string name, value;
    nameWords >> name;
    valueWords >> value;
    while (nameWords >> name && valueWords >> value) {
      if (!value.starts_with("-")) fields[name] = std::stoull(value);
    }
  }
  return fields;
}

Fields Snmp6() {
  std::ifstream file("/proc/net/snmp6");
  Fields fields;
  std::string name;
  uint64_t value = 0;
  while (file >> name >> value) fields[name] = value;
  return fields;
}

// The raw count of path, as a 32-bit counter delivers it, lies between the
// counts that read() gives before and after the collection.
template <typename Read>
void ExpectRawCountBetweenReadings(const std::string& path, Read read) {
  OneCounter counter(path);
  ASSERT_EQ(counter.addStatus(), platform::kPdhOk) << path;
  uint32_t before = static_cast<uint32_t>(read());
  ASSERT_EQ(counter.Collect(), platform::kPdhOk);
  uint32_t after = static_cast<uint32_t>(read());
  auto raw = static_cast<uint32_t>(counter.Raw().FirstValue);
  EXPECT_GE(raw, before) << path;
  EXPECT_LE(raw, after) << path;
}

TEST_F(LiveObjects, ProtocolCountsMatchProcNetSnmp) {
  ExpectRawCountBetweenReadings("\\IPv4\\Datagrams/sec", [] {
    Fields ip = SnmpSection("Ip");
    return ip["InReceives"] + ip["OutRequests"];
  });
  ExpectRawCountBetweenReadings("\\UDPv4\\Datagrams Received/sec",
                                [] { return SnmpSection("Udp")["InDatagrams"]; });
  ExpectRawCountBetweenReadings("\\TCPv4\\Segments Sent/sec",
                                [] { return SnmpSection("Tcp")["OutSegs"]; });
  ExpectRawCountBetweenReadings("\\TCPv4\\Connections Active",
                                [] { return SnmpSection("Tcp")["ActiveOpens"]; });
  if (!Exists("/proc/net/snmp6")) GTEST_SKIP() << "no IPv6 on this machine";
  ExpectRawCountBetweenReadings("\\IPv6\\Datagrams Received/sec",
                                [] { return Snmp6()["Ip6InReceives"]; });
  ExpectRawCountBetweenReadings("\\UDPv6\\Datagrams Sent/sec",
                                [] { return Snmp6()["Udp6OutDatagrams"]; });
}

// Sockets in the ESTABLISHED (01) or CLOSE-WAIT (08) state of a table.
int CountEstablished(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  int count = 0;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string slot, local, remote, state;
    words >> slot >> local >> remote >> state;
    if (state == "01" || state == "08") ++count;
  }
  return count;
}

TEST_F(LiveObjects, EstablishedConnectionsOfBothFamiliesAreThoseOfTheSocketTables) {
  auto count = [] {
    return CountEstablished("/proc/net/tcp") + CountEstablished("/proc/net/tcp6");
  };
  int before = count();
  double v4 = ValueAfter("\\TCPv4\\Connections Established", 1);
  double v6 = Exists("/proc/net/snmp6") ? ValueAfter("\\TCPv6\\Connections Established", 1) : 0;
  int after = count();
  // Connections come and go while the test reads.
  EXPECT_GE(v4 + v6, std::min(before, after) - 20);
  EXPECT_LE(v4 + v6, std::max(before, after) + 20);
}

TEST_F(LiveObjects, PagingFileTotalIsTheUsedShareOfProcSwaps) {
  std::ifstream swaps("/proc/swaps");
  std::string line;
  std::getline(swaps, line);
  double size = 0, used = 0;
  int areas = 0;
  while (std::getline(swaps, line)) {
    std::istringstream words(line);
    std::string name, type;
    double areaSize = 0, areaUsed = 0;
    if (words >> name >> type >> areaSize >> areaUsed) {
      size += areaSize;
      used += areaUsed;
      ++areas;
    }
  }
  double expected = size > 0 ? 100.0 * used / size : 0.0;
  EXPECT_NEAR(ValueAfter("\\Paging File(_Total)\\% Usage", 1), expected, 1.0);
  EXPECT_GE(ValueAfter("\\Paging File(_Total)\\% Usage Peak", 1), expected - 1.0);

  const ObjectItems items = ItemsOf("Paging File");
  ASSERT_EQ(items.status, platform::kPdhOk);
  EXPECT_EQ(items.instances.size(), static_cast<size_t>(areas) + 1);
}

TEST_F(LiveObjects, ProcessorInformationHasOneInstancePerCpuAndFrequencyWhereCpufreqIs) {
  std::ifstream stat("/proc/stat");
  std::string line;
  size_t cpus = 0;
  while (std::getline(stat, line)) {
    if (line.starts_with("cpu") && !line.starts_with("cpu ")) ++cpus;
  }
  const ObjectItems items = ItemsOf("Processor Information");
  ASSERT_EQ(items.status, platform::kPdhOk);
  const std::vector<std::string>& names = items.instances;
  size_t perCpu = std::count_if(names.begin(), names.end(), [](const std::string& name) {
    return name.find(',') != std::string::npos && !name.ends_with("_Total");
  });
  EXPECT_EQ(perCpu, cpus);
  EXPECT_EQ(names.back(), "_Total");

  const std::string frequency = "\\Processor Information(_Total)\\Processor Frequency";
  const std::string share = "\\Processor Information(_Total)\\% of Maximum Frequency";
  if (Exists("/sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq")) {
    EXPECT_GT(ValueAfter(frequency, 1), 0.0);
    double percent = ValueAfter(share, 1);
    EXPECT_GT(percent, 0.0);
    EXPECT_LE(percent, 100.0);
  } else {
    for (const std::string& path : {frequency, share}) {
      EXPECT_EQ(StatusAfter(path, 1),
                std::make_pair(platform::kPdhInvalidData, platform::kPdhCStatusNoObject));
    }
  }
}

// Processor itself is checked against /proc/stat; both objects read the same
// samples in one query, moments apart.
TEST_F(LiveObjects, ProcessorInformationTotalAgreesWithProcessorTotal) {
  platform::Pdh& pdh = platform::SystemPdh();
  platform::PdhHandle query = 0, information = 0, processor = 0;
  ASSERT_EQ(pdh.OpenQuery(nullptr, 0, &query), platform::kPdhOk);
  ASSERT_EQ(
      pdh.AddCounter(query, "\\Processor Information(_Total)\\% Processor Time", 0, &information),
      platform::kPdhOk);
  ASSERT_EQ(pdh.AddCounter(query, "\\Processor(_Total)\\% Processor Time", 0, &processor),
            platform::kPdhOk);
  ASSERT_EQ(pdh.CollectQueryData(query), platform::kPdhOk);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_EQ(pdh.CollectQueryData(query), platform::kPdhOk);
  platform::PdhFmtCounterValue fromInformation{}, fromProcessor{};
  ASSERT_EQ(
      pdh.GetFormattedCounterValue(information, platform::kPdhFmtDouble, nullptr, &fromInformation),
      platform::kPdhOk);
  ASSERT_EQ(
      pdh.GetFormattedCounterValue(processor, platform::kPdhFmtDouble, nullptr, &fromProcessor),
      platform::kPdhOk);
  EXPECT_NEAR(fromInformation.doubleValue, fromProcessor.doubleValue, 10.0);
  pdh.CloseQuery(query);
}

}  // namespace
}  // namespace provider_test
