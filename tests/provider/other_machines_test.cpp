#include <algorithm>
#include <optional>

#include "tests/provider/provider_test_support.h"

// Exact values over snapshots of machines unlike proc-a/proc-b: a fully busy
// CPU whose iowait goes backwards, disks beside device-mapper and RAID devices,
// more than 4 TiB of memory, a kernel without MemAvailable, a machine missing
// the sources, a container's mount table.
namespace provider_test {
namespace {

using namespace platform;

class OtherMachines : public FixtureTest {
 protected:
  // Reads the snapshots given, in collection order, and the sys tree given.
  void UseMachine(const std::string& procSnapshots, const std::string& sysTree = "sys-a") {
    std::string roots;
    size_t start = 0;
    while (true) {
      size_t comma = procSnapshots.find(',', start);
      if (!roots.empty()) roots += ':';
      roots += FixturePath(procSnapshots.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    proc_.emplace("QUILLON_PROC_ROOT", roots.c_str());
    sys_.emplace("QUILLON_SYS_ROOT", FixturePath(sysTree).c_str());
  }

  std::vector<std::string> Instances(const char* object) {
    const ObjectItems items = ItemsOf(object);
    EXPECT_EQ(items.status, kPdhOk);
    return items.instances;
  }

 private:
  std::optional<ScopedEnv> proc_;
  std::optional<ScopedEnv> sys_;
};

TEST_F(OtherMachines, IowaitGoingBackwardsOnAFullyBusyCpuCountsAsNoChange) {
  UseMachine("proc-iowait-a,proc-iowait-b");
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(0)\\% Processor Time", 2), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% Processor Time", 2), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% Idle Time", 2), 0.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(_Total)\\% User Time", 2), 80.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Processor(0)\\% Privileged Time", 2), 20.0);
}

TEST_F(OtherMachines, ProcessorQueueLengthCountsOnlyTasksWaitingForAProcessor) {
  UseMachine("proc-iowait-a");
  // Two runnable tasks on two processors: both run, none waits.
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\Processor Queue Length", 1), 0.0);
}

TEST_F(OtherMachines, PhysicalDiskCountsWholeDisksOnlyOnceEach) {
  UseMachine("proc-lvm-a,proc-lvm-b", "sys-lvm");
  EXPECT_EQ(Instances("PhysicalDisk"), (std::vector<std::string>{"sda", "_Total"}));
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(sda)\\Disk Reads/sec", 2), 60.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\Disk Reads/sec", 2), 60.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\Disk Write Bytes/sec", 2), 512000.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\PhysicalDisk(_Total)\\% Disk Time", 2), 25.0);
  EXPECT_EQ(OneCounter("\\PhysicalDisk(dm-0)\\Disk Reads/sec").addStatus(), kPdhCStatusNoInstance);
}

TEST_F(OtherMachines, CommittedBytesInUseBeyond4TiB) {
  UseMachine("proc-4tib");
  // 1,000,000,000 kB of 4 TiB memory plus 2 TiB swap.
  EXPECT_NEAR(ValueAfter("\\Memory\\% Committed Bytes In Use", 1), 15.5220, 0.0001);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Commit Limit", 1), 6442450944.0 * 1024);
}

TEST_F(OtherMachines, KernelWithoutMemAvailableGetsTheKernelsEstimate) {
  UseMachine("proc-old-kernel");
  // 2,000,000 free - 81,920 low watermark (5/4 of min_free_kbytes 65,536)
  // + 2,000,000 page cache - 81,920 + 400,000 reclaimable slab - 81,920.
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Available KBytes", 1), 4154240.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Available MBytes", 1), 4056.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\Memory\\Available Bytes", 1), 4154240.0 * 1024);
}

TEST_F(OtherMachines, MissingSourcesGiveNoValueRatherThanZero) {
  UseMachine("proc-bare");
  for (const char* path :
       {"\\Memory\\Available Bytes", "\\Memory\\Available MBytes", "\\Memory\\Committed Bytes",
        "\\Memory\\% Committed Bytes In Use", "\\System\\Threads", "\\System\\Processes",
        "\\System\\Processor Queue Length"}) {
    EXPECT_EQ(StatusAfter(path, 1), std::make_pair(kPdhInvalidData, kPdhCStatusNoObject)) << path;
  }
  EXPECT_EQ(StatusAfter("\\Memory\\Page Faults/sec", 2),
            std::make_pair(kPdhInvalidData, kPdhCStatusNoObject));
  // What the machine has still reads.
  EXPECT_DOUBLE_EQ(ValueAfter("\\System\\System Up Time", 1), 1000.0);
  OneCounter raw("\\System\\Threads");
  ASSERT_EQ(raw.Collect(), kPdhOk);
  EXPECT_EQ(raw.Raw().CStatus, kPdhCStatusNoObject);
}

TEST_F(OtherMachines, ContainerVolumesAreFileSystemsNotMountPoints) {
  UseMachine("proc-container");
  // "/" and "/var" are two disks; /etc/hosts and /tmp lie on the first, and the
  // second's first mount is a file.
  EXPECT_EQ(Instances("LogicalDisk"), (std::vector<std::string>{"/", "/var", "_Total"}));
  double total = ValueAfter("\\LogicalDisk(_Total)\\Free Megabytes", 1);
  double parts = ValueAfter("\\LogicalDisk(/)\\Free Megabytes", 1) +
                 ValueAfter("\\LogicalDisk(/var)\\Free Megabytes", 1);
  // The file systems may change a little between the reads.
  EXPECT_NEAR(total, parts, 64.0);
}

TEST_F(OtherMachines, TheRunningMachineNamedExplicitlyKeepsItsClock) {
  ScopedEnv proc("QUILLON_PROC_ROOT", "/proc");
  OneCounter counter("\\System\\System Up Time");
  ASSERT_EQ(counter.Collect(), kPdhOk);
  PdhRawCounter raw = counter.Raw();
  // A wall-clock FILETIME (after 1970), not the uptime file's seconds, and a
  // time base finer than the file's 10 ms steps.
  EXPECT_GT(raw.TimeStamp, 116'444'736'000'000'000ULL);
  std::vector<int64_t> bases;
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(counter.Collect(), kPdhOk);
    bases.push_back(counter.Raw().SecondValue);
  }
  EXPECT_TRUE(std::any_of(bases.begin(), bases.end(), [](int64_t base) { return base % 100'000; }));
}

}  // namespace
}  // namespace provider_test
