// Figures for snmp-exthost serving the real agent: GET latency beside snmpd's own
// answers, a walk of 1000 constant rows, and resident memory after 100 and 10,000 GETs.

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLatencyRequests = 500;
constexpr int kWalkRows = 1000;

std::vector<oid> ParseOid(const std::string& text) {
  std::vector<oid> ids;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('.', start);
    if (end == std::string::npos) end = text.size();
    ids.push_back(std::stoul(text.substr(start, end - start)));
    start = end + 1;
  }
  return ids;
}

class Manager {
 public:
  explicit Manager(const std::string& target) {
    netsnmp_session settings;
    snmp_sess_init(&settings);
    peer_ = target;
    settings.peername = peer_.data();
    settings.version = SNMP_VERSION_2c;
    settings.community = reinterpret_cast<u_char*>(community_.data());
    settings.community_len = community_.size();
    settings.timeout = 5000000;
    settings.retries = 0;
    session_ = snmp_sess_open(&settings);
    if (session_ == nullptr) throw std::runtime_error("cannot open a session to " + target);
  }
  ~Manager() { snmp_sess_close(session_); }

  // One request; the answer's first binding as its OID, or empty when there is none.
  std::vector<oid> Ask(int command, const std::vector<oid>& name, std::string* value = nullptr) {
    netsnmp_pdu* request = snmp_pdu_create(command);
    snmp_add_null_var(request, name.data(), name.size());
    netsnmp_pdu* response = nullptr;
    std::vector<oid> answered;
    if (snmp_sess_synch_response(session_, request, &response) == STAT_SUCCESS &&
        response->errstat == SNMP_ERR_NOERROR && response->variables != nullptr &&
        response->variables->type != SNMP_ENDOFMIBVIEW &&
        response->variables->type != SNMP_NOSUCHOBJECT) {
      const netsnmp_variable_list* variable = response->variables;
      answered.assign(variable->name, variable->name + variable->name_length);
      if (value != nullptr) {
        char text[512];
        snprint_value(text, sizeof text, variable->name, variable->name_length, variable);
        *value = text;
      }
    }
    if (response != nullptr) snmp_free_pdu(response);
    return answered;
  }

  // Mean time of `count` GETs of one OID, in microseconds.
  double MeanGetMicros(const std::string& name, int count) {
    const std::vector<oid> ids = ParseOid(name);
    if (Ask(SNMP_MSG_GET, ids).empty()) throw std::runtime_error("no answer for " + name);
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) Ask(SNMP_MSG_GET, ids);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
  }

 private:
  std::string peer_;
  std::string community_ = "public";
  void* session_ = nullptr;
};

long ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// A drive c: with the given counters file and a registry naming it.
e2e::Environment AgentSetup(const e2e::TempDir& dir, const std::string& counters) {
  fs::create_directories(dir / "quillon");
  e2e::WriteFile(dir / "quillon" / "counters.ini", counters);
  e2e::WriteFile(dir / "quillon.reg",
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
                 "\"counters\"=\"c:\\\\quillon\\\\counters.ini\"\n");
  return {{"QUILLON_DRIVE_C", dir.Path().string()},
          {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}};
}

std::string ConstantRows(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    text += "[1.3.6.1.4.1.15.1." + std::to_string(i) + ".0]\ntype=string\ncounter=row " +
            std::to_string(i) + "\n\n";
  }
  return text;
}

// Walks the region with GETNEXT from its base: rows seen and seconds taken.
std::pair<int, double> Walk(Manager& manager, const std::string& base) {
  const std::vector<oid> region = ParseOid(base);
  std::vector<oid> next = region;
  int rows = 0;
  const auto start = Clock::now();
  while (true) {
    next = manager.Ask(SNMP_MSG_GETNEXT, next);
    if (next.size() < region.size() || !std::equal(region.begin(), region.end(), next.begin()))
      break;
    ++rows;
  }
  return {rows, std::chrono::duration<double>(Clock::now() - start).count()};
}

}  // namespace

