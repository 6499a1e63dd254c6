#include "host/system_groups.h"

#include <cstring>
#include <string>

#include "host/net_snmp.h"

// net-snmp's modules declare these in headers that libsnmp-dev does not install.
extern "C" {
void init_system_mib(void);
void init_sysORTable(void);
void init_snmp_mib(void);
void init_snmpEngine(void);
void init_snmpMPDStats(void);
void init_usmStats(void);
void init_vacm_config_tokens(void);
void init_vacm_snmpd_easy_tokens(void);
}

namespace exthost {
namespace {

constexpr const char* kSysObjectIdToken = "sysobjectid";
// Read by a standalone service; a subagent's master has its own (its trap sinks included:
// the agent's traps go to the master, which sends them on).
constexpr const char* kStandaloneDirectives[] = {
    "sysdescr",        "syscontact", "sysname",   "syslocation", "sysservices",
    kSysObjectIdToken, "trapsink",   "trap2sink", "informsink",  "trapcommunity"};

// The system group's own reader of the directive, which keeps the value where the group
// serves it from, and whether the configuration had the directive.
void (*systemParser)(const char*, char*) = nullptr;
bool sysObjectIdConfigured = false;

void ParseSysObjectId(const char* token, char* line) {
  sysObjectIdConfigured = true;
  systemParser(token, line);
}

// Puts a reader that notes the directive in front of the group's own.
void WatchSysObjectIdDirective() {
  const char* type = netsnmp_ds_get_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_APPTYPE);
  for (config_line* line = read_config_get_handlers(type); line != nullptr; line = line->next) {
    if (strcasecmp(line->config_token, kSysObjectIdToken) == 0) systemParser = line->parse_line;
  }
  if (systemParser == nullptr) return;
  snmpd_register_config_handler(kSysObjectIdToken, ParseSysObjectId, nullptr, "OID");
}

}  // namespace

void RegisterSystemGroups() {
  init_system_mib();
  init_sysORTable();
  init_snmp_mib();
  init_snmpEngine();
  init_snmpMPDStats();
  init_usmStats();
  WatchSysObjectIdDirective();
}

void AcceptStandaloneDirectives() {
  init_vacm_config_tokens();
  init_vacm_snmpd_easy_tokens();
  for (const char* token : kStandaloneDirectives) {
    snmpd_register_config_handler(
        token, [](const char*, char*) {}, nullptr, nullptr);
  }
}

void ForgetConfiguredSysObjectId() { sysObjectIdConfigured = false; }

void DefaultSysObjectId(const Oid& region) {
  if (systemParser == nullptr || sysObjectIdConfigured) return;
  std::string text = "." + OidToText(region);
  systemParser(kSysObjectIdToken, text.data());
}

}  // namespace exthost
