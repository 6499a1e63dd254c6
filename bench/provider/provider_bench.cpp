// Prints what one collection of each object costs on this machine, and what the
// name table served through the registry stand-in costs, in the thread's CPU
// time (which other work on the machine does not inflate).
#include <time.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/pdh.h"
#include "platform/posix/perflib.h"

namespace {

double CpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double MicrosecondsPer(int runs, double start) { return (CpuMicroseconds() - start) / runs; }

// One query holding the paths, collected repeatedly.
void TimeCollection(const char* label, std::initializer_list<const char*> paths) {
  platform::Pdh& pdh = platform::SystemPdh();
  platform::PdhHandle query = 0, counter = 0;
  pdh.OpenQuery(nullptr, 0, &query);
  for (const char* path : paths) {
    if (pdh.AddCounter(query, path, 0, &counter) != platform::kPdhOk) {
      std::printf("%-45s cannot be added\n", path);
      pdh.CloseQuery(query);
      return;
    }
  }
  constexpr int kRuns = 50;
  double start = CpuMicroseconds();
  for (int i = 0; i < kRuns; ++i) pdh.CollectQueryData(query);
  std::printf("%-45s %10.1f us CPU per collection\n", label, MicrosecondsPer(kRuns, start));
  pdh.CloseQuery(query);
}

void TimeCollection(const char* path) { TimeCollection(path, {path}); }

}  // namespace

int main() {
  for (const char* path :
       {"\\Processor(_Total)\\% Processor Time", "\\Processor(_Total)\\Interrupts/sec",
        "\\Memory\\Available Bytes", "\\System\\System Up Time", "\\System\\Processes",
        "\\Network Interface(lo)\\Bytes Total/sec", "\\PhysicalDisk(_Total)\\Disk Reads/sec",
        "\\LogicalDisk(_Total)\\% Free Space", "\\Process(_Total)\\ID Process",
        "\\Process(_Total)\\Working Set", "\\Process(_Total)\\Handle Count",
        "\\Paging File(_Total)\\% Usage", "\\Processor Information(_Total)\\% Processor Time",
        "\\Processor Information(_Total)\\Processor Frequency", "\\IPv4\\Datagrams/sec",
        "\\IPv6\\Datagrams/sec", "\\TCPv4\\Segments/sec", "\\TCPv4\\Connections Established",
        "\\UDPv6\\Datagrams/sec"}) {
    TimeCollection(path);
  }
  // The objects of a query share one read of the files they have in common.
  TimeCollection("IPv4, TCPv4, UDPv4 in one query",
                 {"\\IPv4\\Datagrams/sec", "\\TCPv4\\Segments/sec", "\\UDPv4\\Datagrams/sec"});
  constexpr int kRuns = 1000;
  double start = CpuMicroseconds();
  std::string table;
  for (int i = 0; i < kRuns; ++i) table = *platform::posix::PerflibMultiSz("009", "Counter");
  std::printf("%-45s %10.1f us CPU (%zu bytes)\n", "Perflib\\009 Counter",
              MicrosecondsPer(kRuns, start), table.size());
  return 0;
}
