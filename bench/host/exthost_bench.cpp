// snmp-exthost serving the agent beside net-snmp's snmpd serving its own tree, both on
// loopback, started here: walk rates over 100, 1,000 and 10,000 constant rows, server
// CPU per GET and per GETNEXT (from /proc/PID/stat), resident memory over 100,000
// requests. Each figure is the median of interleaved runs, each run capped in time,
// so the bench ends in a few minutes even when a server is slow. Then the agent with
// its counters sampled in the background ("sampling"=1): rate rows of this machine
// answered at once, and what the sampler costs a minute of an idle service.
// Run: build/bench/host/exthost_bench
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
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
// A walk of 100 rows takes milliseconds, one scheduler delay on a busy machine: a sample
// walks again until this much time has passed.
constexpr Seconds kWalkMinimum{1};
constexpr Seconds kCpuLimit{1.5};
constexpr int kRssRequests = 100'000;
constexpr Seconds kRssLimit{90};

// The host answers GETNEXT only from its region's base or from a row, so its walks
// start at the base, as a manager's would.
constexpr const char* kHostRegion = "1.3.6.1.4.1.15";
constexpr const char* kHostRows = "1.3.6.1.4.1.15.1";
constexpr const char* kSnmpdRows = "1.3.6.1.4.1.8072.9999.1";
constexpr const char* kHostCounterRow = "1.3.6.1.4.1.15.2.0";
constexpr const char* kHostConstantRow = "1.3.6.1.4.1.15.3.0";
constexpr const char* kSampled = "\"sampling\"=dword:00000001\n\"collect_delay\"=dword:000003e8\n";
constexpr Seconds kSamplerIdle{60};
// Rate counters of this machine, for rows of the sampled agent.
constexpr const char* kRateCounters[] = {"Processor\\% Processor Time\\_Total",
                                         "Processor\\% User Time\\_Total",
                                         "Processor\\% Privileged Time\\_Total",
                                         "Processor\\Interrupts/sec\\_Total",
                                         "Processor\\% Processor Time\\0",
                                         "System\\Context Switches/sec",
                                         "Memory\\Page Faults/sec",
                                         "Memory\\Pages/sec",
                                         "Network Interface\\Bytes Total/sec\\lo",
                                         "IPv4\\Datagrams/sec",
                                         "TCPv4\\Segments/sec",
                                         "Network Interface\\Packets/sec\\lo",
                                         "IPv6\\Datagrams/sec",
                                         "TCPv6\\Segments/sec",
                                         "Processor\\% Idle Time\\_Total",
                                         "Network Interface\\Bytes Received/sec\\lo",
                                         "Network Interface\\Bytes Sent/sec\\lo",
                                         "IPv4\\Datagrams Received/sec",
                                         "IPv4\\Datagrams Sent/sec",
                                         "TCPv4\\Segments Received/sec"};
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

