// Plays the SNMP service for one session with an extension agent and prints what the
// agent answered, one line per request, so that two builds of the agent can be
// compared line by line:
//   agent_session LIBRARY COUNTERS_FILE [TRAP_WAIT_MS]
// It loads the library, finds the four entry points, initialises the agent, GETs and
// GETNEXTs the region and every row of the counters file, walks the region, refuses
// nothing but asks a SET, waits for one trap and collects it, and unloads.
#include <snmp.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tests/oid_text.h"
#include "tests/wine/service_library.h"

namespace {

using Ids = std::vector<UINT>;
using quillon_test::OidString;
using quillon_test::ParseOid;

std::string ValueText(const AsnAny& value) {
  switch (value.asnType) {
    case ASN_INTEGER:
      return "INTEGER " + std::to_string(value.asnValue.number);
    case ASN_OCTETSTRING:
      return "OCTET STRING \"" +
             std::string(reinterpret_cast<const char*>(value.asnValue.string.stream),
                         value.asnValue.string.length) +
             "\"";
    case ASN_NULL:
      return "NULL";
    default:
      return "type " + std::to_string(value.asnType);
  }
}

std::vector<std::string> SectionNames(const std::string& file) {
  std::vector<std::string> names;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    const auto open = line.find('[');
    const auto close = line.find(']');
    if (open == 0 && close != std::string::npos) names.push_back(line.substr(1, close - 1));
  }
  return names;
}

// One binding as the service builds it and frees it afterwards.
class Request {
 public:
  explicit Request(const std::string& oid) {
    Ids ids = ParseOid(oid);
    AsnObjectIdentifier source{static_cast<UINT>(ids.size()), ids.data()};
    SnmpUtilOidCpy(&binding_.name, &source);
    binding_.value.asnType = ASN_NULL;
    list_.list = &binding_;
    list_.len = 1;
  }
  ~Request() { SnmpUtilVarBindFree(&binding_); }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  SnmpVarBindList* List() { return &list_; }
  std::string Name() const { return OidString(binding_.name); }
  std::string Value() const { return ValueText(binding_.value); }

 private:
  SnmpVarBind binding_{};
  SnmpVarBindList list_{};
};

struct Agent {
  PFNSNMPEXTENSIONINIT init = nullptr;
  PFNSNMPEXTENSIONQUERY query = nullptr;
  PFNSNMPEXTENSIONQUERYEX queryEx = nullptr;
  PFNSNMPEXTENSIONTRAP trap = nullptr;
};

// "STATUS INDEX NAME VALUE" of one request; a failed one shows only its status.
struct Answer {
  AsnInteger32 status = -1;
  AsnInteger32 index = -1;
  std::string name;
  std::string value;
  std::string Text() const {
    std::string text = "status " + std::to_string(status) + " index " + std::to_string(index);
    if (status == SNMP_ERRORSTATUS_NOERROR) text += " " + name + " " + value;
    return text;
  }
};

Answer Ask(const Agent& agent, UINT type, const std::string& oid, bool useQueryEx) {
  Request request(oid);
  Answer answer;
  const BOOL handled =
      useQueryEx
          ? agent.queryEx(type, 1, request.List(), nullptr, &answer.status, &answer.index)
          : agent.query(static_cast<BYTE>(type), request.List(), &answer.status, &answer.index);
  if (!handled) answer.status = -2;
  answer.name = request.Name();
  answer.value = request.Value();
  return answer;
}

