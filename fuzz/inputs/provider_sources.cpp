#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_inputs.h"
#include "provider/objects/object_model.h"
#include "provider/sources/source_roots.h"

namespace quillon::fuzz {
namespace {

namespace fs = std::filesystem;

// The files of /proc and /sys that the counter provider parses, relative to a
// machine's root, each with a small content in the kernel's format; the input's
// first byte chooses the one it replaces.
struct Source {
  const char* path;
  const char* usual;
};
constexpr Source kSources[] = {
    {"proc/stat", "cpu 1 2 3 4 5 6 7 8\ncpu0 1 2 3 4 5 6 7 8\nctxt 5\n"},
    {"proc/interrupts", "           CPU0\n  0:          5   IO-APIC   2-edge      timer\n"},
    {"proc/meminfo", "MemTotal: 8 kB\nMemAvailable: 5 kB\nCommitted_AS: 3 kB\n"},
    {"proc/vmstat", "pgfault 5\npgmajfault 1\n"},
    {"proc/net/dev", "Inter-|\n eth0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"},
    {"proc/diskstats", "   8       0 sda 1 2 3 4 5 6 7 8 9 10 11\n"},
    {"proc/self/mountinfo", "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"},
    {"proc/loadavg", "0.10 0.20 0.30 1/100 5\n"},
    {"proc/uptime", "100.50 200.25\n"},
    {"proc/1/stat", "1 (init) S 0 1 1 0 -1 0 0 0 0 0 5 6 0 0 20 0 1 0 7 8 9\n"},
    {"proc/1/status", "Name:\tinit\nVmRSS:\t5 kB\nRssAnon:\t4 kB\n"},
    {"sys/class/net/eth0/speed", "1000\n"},
    {"proc/net/snmp", "Ip: InReceives OutRequests\nIp: 5 6\nTcp: MaxConn InSegs\nTcp: -1 7\n"},
    {"proc/net/snmp6", "Ip6InReceives 5\nUdp6InDatagrams 6\n"},
    {"proc/net/tcp", "  sl local_address rem_address st\n   0: 0F02000A:0016 0102000A:C350 01\n"},
    {"proc/net/tcp6",
     "  sl local_address rem_address st\n"
     "   0: 0000000000000000FFFF00000F02000A:0016 0000000000000000FFFF00000102000A:C350 01\n"},
    {"proc/swaps", "Filename Type Size Used Priority\n/swap\\040file file 100 50 -2\n"},
    {"sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq", "1800000\n"},
    {"sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "3600000\n"},
};

// A /proc and /sys of one process, one network interface, three block devices and
// one CPU with cpufreq.
class Machine {
 public:
  Machine() {
    std::string pattern = (fs::temp_directory_path() / "quillon-fuzz-proc-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a temporary directory can be made");
    root_ = pattern;
    for (const char* dir :
         {"proc/net", "proc/1/fd", "proc/self", "sys/block/sda", "sys/block/nvme0n1",
          "sys/block/loop0", "sys/class/net/eth0", "sys/devices/system/cpu/cpu0/cpufreq"}) {
      fs::create_directories(root_ / dir);
    }
    for (const Source& source : kSources) Write(source.path, source.usual);
  }
  ~Machine() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  void Write(const char* path, std::string_view content) {
    std::ofstream(root_ / path, std::ios::binary | std::ios::trunc)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
  }

  std::string Proc() const { return (root_ / "proc").string(); }
  std::string Sys() const { return (root_ / "sys").string(); }

 private:
  fs::path root_;
};

}  // namespace

// Every object collected with all its counters wanted, and the collection clock,
// over a machine with one file replaced by the input.
void RunProviderSources(std::string_view data) {
  if (data.empty()) return;
  static Machine machine;
  const Source& source = kSources[static_cast<uint8_t>(data.front()) % std::size(kSources)];
  machine.Write(source.path, data.substr(1));
  provider::CollectContext context{machine.Proc(), machine.Sys(), 0, {}};
  for (const provider::ObjectSpec* object : provider::Objects()) {
    context.wanted.assign(object->counters.size(), true);
    const provider::ObjectSample sample = object->collect(context);
    for (const provider::InstanceSample& instance : sample.instances) {
      Require(instance.values.size() == object->counters.size(),
              "an instance has a value for each counter");
    }
  }
  provider::ReadClock({machine.Proc(), machine.Sys(), true});
  machine.Write(source.path, source.usual);
}

}  // namespace quillon::fuzz