// count rate rows of the live machine, rows 1.3.6.1.4.1.15.1.i.0, each rounded to an
// integer as pollers want them; after the first twenty counters the rows repeat them
// scaled, as rows in kilo units would.
std::string RateRows(int count) {
  std::string text;
  const int counters = static_cast<int>(std::size(kRateCounters));
  for (int i = 1; i <= count; ++i) {
    text += '[' + std::string(kHostRows) + '.' + std::to_string(i) +
            ".0]\ncounter=" + kRateCounters[(i - 1) % counters] + "\nflag=" +
            (i > counters ? "div " + std::to_string(i) + ",round" : std::string("round")) + "\n\n";
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

// How long snmpwalk with a 1 s timeout and no retry takes over the sampled rate rows,
// and how many it got.
std::string TimedOutWalk(const Server& server, int rows) {
  const std::string command =
      "snmpwalk -v2c -c public -t 1 -r 0 -On " + server.Target() + " " + kHostRegion + " 2>&1";
  const auto start = Clock::now();
  FILE* output = popen(command.c_str(), "r");
  int got = 0;
  bool timedOut = false;
  char line[4096];
  while (output != nullptr && std::fgets(line, sizeof line, output) != nullptr) {
    const std::string text = line;
    if (text.rfind(std::string(".") + kHostRows + ".", 0) == 0) ++got;
    if (text.find("Timeout") != std::string::npos) timedOut = true;
  }
  const int status = output != nullptr ? pclose(output) : -1;
  const double seconds = Seconds(Clock::now() - start).count();
  char text[160];
  std::snprintf(text, sizeof text, "%s, %d of %d rows in %.2f s",
                status == 0 && !timedOut && got == rows ? "complete" : "INCOMPLETE", got, rows,
                seconds);
  return text;
}

// The sampled agent: ten rate rows answered at once, their CPU beside a constant row's,
// and the sampler's own CPU with 100 rows and no manager asking.
void PrintSampling() {
  constexpr int kRateRows = 10;
  const auto host = Server::Host(
      RateRows(kRateRows) + "[" + kHostConstantRow + "]\ntype=string\ncounter=a constant\n",
      kHostRegion, kHostRows, kSampled);
  std::this_thread::sleep_for(std::chrono::milliseconds(2200));  // one interval and more
  std::vector<Oid> rows;
  for (int i = 1; i <= kRateRows; ++i) rows.push_back(host->Row(i));
  std::vector<double> milliseconds;
  size_t answered = 0;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    answered = host->Session().GetAll(rows);
    milliseconds.push_back(Seconds(Clock::now() - start).count() * 1000);
  }
  const std::string walk = TimedOutWalk(*host, kRateRows);
  std::vector<double> rateCpu;
  std::vector<double> constantCpu;
  const Oid constantRow = bench::ParseOid(kHostConstantRow);
  for (int run = 0; run < kRuns; ++run) {
    rateCpu.push_back(CpuPerGet(*host, host->Row(1)));
    constantCpu.push_back(CpuPerGet(*host, constantRow));
  }

  constexpr int kIdleRows = 100;
  const auto idle = Server::Host(RateRows(kIdleRows), kHostRegion, kHostRows, kSampled);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double cpuBefore = bench::ProcessCpuSeconds(idle->Pid());
  std::this_thread::sleep_for(kSamplerIdle);
  const double idleShare =
      (bench::ProcessCpuSeconds(idle->Pid()) - cpuBefore) / kSamplerIdle.count();

  std::printf(
      "\nbackground sampling (\"sampling\"=1, collect_delay 1000 ms), this machine's counters\n\n");
  std::printf("| measure | quillon | target |\n|---|---|---|\n");
  std::printf(
      "| GET of %d rate rows in one request (ms, median of %d) | %.1f (%zu answered) | < 20 |\n",
      kRateRows, kRuns, Median(milliseconds), answered);
  std::printf("| `snmpwalk -t 1 -r 0` of the %d rate rows | %s | complete |\n", kRateRows,
              walk.c_str());
  std::printf("| CPU per GET (µs): rate row / constant row | %.1f / %.1f = %.2f | <= 1.5 |\n",
              Median(rateCpu), Median(constantCpu),
              Median(rateCpu) / std::max(Median(constantCpu), 1e-9));
  std::printf(
      "| service CPU with %d sampled rate rows, no requests, over %.0f s (%% of one core) | %.3f | "
      "<= 0.5 |\n",
      kIdleRows, kSamplerIdle.count(), idleShare * 100);
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

  const auto sampledCounterHost = Server::Host(
      std::string("[") + kHostCounterRow + "]\ncounter=Memory\\Available Bytes\nflag=norefresh\n",
      kHostRegion, kHostRows, kSampled);

  const Resident hostResident = ResidentOverRequests(*bySize[0].host);
  const Resident snmpdResident = ResidentOverRequests(*bySize[0].snmpd);

  std::vector<Measure> measures;
  for (size_t i = 0; i < bySize.size(); ++i) {
    measures.push_back({"snmpwalk, " + Grouped(kSizes[i], true) + " constant rows (varbinds/s)",
                        [](Server& s) {
                          return bench::WalkRate(
                              [&] { return s.Session().Walk(s.WalkRoot(), kWalkLimit); },
                              kWalkMinimum);
                        },
                        bySize[i].host.get(), bySize[i].snmpd.get()});
  }
  for (size_t i = 0; i < bySize.size(); ++i) {
    measures.push_back({"snmpbulkwalk, " + Grouped(kSizes[i], true) + " constant rows (varbinds/s)",
                        [](Server& s) {
                          return bench::WalkRate(
                              [&] { return s.Session().BulkWalk(s.WalkRoot(), kWalkLimit); },
                              kWalkMinimum);
                        },
                        bySize[i].host.get(), bySize[i].snmpd.get()});
  }
  const Oid counterRow = bench::ParseOid(kHostCounterRow);
  const Oid memAvailReal = bench::ParseOid(kMemAvailReal);
  measures.push_back(
      {"CPU per GET (µs), norefresh `Memory\\Available Bytes` vs memAvailReal.0",
       [&](Server& s) { return CpuPerGet(s, &s == counterHost.get() ? counterRow : memAvailReal); },
       counterHost.get(), bySize[0].snmpd.get()});
  measures.push_back({"CPU per GET (µs), the same row sampled in the background vs memAvailReal.0",
                      [&](Server& s) {
                        return CpuPerGet(
                            s, &s == sampledCounterHost.get() ? counterRow : memAvailReal);
                      },
                      sampledCounterHost.get(), bySize[0].snmpd.get()});
  measures.push_back({"CPU per GETNEXT (µs), 100 rows", CpuPerGetNext, bySize[0].host.get(),
                      bySize[0].snmpd.get()});
  measures.push_back({"CPU per GETNEXT (µs), 10,000 rows", CpuPerGetNext, bySize[2].host.get(),
                      bySize[2].snmpd.get()});

  // One run unrecorded first, so that no server's first answers (its caches, its pages)
  // count. Runs interleave: each measure of one server, then of the other, then the next.
  for (Measure& measure : measures) {
    measure.sample(*measure.host);
    measure.sample(*measure.snmpd);
  }
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

  std::printf(
      "median of %d interleaved runs after one unrecorded; walks repeated for at least %.0f s and "
      "each capped at %.0f s, CPU samples at %.1f s\n\n",
      kRuns, kWalkMinimum.count(), kWalkLimit.count(), kCpuLimit.count());
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
  PrintSampling();
  return 0;
}