int main() {
  setenv("MIBS", "", 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  init_snmp("exthost-bench");

  e2e::TempDir dir;
  const std::string rows =
      "[1.3.6.1.4.1.15.1.0]\ntype=string\ncounter=constant\n\n"
      "[1.3.6.1.4.1.15.2.0]\ncounter=Memory\\Available MBytes\nflag=norefresh\n";
  e2e::Host host(QUILLON_AGENT_PATH, dir, AgentSetup(dir, rows));
  if (!host.Started()) {
    std::fprintf(stderr, "snmp-exthost did not start:\n%s", host.Program().Err().c_str());
    return 1;
  }
  const int snmpdPort = e2e::FreeUdpPort();
  e2e::WriteFile(dir / "snmpd.conf", "rocommunity public 127.0.0.1\n");
  e2e::Process snmpd({SNMPD_PATH, "-f", "-C", "-c", (dir / "snmpd.conf").string(), "-Lf",
                      (dir / "snmpd.log").string(), "udp:127.0.0.1:" + std::to_string(snmpdPort)},
                     dir.Path(), "snmpd", {{"MIBS", ""}});
  Manager toHost(host.Target());
  Manager toSnmpd("127.0.0.1:" + std::to_string(snmpdPort));
  e2e::WaitFor([&] { return !toSnmpd.Ask(SNMP_MSG_GET, ParseOid("1.3.6.1.2.1.1.1.0")).empty(); },
               std::chrono::seconds(10));

  const pid_t hostPid = host.Program().Pid();
  const std::vector<oid> constantRow = ParseOid("1.3.6.1.4.1.15.1.0");
  int gets = 0;
  for (; gets < 100; ++gets) toHost.Ask(SNMP_MSG_GET, constantRow);
  const long residentAfter100 = ResidentKilobytes(hostPid);

  const double constant = toHost.MeanGetMicros("1.3.6.1.4.1.15.1.0", kLatencyRequests);
  const double counter = toHost.MeanGetMicros("1.3.6.1.4.1.15.2.0", kLatencyRequests);
  const double sysDescr = toSnmpd.MeanGetMicros("1.3.6.1.2.1.1.1.0", kLatencyRequests);
  const double memAvail = toSnmpd.MeanGetMicros("1.3.6.1.4.1.2021.4.6.0", kLatencyRequests);
  std::printf("GET latency, mean of %d requests (microseconds)\n", kLatencyRequests);
  std::printf("  snmp-exthost constant row          %9.1f   %5.2f x snmpd sysDescr.0 (%0.1f)\n",
              constant, constant / sysDescr, sysDescr);
  std::printf("  snmp-exthost norefresh counter row %9.1f   %5.2f x snmpd memAvailReal.0 (%0.1f)\n",
              counter, counter / memAvail, memAvail);

  for (gets += 2 * (kLatencyRequests + 1); gets < 10000; ++gets)
    toHost.Ask(SNMP_MSG_GET, constantRow);
  const long residentAfter10000 = ResidentKilobytes(hostPid);
  std::printf(
      "snmp-exthost resident memory: %ld kB after 100 GETs, %ld kB after 10,000 (%+ld kB)\n",
      residentAfter100, residentAfter10000, residentAfter10000 - residentAfter100);

  e2e::TempDir walkDir;
  e2e::Host walkHost(QUILLON_AGENT_PATH, walkDir, AgentSetup(walkDir, ConstantRows(kWalkRows)));
  if (!walkHost.Started()) {
    std::fprintf(stderr, "snmp-exthost did not start:\n%s", walkHost.Program().Err().c_str());
    return 1;
  }
  Manager toWalkHost(walkHost.Target());
  const auto [walked, seconds] = Walk(toWalkHost, "1.3.6.1.4.1.15");
  std::printf("walk of %d constant rows: %d rows in %.2f s (%.0f us a row)\n", kWalkRows, walked,
              seconds, seconds * 1e6 / (walked > 0 ? walked : 1));
  return 0;
}
