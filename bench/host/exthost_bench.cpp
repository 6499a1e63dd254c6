// snmp-exthost serving the agent beside net-snmp's snmpd serving its own tree, both on
// loopback, started here: walk rates over 100, 1,000 and 10,000 constant rows, server
// CPU per GET and per GETNEXT (from /proc/PID/stat), resident memory over 100,000
// requests. Each figure is the median of interleaved runs, each run capped in time,
// so the bench ends in a few minutes even when a server is slow.
// Run: build/bench/host/exthost_bench
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "manager.h"
#include "servers.h"

namespace {

using bench::Manager;
using bench::Oid;
using bench::Seconds;
using bench::Server;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr int kSizes[] = {100, 1000, 10000};
constexpr Seconds kWalkLimit{6};
constexpr Seconds kCpuLimit{1.5};
constexpr int kRssRequests = 100'000;
constexpr Seconds kRssLimit{90};

// The host answers GETNEXT only from its region's base or from a row, so its walks
// start at the base, as a manager's would.
constexpr const char* kHostRegion = "1.3.6.1.4.1.15";
constexpr const char* kHostRows = "1.3.6.1.4.1.15.1";
constexpr const char* kSnmpdRows = "1.3.6.1.4.1.8072.9999.1";
constexpr const char* kHostCounterRow = "1.3.6.1.4.1.15.2.0";
constexpr const char* kMemAvailReal = "1.3.6.1.4.1.2021.4.6.0";

std::string HostRows(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    text += '[' + std::string(kHostRows) + '.' + std::to_string(i) +
            ".0]\ntype=string\ncounter=row " + std::to_string(i) + "\n\n";
  }
  return text;
}

std::string SnmpdRows(int count) {
  // Logging each request would cost snmpd time that the host does not spend.
  std::string text = "rocommunity public 127.0.0.1\ndontLogTCPWrappersConnects yes\n";
  for (int i = 1; i <= count; ++i) {
    text += "override ." + std::string(kSnmpdRows) + '.' + std::to_string(i) +
            ".0 octet_str \"row " + std::to_string(i) + "\"\n";
  }
  return text;
}

struct Pair {
  std::unique_ptr<Server> host;
  std::unique_ptr<Server> snmpd;
};

// Server CPU per request in microseconds, asking until the time limit.
double CpuPerRequest(Server& server, const std::function<void(Manager&)>& ask) {
  const double cpuBefore = bench::ProcessCpuSeconds(server.Pid());
  const auto start = Clock::now();
  int requests = 0;
  for (; Clock::now() - start < kCpuLimit; ++requests) ask(server.Session());
  return (bench::ProcessCpuSeconds(server.Pid()) - cpuBefore) * 1e6 / std::max(requests, 1);
}

double CpuPerGet(Server& server, const Oid& name) {
  return CpuPerRequest(server, [&](Manager& manager) { manager.Ask(SNMP_MSG_GET, name); });
}

// GETNEXT row after row, from the first again after the last.
double CpuPerGetNext(Server& server) {
  Oid current = server.WalkRoot();
  return CpuPerRequest(server, [&](Manager& manager) {
    current = manager.Ask(SNMP_MSG_GETNEXT, current);
    if (!bench::Within(current, server.WalkRoot())) current = server.WalkRoot();
  });
}

// One line of the table: a sample of each server per run.
struct Measure {
  std::string name;
  std::function<double(Server&)> sample;
  Server* host;
  Server* snmpd;
  std::vector<double> hostSamples{};
  std::vector<double> snmpdSamples{};
  std::string note{};
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string Grouped(double value, bool whole = false) {
  if (value < 100 && !whole) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
  }
  std::string digits = std::to_string(static_cast<long long>(value + 0.5));
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

void PrintRow(const std::string& name, double host, double snmpd, const std::string& note) {
  char ratio[32];
  std::snprintf(ratio, sizeof ratio, "%.2f", snmpd > 0 ? host / snmpd : 0);
  std::printf("| %s | %s%s | %s | %s |\n", name.c_str(), Grouped(host).c_str(), note.c_str(),
              Grouped(snmpd).c_str(), ratio);
}

// 100,000 GETs over the rows: resident memory before and after, in kB.
struct Resident {
  long start = 0;
  long after = 0;
  int requests = 0;
};

Resident ResidentOverRequests(Server& server) {
  Resident resident{bench::ResidentKilobytes(server.Pid())};
  const auto start = Clock::now();
  for (; resident.requests < kRssRequests && Clock::now() - start < kRssLimit;
       ++resident.requests) {
    server.Session().Ask(SNMP_MSG_GET, server.Row(resident.requests % 100 + 1));
  }
  resident.after = bench::ResidentKilobytes(server.Pid());
  return resident;
}

}  // namespace

