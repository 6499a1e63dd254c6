#include "host/region_handler.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/answer_policy.h"
#include "host/bulk_limit.h"
#include "host/encoded_size.h"
#include "host/net_snmp.h"
#include "host/net_snmp_values.h"
#include "host/request_context.h"

namespace exthost {
namespace {

int HandleRegion(netsnmp_mib_handler* handler, netsnmp_handler_registration*,
                 netsnmp_agent_request_info* requestInfo, netsnmp_request_info* requests) {
  return static_cast<RegionHandler*>(handler->myvoid)->Serve(requestInfo, requests);
}

std::optional<Phase> PhaseOf(int mode) {
  switch (mode) {
    case MODE_GET:
      return Phase::Get;
    case MODE_GETNEXT:
      return Phase::GetNext;
    case MODE_SET_RESERVE1:
      return Phase::SetTest;
    case MODE_SET_ACTION:
      return Phase::SetCommit;
    case MODE_SET_UNDO:
      return Phase::SetUndo;
    case MODE_SET_COMMIT:
    case MODE_SET_FREE:
      return Phase::SetCleanup;
    default:
      return std::nullopt;
  }
}

// Only the test and commit phases can still refuse a SET.
bool CanRefuse(Phase phase) { return phase != Phase::SetUndo && phase != Phase::SetCleanup; }

void Apply(netsnmp_agent_request_info* requestInfo, netsnmp_request_info* request,
           const Outcome& outcome, Phase phase) {
  switch (outcome.kind) {
    case Outcome::Kind::Answer:
      if (phase == Phase::GetNext) SetName(request->requestvb, outcome.answer.name);
      if ((phase == Phase::Get || phase == Phase::GetNext) &&
          !SetValue(request->requestvb, outcome.answer.value)) {
        netsnmp_set_request_error(requestInfo, request, SNMP_ERR_GENERR);
      }
      break;
    case Outcome::Kind::NoSuchObject:
      netsnmp_set_request_error(requestInfo, request, SNMP_NOSUCHOBJECT);
      break;
    case Outcome::Kind::EndOfRegion:
      break;  // left unanswered, net-snmp goes on with the next region
    case Outcome::Kind::Error:
      if (CanRefuse(phase)) netsnmp_set_request_error(requestInfo, request, outcome.status);
      break;
  }
}

// The bytes the response needs for the agent's answers (a GET keeps the names asked).
size_t AnswerBytes(Phase phase, const std::vector<Oid>& asked,
                   const std::vector<Binding>& answered) {
  size_t bytes = 0;
  for (size_t i = 0; i < asked.size(); ++i) {
    const bool hasAnswer = i < answered.size();
    const Oid& name = phase == Phase::Get || !hasAnswer ? asked[i] : answered[i].name;
    bytes += EncodedSize(name, hasAnswer ? answered[i].value : Value{});
  }
  return bytes;
}

// An answer whose name SNMP cannot carry; -1 when there is none.
int FirstUnencodableName(const std::vector<Outcome>& outcomes) {
  for (size_t i = 0; i < outcomes.size(); ++i) {
    if (outcomes[i].kind == Outcome::Kind::Answer && outcomes[i].answer.name.size() > kMaxOidLength)
      return static_cast<int>(i);
  }
  return -1;
}

void AnswerEndOfView(const std::vector<netsnmp_request_info*>& pending) {
  for (netsnmp_request_info* request : pending) {
    snmp_set_var_typed_value(request->requestvb, SNMP_ENDOFMIBVIEW, nullptr, 0);
  }
}

}  // namespace

RegionHandler::RegionHandler(ExtensionAgent& agent, Oid region, std::string countersFile)
    : agent_(agent),
      region_(std::move(region)),
      retransmits_(ForwardedByAMaster() ? RetransmitCache::kForwardedLifetime
                                        : RetransmitCache::kLifetime),
      failingRows_(std::move(countersFile)) {}

RegionHandler::~RegionHandler() {
  if (registration_ != nullptr) {
    netsnmp_unregister_handler(static_cast<netsnmp_handler_registration*>(registration_));
  }
}

void RegionHandler::Register() {
  const std::vector<oid> root = ToNetSnmp(region_);
  netsnmp_handler_registration* registration = netsnmp_create_handler_registration(
      "snmp-exthost", HandleRegion, root.data(), root.size(), HANDLER_CAN_RWRITE);
  if (registration == nullptr) throw AgentError("cannot register region " + OidToText(region_));
  registration->handler->myvoid = this;
  if (netsnmp_register_handler(registration) != MIB_REGISTERED_OK) {
    throw AgentError("cannot register region " + OidToText(region_) +
                     " (taken by another registration?)");
  }
  registration_ = registration;
}

int RegionHandler::Serve(void* requestInfoPointer, void* requestsPointer) {
  auto* requestInfo = static_cast<netsnmp_agent_request_info*>(requestInfoPointer);
  const std::optional<Phase> phase = PhaseOf(requestInfo->mode);
  if (!phase) return SNMP_ERR_NOERROR;
  const bool lookup = *phase == Phase::Get || *phase == Phase::GetNext;

  std::vector<netsnmp_request_info*> pending;
  std::vector<Oid> asked;
  std::vector<Binding> bindings;
  for (auto* request = static_cast<netsnmp_request_info*>(requestsPointer); request != nullptr;
       request = request->next) {
    // An AgentX master asks for a range that includes its start as a GET of the start
    // first; the Windows service never does, so the agent only sees the GETNEXT after it.
    if (request->processed || (*phase == Phase::Get && request->inclusive)) continue;
    const netsnmp_variable_list& variable = *request->requestvb;
    Binding binding = lookup ? Binding{FromNetSnmp(variable.name, variable.name_length), {}}
                             : FromNetSnmp(variable);
    if (*phase == Phase::GetNext) binding.name = GetNextStart(binding.name, region_);
    asked.push_back(binding.name);
    bindings.push_back(std::move(binding));
    pending.push_back(request);
  }
  if (pending.empty()) return SNMP_ERR_NOERROR;

  const bool bulk = IsGetBulk(*requestInfo);
  if (bulk && RepetitionsEnded(requestInfo)) {
    AnswerEndOfView(pending);  // repetitions that are no longer sent
    return SNMP_ERR_NOERROR;
  }
  try {
    CachedAnswer answer = AnswerOnce(*requestInfo, *phase, pending, asked, std::move(bindings));
    if (answer.tooBig) {
      if (bulk && EndRepetitionsAt(requestInfo, pending)) {
        AnswerEndOfView(pending);
      } else {
        netsnmp_set_request_error(requestInfo, pending.front(), SNMP_ERR_TOOBIG);
      }
      return SNMP_ERR_NOERROR;
    }
    const std::vector<Outcome> outcomes =
        ResolveAnswers(*phase, region_, asked, answer.result, std::move(answer.bindings));
    if (const int unencodable = FirstUnencodableName(outcomes); unencodable >= 0) {
      snmp_log(LOG_ERR,
               "snmp-exthost: the agent answered %s with %zu sub-identifiers, more than the "
               "%zu SNMP allows; genErr\n",
               OidToText(outcomes[unencodable].answer.name).c_str(),
               outcomes[unencodable].answer.name.size(), kMaxOidLength);
      netsnmp_set_request_error(requestInfo, pending[unencodable], SNMP_ERR_GENERR);
      return SNMP_ERR_NOERROR;
    }
    for (size_t i = 0; i < pending.size(); ++i) {
      if (outcomes[i].misordered) ReportMisordered(asked[i], outcomes[i].answer.name);
      Apply(requestInfo, pending[i], outcomes[i], *phase);
    }
  } catch (const std::exception& failure) {
    snmp_log(LOG_ERR, "snmp-exthost: request not passed to the agent: %s\n", failure.what());
    netsnmp_set_request_error(requestInfo, pending.front(), SNMP_ERR_GENERR);
  }
  return SNMP_ERR_NOERROR;
}

CachedAnswer RegionHandler::AnswerOnce(netsnmp_agent_request_info& requestInfo, Phase phase,
                                       const std::vector<netsnmp_request_info*>& pending,
                                       const std::vector<Oid>& asked,
                                       std::vector<Binding> bindings) {
  CachedAnswer answer;
  answer.bindings = std::move(bindings);
  if (phase != Phase::Get && phase != Phase::GetNext) {
    answer.result = agent_.Query(phase, answer.bindings);
    return answer;
  }
  // Most answers are cheap and none of them is kept: the key is made only when it is needed.
  std::string key;
  if (!retransmits_.Empty()) {
    key = RetransmitKey(*requestInfo.asp, phase, asked);
    if (std::optional<CachedAnswer> earlier =
            retransmits_.Find(key, RetransmitCache::Clock::now())) {
      return std::move(*earlier);
    }
  }
  // What the answer cost is what the agent took: a command or a counter sample shows there.
  const RetransmitCache::Clock::time_point start = RetransmitCache::Clock::now();
  answer.result = agent_.Query(phase, answer.bindings);
  const RetransmitCache::Clock::time_point made = RetransmitCache::Clock::now();
  ReportFailure(phase, asked, answer.result);
  if (answer.result.errorStatus == kNoError) {
    const size_t limit = ResponseLimit(*requestInfo.asp);
    const size_t needed = ResponseBytesWithout(*requestInfo.asp, pending) +
                          AnswerBytes(phase, asked, answer.bindings);
    if (needed > limit) {
      snmp_log(LOG_WARNING,
               "snmp-exthost: the answer to the request for %s needs %zu bytes, more than the "
               "%zu a response can take; tooBig\n",
               OidToText(asked.front()).c_str(), needed, limit);
      answer.tooBig = true;
      answer.bindings.clear();  // what does not fit is not kept either
    }
  }
  if (RetransmitCache::WorthKeeping(made - start)) {
    if (key.empty()) key = RetransmitKey(*requestInfo.asp, phase, asked);
    retransmits_.Store(std::move(key), answer, made, made - start);
  }
  return answer;
}

void RegionHandler::ReportMisordered(const Oid& asked, const Oid& answered) {
  if (!reportedRows_.insert(answered).second) return;
  snmp_log(LOG_WARNING,
           "snmp-exthost: GETNEXT on %s answered %s, which is not a later OID in region %s; "
           "taken as the end of the region\n",
           OidToText(asked).c_str(), OidToText(answered).c_str(), OidToText(region_).c_str());
}

// The agent's debug log may be off: the service says itself which row failed.
void RegionHandler::ReportFailure(Phase phase, const std::vector<Oid>& asked,
                                  const QueryResult& result) {
  const int32_t index = result.errorIndex;
  if (result.errorStatus == kNoError || index < 1 || static_cast<size_t>(index) > asked.size()) {
    return;
  }
  try {
    const std::optional<std::string> line =
        failingRows_.Report(phase, asked[static_cast<size_t>(index) - 1], result.errorStatus,
                            FailingRows::Clock::now());
    if (line) snmp_log(LOG_WARNING, "snmp-exthost: %s\n", line->c_str());
  } catch (const std::exception& failure) {
    snmp_log(LOG_WARNING, "snmp-exthost: a row failed with %s; finding which: %s\n",
             StatusName(result.errorStatus).c_str(), failure.what());
  }
}

}  // namespace exthost
