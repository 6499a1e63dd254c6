// A table row of 64 instances beside the same 64 counters written as single rows, both
// sampled in the background ("sampling"=1) over a machine of 63 processors and _Total
// (a fixture tree): walk rates with snmpwalk's and snmpbulkwalk's requests, medians of
// interleaved runs. Run: build/bench/host/table_bench
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "manager.h"
#include "servers.h"

namespace {

namespace fs = std::filesystem;
using bench::Seconds;
using bench::Server;

constexpr int kProcessors = 63;  // and _Total: 64 instances
constexpr int kRuns = 7;
constexpr Seconds kWalkLimit{6};
constexpr Seconds kWalkMinimum{1};
constexpr const char* kRegion = "1.3.6.1.4.1.15";
constexpr const char* kRows = "1.3.6.1.4.1.15.1";
constexpr const char* kSampled = "\"sampling\"=dword:00000001\n\"collect_delay\"=dword:000003e8\n";
// The latest raw value needs one sample only, so that every collection of the one
// snapshot gives every cell a value.
constexpr const char* kFlag = "raw,norefresh";

// A proc tree like the test fixture's, with kProcessors processors.
void WriteProcTree(const fs::path& root) {
  fs::copy(fs::path(QUILLON_SOURCE_DIR) / "tests" / "fixtures" / "proc-a", root,
           fs::copy_options::recursive);
  std::string stat = "cpu  1000 200 300 7000 500 100 100 0 0 0\n";
  for (int cpu = 0; cpu < kProcessors; ++cpu) {
    stat += "cpu" + std::to_string(cpu) + " " + std::to_string(500 + cpu) +
            " 100 150 3500 250 50 50 0 0 0\n";
  }
  stat += "intr 123456 0 0\nctxt 500000\nbtime 1700000000\nprocesses 4000\n";
  e2e::WriteFile(root / "stat", stat);
}

std::string TableRows() {
  return std::string("[") + kRows + "]\ncounter=Processor\\% Processor Time\\*\nflag=" + kFlag +
         "\n";
}

std::string SingleRows() {
  std::string rows;
  for (int i = 0; i <= kProcessors; ++i) {
    const std::string instance = i < kProcessors ? std::to_string(i) : "_Total";
    rows += std::string("[") + kRows + "." + std::to_string(i + 1) +
            ".0]\ncounter=Processor\\% Processor Time\\" + instance + "\nflag=" + kFlag + "\n";
  }
  return rows;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  setenv("MIBS", "", 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  init_snmp("table-bench");
  const e2e::TempDir proc;
  WriteProcTree(proc.Path() / "proc");
  setenv("QUILLON_PROC_ROOT", (proc.Path() / "proc").c_str(), 1);

  const auto table = Server::Host(TableRows(), kRegion, kRows, kSampled);
  const auto single = Server::Host(SingleRows(), kRegion, kRows, kSampled);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the first collection

  using Walk = std::function<bench::WalkResult(Server&)>;
  const std::vector<std::pair<std::string, Walk>> walks = {
      {"snmpwalk", [](Server& s) { return s.Session().Walk(s.WalkRoot(), kWalkLimit); }},
      {"snmpbulkwalk", [](Server& s) { return s.Session().BulkWalk(s.WalkRoot(), kWalkLimit); }}};
  std::printf(
      "%d-instance table vs %d single rows, sampled in the background; median of %d "
      "interleaved runs, each walking for %.0f s at least\n\n",
      kProcessors + 1, kProcessors + 1, kRuns, kWalkMinimum.count());
  std::printf(
      "| walk | table: varbinds/s (%d a walk) | single rows: varbinds/s (%d a walk) | "
      "values/s, table / single rows |\n|---|---|---|---|\n",
      2 * (kProcessors + 1), kProcessors + 1);
  for (const auto& [name, walk] : walks) {
    std::vector<double> tableRates;
    std::vector<double> singleRates;
    for (int run = 0; run < kRuns; ++run) {
      tableRates.push_back(bench::WalkRate([&] { return walk(*table); }, kWalkMinimum));
      singleRates.push_back(bench::WalkRate([&] { return walk(*single); }, kWalkMinimum));
    }
    // A table walk carries each instance twice: its name, then its value.
    std::printf("| %s | %.0f | %.0f | %.2f |\n", name.c_str(), Median(tableRates),
                Median(singleRates), Median(tableRates) / 2 / std::max(Median(singleRates), 1e-9));
  }
  return 0;
}
