#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "provider/counter_types.h"
#include "provider/sources/proc_diskstats.h"
#include "provider/sources/proc_escapes.h"
#include "provider/sources/proc_interrupts.h"
#include "provider/sources/proc_loadavg.h"
#include "provider/sources/proc_meminfo.h"
#include "provider/sources/proc_mountinfo.h"
#include "provider/sources/proc_net_dev.h"
#include "provider/sources/proc_net_snmp.h"
#include "provider/sources/proc_net_tcp.h"
#include "provider/sources/proc_pid_stat.h"
#include "provider/sources/proc_pid_status.h"
#include "provider/sources/proc_stat.h"
#include "provider/sources/proc_swaps.h"
#include "provider/sources/proc_uptime.h"
#include "provider/sources/proc_vmstat.h"
#include "provider/sources/single_number.h"

// One reader per /proc and /sys file, on lines of the fixture machine and on the
// malformed lines each file may have: a fault of one reader fails here, by name.
namespace provider {
namespace {

TEST(SourceReaders, ProcStatGivesTheCpuLinesAndTheSchedulerLines) {
  const ProcStat stat = ParseProcStat(
      "cpu  1000 200 300 7000 500 100 100 0 0 0\n"
      "cpu0 500 100 150 3500 250 50 50 0 0 0\n"
      "cpu1\t500 100 x\n"  // a malformed field reads 0
      "cpufreq 1\n"        // not a CPU
      "intr 123456 0 0\n"
      "ctxt 500000\n"
      "procs_running 3\n");
  ASSERT_TRUE(stat.machine);
  EXPECT_EQ(stat.machine->ticks, (std::array<int64_t, 8>{1000, 200, 300, 7000, 500, 100, 100, 0}));
  EXPECT_EQ(stat.machine->number, std::nullopt);
  ASSERT_EQ(stat.cpus.size(), 2u);
  EXPECT_EQ(stat.cpus[0].label, "cpu0");
  EXPECT_EQ(stat.cpus[0].number, 0u);
  EXPECT_EQ(stat.cpus[1].ticks, (std::array<int64_t, 8>{500, 100, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(stat.onlineCpus, 2);
  EXPECT_EQ(stat.contextSwitches, 500000);
  EXPECT_EQ(stat.runningTasks, 3);

  const ProcStat bare = ParseProcStat("ctxt 18446744073709551615\nprocs_running\n");
  EXPECT_FALSE(bare.machine);
  EXPECT_EQ(bare.contextSwitches, std::nullopt);  // beyond int64
  EXPECT_EQ(bare.runningTasks, std::nullopt);
}

TEST(SourceReaders, InterruptsAreSummedPerCpuColumn) {
  const auto perCpu = ParseInterruptsPerCpu(
      "           CPU0       CPU2       \n"
      "  0:        100          0   IO-APIC   2-edge      timer\n"
      "  1:        900       1000   IO-APIC   1-edge      i8042\n"
      "NMI:          5\n"  // a short row counts what it has
      "ERR:          0\n");
  EXPECT_EQ(perCpu, (std::map<int, int64_t>{{0, 1005}, {2, 1000}}));
  EXPECT_TRUE(ParseInterruptsPerCpu("").empty());
}

TEST(SourceReaders, LoadavgGivesTheSchedulingEntities) {
  EXPECT_EQ(ParseLoadavg("0.50 0.40 0.30 3/250 12345\n").schedulingEntities, 250);
  EXPECT_EQ(ParseLoadavg("0.50 0.40 0.30 3-250 12345\n").schedulingEntities, std::nullopt);
  EXPECT_EQ(ParseLoadavg("0.50 0.40\n").schedulingEntities, std::nullopt);
}

TEST(SourceReaders, UptimeIsInHundredNanosecondUnits) {
  EXPECT_EQ(ParseUptime("12345.67 40000.00\n"),
            12345 * kTicksPerSecond + 67 * kTicksPerSecond / 100);
  EXPECT_EQ(ParseUptime(""), std::nullopt);
  EXPECT_EQ(ParseUptime("-1.0 2"), std::nullopt);
}

TEST(SourceReaders, SingleNumberFilesGiveTheirFirstField) {
  EXPECT_EQ(ParseSingleNumber("1000\n"), 1000u);
  EXPECT_EQ(ParseSingleNumber("-1\n"), std::nullopt);  // a link without carrier
  EXPECT_EQ(ParseSingleNumber("\n"), std::nullopt);
}

TEST(SourceReaders, NetDevGivesEachInterfaceLine) {
  const auto devices = ParseNetDev(
      "Inter-|   Receive                                                |  Transmit\n"
      " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
      "drop fifo colls carrier compressed\n"
      "    lo:     1000      10    0    0    0     0          0         0     1000      10    0 "
      "   0    0     0       0          0\n"
      "  eth0:5000 50 1 0 0 0 0 0 6000 60 2 0 0 0 0 0\n"
      "  short: 1 2 3\n");
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].name, "lo");
  EXPECT_EQ(devices[1].name, "eth0");
  EXPECT_EQ(devices[1].rxBytes, 5000);
  EXPECT_EQ(devices[1].rxPackets, 50);
  EXPECT_EQ(devices[1].rxErrors, 1);
  EXPECT_EQ(devices[1].txBytes, 6000);
  EXPECT_EQ(devices[1].txPackets, 60);
  EXPECT_EQ(devices[1].txErrors, 2);
}

TEST(SourceReaders, DiskstatsGivesEachDeviceLine) {
  const auto disks = ParseDiskstats(
      "   8       0 sda 1000 0 20000 500 2000 0 40000 800 0 1500 2300 0 0 0 0\n"
      "   7       0 loop0 10 0 20\n");
  ASSERT_EQ(disks.size(), 1u);
  EXPECT_EQ(disks[0].name, "sda");
  EXPECT_EQ(disks[0].reads, 1000);
  EXPECT_EQ(disks[0].sectorsRead, 20000);
  EXPECT_EQ(disks[0].writes, 2000);
  EXPECT_EQ(disks[0].sectorsWritten, 40000);
  EXPECT_EQ(disks[0].inProgress, 0);
  EXPECT_EQ(disks[0].ioMilliseconds, 1500);
}

TEST(SourceReaders, SwapsGivesEachAreaWithItsPathUnescaped) {
  const auto areas = ParseSwaps(
      "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n"
      "/dev/sda2                               partition\t4194304\t\t2097152\t\t-2\n"
      "/swap\\040file                           file\t\t4194304\t\t0\t\t-3\n"
      "/short file 1\n");
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas[0].filename, "/dev/sda2");
  EXPECT_EQ(areas[0].sizeKb, 4194304);
  EXPECT_EQ(areas[0].usedKb, 2097152);
  EXPECT_EQ(areas[1].filename, "/swap file");
  EXPECT_EQ(areas[1].usedKb, 0);
}

TEST(SourceReaders, MountinfoGivesDeviceMountPointTypeAndSource) {
  const auto mounts = ParseMountinfo(
      "20 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "23 20 8:2 / /mnt/with\\040blank rw - xfs /dev/sda2 rw\n"
      "24 20 0:30 / /no/separator rw ext4 /dev/sda3 rw\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].device, "8:1");
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[0].type, "ext4");
  EXPECT_EQ(mounts[0].source, "/dev/sda1");
  EXPECT_EQ(mounts[1].mountPoint, "/mnt/with blank");
  EXPECT_EQ(UnescapeProcField("a\\134b\\01"), "a\\b\\01");  // a cut escape stays text
}

TEST(SourceReaders, TcpTablesCountSocketsByStateAndMappedAddress) {
  const TcpSockets v6 = ParseTcpTable(
      "  sl  local_address                         remote_address                        st\n"
      "   0: 00000000000000000000000000000000:0050 00000000000000000000000000000000:0000 0A\n"
      "   1: 0000000000000000FFFF00000F02000A:0050 0000000000000000FFFF00000102000A:C351 01\n"
      "   2: 000080FE00000000FF0000000100A8C0:0050 000080FE00000000FF0000000200A8C0:C352 01\n"
      "   3: 000080FE00000000FF0000000100A8C0:0050 000080FE00000000FF0000000200A8C0:C353 08\n"
      "   4: 000080FE00000000FF0000000100A8C0:0050 000080FE00000000FF0000000200A8C0:C353 zz\n");
  EXPECT_EQ(v6.byState[0x0A], 1);
  EXPECT_EQ(v6.byState[kTcpEstablished], 2);
  EXPECT_EQ(v6.byState[kTcpCloseWait], 1);
  EXPECT_EQ(v6.ipv4MappedByState[kTcpEstablished], 1);
  EXPECT_EQ(v6.ipv4MappedByState[kTcpCloseWait], 0);

  const TcpSockets v4 = ParseTcpTable(
      "   1: 0F02000A:0016 0102000A:C350 01 00000000:00000000 02:000AFC7E 00000000     0\n");
  EXPECT_EQ(v4.byState[kTcpEstablished], 1);
  EXPECT_EQ(v4.ipv4MappedByState[kTcpEstablished], 0);
}

TEST(SourceReaders, PidStatReadsPastACommandNameWithParentheses) {
  const auto stat = ParsePidStat(
      "1 (my (odd) cmd) S 1 1 1 0 -1 4194304 100 0 0 0 1000 2000 0 0 20 0 7 0 100 2000 0 "
      "18446744073709551615 0 0 0 0 0 0 0 0 0 0 0 0 17 0 0 0 0 0 0");
  ASSERT_TRUE(stat);
  EXPECT_EQ(stat->name, "my (odd) cmd");
  EXPECT_EQ(stat->userTicks, 1000u);
  EXPECT_EQ(stat->systemTicks, 2000u);
  EXPECT_EQ(stat->threads, 7);
  EXPECT_EQ(stat->startTicks, 100u);
  EXPECT_EQ(stat->virtualBytes, 2000);
  EXPECT_EQ(ParsePidStat("1 (cut) S 1 1 1"), std::nullopt);
  EXPECT_EQ(ParsePidStat("1 cut) S"), std::nullopt);
}

TEST(SourceReaders, NetSnmpGivesEachProtocolItsOwnSection) {
  constexpr std::string_view snmp =
      "Ip: Forwarding InReceives OutRequests\nIp: 1 100000 80000\n"
      "Tcp: RtoAlgorithm MaxConn InSegs EstabResets\nTcp: 1 -1 4294966296 -1\n"
      "Udp: InDatagrams NoPorts InErrors OutDatagrams\nUdp: 6000 40 2 5000\n"
      "UdpLite: InDatagrams NoPorts InErrors OutDatagrams\nUdpLite: 1 1 1 1\n";
  const IpStatistics ip = ParseSnmpIp(snmp);
  EXPECT_EQ(ip.received, 100000);
  EXPECT_EQ(ip.sent, 80000);
  EXPECT_EQ(ip.forwarded, std::nullopt);  // no such field here
  const TcpStatistics tcp = ParseSnmpTcp(snmp);
  EXPECT_EQ(tcp.inSegs, 4294966296);
  EXPECT_EQ(tcp.estabResets, std::nullopt);  // negative
  const UdpStatistics udp = ParseSnmpUdp(snmp);
  EXPECT_EQ(udp.received, 6000);
  EXPECT_EQ(udp.noPorts, 40);
  EXPECT_EQ(udp.inErrors, 2);
  EXPECT_EQ(udp.sent, 5000);
  EXPECT_EQ(ParseSnmpUdp("Udp: InDatagrams\n").received, std::nullopt);  // no value line
}

TEST(SourceReaders, NetSnmp6GivesTheIpv6AndUdpv6Lines) {
  constexpr std::string_view snmp6 =
      "Ip6InReceives                   \t20000\n"
      "Ip6OutRequests                  \t15000\n"
      "Ip6OutForwDatagrams             \t7\n"
      "Udp6InDatagrams                 \t1000\n"
      "Udp6NoPorts                     \t3\n";
  const IpStatistics ip = ParseSnmp6Ip(snmp6);
  EXPECT_EQ(ip.received, 20000);
  EXPECT_EQ(ip.sent, 15000);
  EXPECT_EQ(ip.forwarded, 7);
  EXPECT_EQ(ip.inDiscards, std::nullopt);
  const UdpStatistics udp = ParseSnmp6Udp(snmp6);
  EXPECT_EQ(udp.received, 1000);
  EXPECT_EQ(udp.noPorts, 3);
  EXPECT_EQ(udp.sent, std::nullopt);
}

TEST(SourceReaders, MeminfoGivesTheLinesAskedFor) {
  constexpr std::string_view meminfo =
      "MemTotal:        8000000 kB\n"
      "MemFree:         1000000 kB\n"
      "Cached:          2000000 kB\n"
      "Active(file):     700000 kB\n"
      "Inactive(file):   300000 kB\n"
      "SwapTotal:       4194304 kB\n"
      "SReclaimable:     100000 kB\n"
      "Committed_AS:    3000000 kB\n";
  const Meminfo all = ParseMeminfo(
      meminfo, {&Meminfo::memTotal, &Meminfo::memFree, &Meminfo::memAvailable, &Meminfo::cached,
                &Meminfo::activeFile, &Meminfo::inactiveFile, &Meminfo::swapTotal,
                &Meminfo::slabReclaimable, &Meminfo::committedAs});
  EXPECT_EQ(all.memTotal, 8000000);
  EXPECT_EQ(all.memFree, 1000000);
  EXPECT_EQ(all.memAvailable, std::nullopt);  // a kernel before 3.14
  EXPECT_EQ(all.cached, 2000000);
  EXPECT_EQ(all.activeFile, 700000);
  EXPECT_EQ(all.inactiveFile, 300000);
  EXPECT_EQ(all.swapTotal, 4194304);
  EXPECT_EQ(all.slabReclaimable, 100000);
  EXPECT_EQ(all.committedAs, 3000000);
  const Meminfo one = ParseMeminfo(meminfo, {&Meminfo::cached});
  EXPECT_EQ(one.cached, 2000000);
  EXPECT_EQ(one.memTotal, std::nullopt);  // not asked for
}

TEST(SourceReaders, VmstatAndProcessStatusGiveTheirLines) {
  const Vmstat vmstat = ParseVmstat("nr_free_pages 5\npgfault 900\npgmajfault 12\n");
  EXPECT_EQ(vmstat.pageFaults, 900);
  EXPECT_EQ(vmstat.majorFaults, 12);
  EXPECT_EQ(vmstat.pagesSwappedOut, std::nullopt);
  const PidStatus status = ParsePidStatus("Name:\tsh\nVmRSS:\t    2048 kB\nRssAnon:\t  1024 kB\n");
  EXPECT_EQ(status.residentKb, 2048);
  EXPECT_EQ(status.anonymousKb, 1024);
  EXPECT_EQ(status.swappedKb, std::nullopt);
  EXPECT_EQ(ParsePidStatus("Name:\tkthreadd\n").residentKb, std::nullopt);
}

}  // namespace
}  // namespace provider
