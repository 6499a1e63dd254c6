#include <sys/statvfs.h>

#include <cmath>

#include "tests/provider/provider_test_support.h"

// Exact values over the fixture snapshots proc-a (uptime 1000 s) and proc-b
// (uptime 1010 s): rates are the growth between them over 10 seconds.
namespace provider_test {
namespace {

using platform::kPdhOk;

class FixtureValues : public FixtureTest {};

TEST_F(FixtureValues, ProcessorTimersAreSharesOfTheCpuTimesPerCpuAndTotal) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(0)\\% Processor Time", 2), 60.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(1)\\% Processor Time", 2), 20.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% Processor Time", 2), 40.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% User Time", 2), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% Privileged Time", 2), 15.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% Interrupt Time", 2), 5.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(1)\\% Idle Time", 2), 80.0);
}

TEST_F(FixtureValues, CounterRatesUseTheSnapshotsUptime) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(0)\\Interrupts/sec", 2), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\Interrupts/sec", 2), 150.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Page Faults/sec", 2), 5000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Pages/sec", 2), 20.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\Context Switches/sec", 2), 10000.0);
}

TEST_F(FixtureValues, BulkCountRatesOfInterfacesAndDisks) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(eth0)\\Bytes Received/sec", 2), 100000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(eth0)\\Bytes Sent/sec", 2), 50000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(eth0)\\Bytes Total/sec", 2), 150000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(eth0)\\Packets/sec", 2), 150.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(lo)\\Packets Received/sec", 2), 1.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(sda)\\Disk Reads/sec", 2), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(sda)\\Disk Read Bytes/sec", 2), 512000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\Disk Reads/sec", 2), 60.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\Disk Write Bytes/sec", 2), 204800.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(sda)\\% Disk Time", 2), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\% Disk Time", 2), 15.0);
}

TEST_F(FixtureValues, RawCountsFractionsAndElapsedTimes) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Available Bytes", 1), 8192000000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Available KBytes", 1), 8000000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Available MBytes", 1), 7812.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Commit Limit", 1), 20480000000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\% Committed Bytes In Use", 1), 25.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Cache Bytes", 1), 3072000000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\Processes", 1), 4.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\Threads", 1), 250.0);
  // Three runnable tasks on two processors: one waits.
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\Processor Queue Length", 1), 1.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\System Up Time", 1), 1000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\System Up Time", 2), 1010.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(eth0)\\Packets Received Errors", 1), 2.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(eth0)\\Current Bandwidth", 1), 1e9);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Network Interface(lo)\\Current Bandwidth", 1), 0.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\Current Disk Queue Length", 2), 2.0);
}

TEST_F(FixtureValues, ProcessInstancesByNameWithDuplicatesNumbered) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\ID Process", 1), 12345.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bash)\\ID Process", 1), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bash#1)\\ID Process", 1), 200.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bash#0)\\ID Process", 1), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\% Processor Time", 2), 40.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\% User Time", 2), 30.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bash#1)\\% Privileged Time", 2), 10.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(_Total)\\% Processor Time", 2), 60.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\Working Set", 1), 2097152.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\Private Bytes", 1), 1572864.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\Thread Count", 1), 7.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(_Total)\\Thread Count", 1), 10.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bash#1)\\Handle Count", 1), 4.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Process(bigproc)\\Elapsed Time", 2), 960.0);
}

TEST_F(FixtureValues, RawSamplesCarryTheValuesAndTimeBaseWindowsWouldDeliver) {
  OneCounter virtualBytes("\\Process(bigproc)\\Virtual Bytes");
  ASSERT_EQ(virtualBytes.Collect(), kPdhOk);
  platform::PdhRawCounter raw = virtualBytes.Raw();
  EXPECT_EQ(raw.CStatus, platform::kPdhCStatusValidData);
  EXPECT_EQ(raw.FirstValue, 4294967298LL);
  EXPECT_EQ(raw.TimeStamp, 10'000'000'000ULL);
  EXPECT_EQ(raw.MultiCount, 1u);

  OneCounter upTime("\\System\\System Up Time");
  ASSERT_EQ(upTime.Collect(), kPdhOk);
  ASSERT_EQ(upTime.Collect(), kPdhOk);
  raw = upTime.Raw();
  EXPECT_EQ(raw.FirstValue, 0);
  EXPECT_EQ(raw.SecondValue, 10'100'000'000LL);
}

TEST_F(FixtureValues, LargeValuesInEveryFormat) {
  OneCounter counter("\\Process(bigproc)\\Virtual Bytes");
  ASSERT_EQ(counter.Collect(), kPdhOk);
  platform::PdhFmtCounterValue value{};
  ASSERT_EQ(
      pdh.GetFormattedCounterValue(
          counter.counter(), platform::kPdhFmtLarge | platform::kPdhFmtNoScale, nullptr, &value),
      kPdhOk);
  EXPECT_EQ(value.largeValue, 4294967298LL);
  ASSERT_EQ(
      pdh.GetFormattedCounterValue(
          counter.counter(), platform::kPdhFmtLong | platform::kPdhFmtNoScale, nullptr, &value),
      kPdhOk);
  EXPECT_EQ(value.longValue, 2);
  // Without NOSCALE the default scale of Virtual Bytes (10^-6) applies.
  EXPECT_DOUBLE_EQ(counter.Double(0), 4294.967298);
}

TEST_F(FixtureValues, LogicalDiskReportsTheMountedVolumes) {
  struct statvfs root {};
  ASSERT_EQ(statvfs("/", &root), 0);
  double blockSize = static_cast<double>(root.f_frsize);
  double freeMb = std::floor(static_cast<double>(root.f_bavail) * blockSize / 1048576.0);
  // The file system may change a little between the two reads.
  EXPECT_NEAR(ValueAfter("\\LogicalDisk(/)\\Free Megabytes", 1), freeMb, 64.0);
  EXPECT_NEAR(ValueAfter("\\LogicalDisk(_Total)\\Free Megabytes", 1), freeMb, 64.0);
  double percent = ValueAfter("\\LogicalDisk(/)\\% Free Space", 1);
  EXPECT_GE(percent, 0.0);
  EXPECT_LE(percent, 100.0);
}

TEST_F(FixtureValues, CollectionsBeyondTheLastSnapshotReadTheLastOneAgain) {
  OneCounter counter("\\System\\Context Switches/sec");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(counter.Collect(), kPdhOk);
  // No time passed between the second and third collection.
  EXPECT_DOUBLE_EQ(counter.Double(), 0.0);
}

}  // namespace
}  // namespace provider_test