int main() {
  setenv("MIBS", "", 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  init_snmp("exthost-bench");

  std::vector<Pair> bySize;
  for (int size : kSizes) {
    bySize.push_back({Server::Host(HostRows(size), kHostRegion, kHostRows),
                      Server::Snmpd(SnmpdRows(size), kSnmpdRows, kSnmpdRows)});
  }
  const auto counterHost = Server::Host(
      std::string("[") + kHostCounterRow + "]\ncounter=Memory\\Available Bytes\nflag=norefresh\n",
      kHostRegion, kHostRows);

  const Resident hostResident = ResidentOverRequests(*bySize[0].host);
  const Resident snmpdResident = ResidentOverRequests(*bySize[0].snmpd);

  std::vector<Measure> measures;
  for (size_t i = 0; i < bySize.size(); ++i) {
    measures.push_back(
        {"snmpwalk, " + Grouped(kSizes[i], true) + " constant rows (varbinds/s)",
         [](Server& s) { return s.Session().Walk(s.WalkRoot(), kWalkLimit).PerSecond(); },
         bySize[i].host.get(), bySize[i].snmpd.get()});
  }
  for (size_t i = 0; i < bySize.size(); ++i) {
    measures.push_back(
        {"snmpbulkwalk, " + Grouped(kSizes[i], true) + " constant rows (varbinds/s)",
         [](Server& s) { return s.Session().BulkWalk(s.WalkRoot(), kWalkLimit).PerSecond(); },
         bySize[i].host.get(), bySize[i].snmpd.get()});
  }
  const Oid counterRow = bench::ParseOid(kHostCounterRow);
  const Oid memAvailReal = bench::ParseOid(kMemAvailReal);
  measures.push_back(
      {"CPU per GET (µs), norefresh `Memory\\Available Bytes` vs memAvailReal.0",
       [&](Server& s) { return CpuPerGet(s, &s == counterHost.get() ? counterRow : memAvailReal); },
       counterHost.get(), bySize[0].snmpd.get()});
  measures.push_back({"CPU per GETNEXT (µs), 100 rows", CpuPerGetNext, bySize[0].host.get(),
                      bySize[0].snmpd.get()});
  measures.push_back({"CPU per GETNEXT (µs), 10,000 rows", CpuPerGetNext, bySize[2].host.get(),
                      bySize[2].snmpd.get()});

  // Runs interleave: each measure of one server, then of the other, then the next.
  for (int run = 0; run < kRuns; ++run) {
    for (Measure& measure : measures) {
      measure.hostSamples.push_back(measure.sample(*measure.host));
      measure.snmpdSamples.push_back(measure.sample(*measure.snmpd));
    }
  }
  // Where a walk of the host ended before its last row.
  for (size_t i = 0; i < bySize.size(); ++i) {
    Server& host = *bySize[i].host;
    const bench::WalkResult walk = host.Session().Walk(host.WalkRoot(), kWalkLimit);
    if (!walk.finished) {
      measures[i].note = " (" + Grouped(walk.varbinds, true) + " rows in the time allowed)";
    } else if (walk.varbinds < kSizes[i]) {
      measures[i].note = " (ends after row " + Grouped(walk.varbinds, true) + ")";
    }
  }

  std::printf("median of %d interleaved runs; walks capped at %.0f s, CPU samples at %.1f s\n\n",
              kRuns, kWalkLimit.count(), kCpuLimit.count());
  std::printf("| measure | quillon | snmpd | ratio |\n|---|---|---|---|\n");
  for (const Measure& measure : measures) {
    PrintRow(measure.name, Median(measure.hostSamples), Median(measure.snmpdSamples), measure.note);
  }
  const double growthHost = Median(measures.back().hostSamples) /
                            std::max(Median(measures[measures.size() - 2].hostSamples), 1e-9);
  const double growthSnmpd = Median(measures.back().snmpdSamples) /
                             std::max(Median(measures[measures.size() - 2].snmpdSamples), 1e-9);
  std::printf("| CPU per GETNEXT, 10,000 rows / 100 rows | %.2f | %.2f | |\n", growthHost,
              growthSnmpd);
  PrintRow("RSS at start (kB)", hostResident.start, snmpdResident.start, "");
  PrintRow("RSS after " + Grouped(std::min(hostResident.requests, snmpdResident.requests), true) +
               " GETs (kB)",
           hostResident.after, snmpdResident.after, "");
  return 0;
}
