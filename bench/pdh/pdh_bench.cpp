// Prints what one collection of each object costs on this machine, and what the
// name table served through the registry stand-in costs.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/pdh.h"
#include "platform/posix/pdh/perflib.h"

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsPer(int runs, Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / runs;
}

void TimeCollection(const char* path) {
  platform::Pdh& pdh = platform::SystemPdh();
  platform::PdhHandle query = 0, counter = 0;
  pdh.OpenQuery(nullptr, 0, &query);
  if (pdh.AddCounter(query, path, 0, &counter) != platform::kPdhOk) {
    std::printf("%-45s cannot be added\n", path);
    pdh.CloseQuery(query);
    return;
  }
  constexpr int kRuns = 50;
  auto start = Clock::now();
  for (int i = 0; i < kRuns; ++i) pdh.CollectQueryData(query);
  std::printf("%-45s %10.1f us per collection\n", path, MicrosecondsPer(kRuns, start));
  pdh.CloseQuery(query);
}

}  // namespace

int main() {
  for (const char* path :
       {"\\Processor(_Total)\\% Processor Time", "\\Processor(_Total)\\Interrupts/sec",
        "\\Memory\\Available Bytes", "\\System\\System Up Time", "\\System\\Processes",
        "\\Network Interface(lo)\\Bytes Total/sec", "\\PhysicalDisk(_Total)\\Disk Reads/sec",
        "\\LogicalDisk(_Total)\\% Free Space", "\\Process(_Total)\\ID Process",
        "\\Process(_Total)\\Working Set", "\\Process(_Total)\\Handle Count"}) {
    TimeCollection(path);
  }
  constexpr int kRuns = 1000;
  auto start = Clock::now();
  uint32_t type = 0;
  std::string table;
  for (int i = 0; i < kRuns; ++i) platform::posix::PerflibValue("009", "Counter", type, table);
  std::printf("%-45s %10.1f us (%zu bytes)\n", "Perflib\\009 Counter",
              MicrosecondsPer(kRuns, start), table.size());
  return 0;
}