void CollectTraps(const Agent& agent, HANDLE event, uint32_t waitMs) {
  if (event == nullptr || !wine_test::WaitForTrapEvent(event, waitMs)) {
    std::cout << "trap event not signalled within " << waitMs << " ms\n";
    return;
  }
  std::cout << "trap event signalled\n";
  for (int round = 0; round < 4; ++round) {
    AsnObjectIdentifier enterprise{};
    AsnInteger32 generic = -1;
    AsnInteger32 specific = -1;
    AsnTimeticks timeStamp = 0;
    SnmpVarBindList bindings{};
    const BOOL more = agent.trap(&enterprise, &generic, &specific, &timeStamp, &bindings);
    if (!more) {
      std::cout << "trap FALSE\n";
      return;
    }
    // A slow session may find a second trap due; only the first is shown, so that the
    // transcript does not depend on the machine's speed.
    if (round == 0) {
      std::cout << "trap TRUE enterprise " << OidString(enterprise) << " generic " << generic
                << " specific " << specific << " bindings " << bindings.len << "\n";
      for (UINT i = 0; i < bindings.len; ++i) {
        std::cout << "trap binding " << OidString(bindings.list[i].name) << " "
                  << ValueText(bindings.list[i].value) << "\n";
      }
    }
    SnmpUtilVarBindListFree(&bindings);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: agent_session LIBRARY COUNTERS_FILE [TRAP_WAIT_MS]\n";
    return 2;
  }
  const uint32_t trapWaitMs = argc > 3 ? static_cast<uint32_t>(std::atol(argv[3])) : 20000;
  std::string error;
  auto library = wine_test::LoadServiceLibrary(argv[1], error);
  if (!library) {
    std::cout << "load failed: " << error << "\n";
    return 1;
  }
  Agent agent;
  agent.init = reinterpret_cast<PFNSNMPEXTENSIONINIT>(library->Export("SnmpExtensionInit"));
  agent.query = reinterpret_cast<PFNSNMPEXTENSIONQUERY>(library->Export("SnmpExtensionQuery"));
  agent.queryEx =
      reinterpret_cast<PFNSNMPEXTENSIONQUERYEX>(library->Export("SnmpExtensionQueryEx"));
  agent.trap = reinterpret_cast<PFNSNMPEXTENSIONTRAP>(library->Export("SnmpExtensionTrap"));
  std::cout << "exports" << (agent.init ? " SnmpExtensionInit" : "")
            << (agent.query ? " SnmpExtensionQuery" : "")
            << (agent.queryEx ? " SnmpExtensionQueryEx" : "")
            << (agent.trap ? " SnmpExtensionTrap" : "") << "\n";
  if (!agent.init || !agent.query || !agent.queryEx || !agent.trap) return 1;

  HANDLE trapEvent = nullptr;
  AsnObjectIdentifier region{};
  const BOOL initialised = agent.init(0, &trapEvent, &region);
  const std::string base = OidString(region);
  std::cout << "init " << (initialised ? "TRUE" : "FALSE") << " region " << base << " trap event "
            << (trapEvent ? "given" : "none") << "\n";
  if (!initialised) return 1;

  std::vector<std::string> rows = SectionNames(argv[2]);
  std::vector<std::string> asked = {base};
  asked.insert(asked.end(), rows.begin(), rows.end());
  asked.push_back(base + ".99.99.0");
  for (const std::string& oid : asked) {
    std::cout << "get " << oid << " " << Ask(agent, SNMP_PDU_GET, oid, false).Text() << "\n";
    std::cout << "getnext " << oid << " " << Ask(agent, SNMP_PDU_GETNEXT, oid, true).Text() << "\n";
  }
  std::string at = base;
  for (size_t step = 0; step <= rows.size(); ++step) {
    const Answer next = Ask(agent, SNMP_PDU_GETNEXT, at, true);
    std::cout << "walk " << next.Text() << "\n";
    if (next.status != SNMP_ERRORSTATUS_NOERROR) break;
    at = next.name;
  }
  if (!rows.empty()) {
    std::cout << "set " << rows.front() << " "
              << Ask(agent, SNMP_PDU_SET, rows.front(), true).Text() << "\n";
  }

  CollectTraps(agent, trapEvent, trapWaitMs);
  std::cout << "unload " << (library->Unload() ? "done" : "refused") << "\n";
  return 0;
}
