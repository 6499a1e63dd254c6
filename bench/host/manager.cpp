#include "manager.h"

#include <algorithm>
#include <stdexcept>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

// snmpbulkwalk's default repetitions.
constexpr long kBulkRepetitions = 10;

bool IsEnd(const netsnmp_variable_list* variable) {
  return variable->type == SNMP_ENDOFMIBVIEW || variable->type == SNMP_NOSUCHOBJECT ||
         variable->type == SNMP_NOSUCHINSTANCE;
}

}  // namespace

Oid ParseOid(const std::string& text) {
  Oid ids;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('.', start);
    if (end == std::string::npos) end = text.size();
    ids.push_back(std::stoul(text.substr(start, end - start)));
    start = end + 1;
  }
  return ids;
}

bool Within(const Oid& name, const Oid& subtree) {
  return name.size() > subtree.size() && std::equal(subtree.begin(), subtree.end(), name.begin());
}

Manager::Manager(const std::string& target) : peer_(target) {
  netsnmp_session settings;
  snmp_sess_init(&settings);
  settings.peername = peer_.data();
  settings.version = SNMP_VERSION_2c;
  settings.community = reinterpret_cast<u_char*>(community_.data());
  settings.community_len = community_.size();
  settings.timeout = 5'000'000;
  settings.retries = 0;
  session_ = snmp_sess_open(&settings);
  if (session_ == nullptr) throw std::runtime_error("cannot open a session to " + target);
}

Manager::~Manager() { snmp_sess_close(session_); }

Oid Manager::Ask(int command, const Oid& name) {
  netsnmp_pdu* request = snmp_pdu_create(command);
  snmp_add_null_var(request, name.data(), name.size());
  netsnmp_pdu* response = nullptr;
  Oid answered;
  if (snmp_sess_synch_response(session_, request, &response) == STAT_SUCCESS &&
      response->errstat == SNMP_ERR_NOERROR && response->variables != nullptr &&
      !IsEnd(response->variables)) {
    const netsnmp_variable_list* variable = response->variables;
    answered.assign(variable->name, variable->name + variable->name_length);
  }
  if (response != nullptr) snmp_free_pdu(response);
  return answered;
}

size_t Manager::GetAll(const std::vector<Oid>& names) {
  netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
  for (const Oid& name : names) snmp_add_null_var(request, name.data(), name.size());
  netsnmp_pdu* response = nullptr;
  size_t answered = 0;
  if (snmp_sess_synch_response(session_, request, &response) == STAT_SUCCESS &&
      response->errstat == SNMP_ERR_NOERROR) {
    for (auto* variable = response->variables; variable != nullptr;
         variable = variable->next_variable) {
      if (!IsEnd(variable)) ++answered;
    }
  }
  if (response != nullptr) snmp_free_pdu(response);
  return answered;
}

WalkResult Manager::Walk(const Oid& subtree, Seconds limit) {
  WalkResult result;
  const auto start = Clock::now();
  Oid next = subtree;
  while (Clock::now() - start < limit) {
    next = Ask(SNMP_MSG_GETNEXT, next);
    if (!Within(next, subtree)) {
      result.finished = true;
      break;
    }
    ++result.varbinds;
  }
  result.seconds = Seconds(Clock::now() - start).count();
  return result;
}

WalkResult Manager::BulkWalk(const Oid& subtree, Seconds limit) {
  WalkResult result;
  const auto start = Clock::now();
  Oid next = subtree;
  bool inside = true;
  while (inside && Clock::now() - start < limit) {
    netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GETBULK);
    request->non_repeaters = 0;
    request->max_repetitions = kBulkRepetitions;
    snmp_add_null_var(request, next.data(), next.size());
    netsnmp_pdu* response = nullptr;
    inside = snmp_sess_synch_response(session_, request, &response) == STAT_SUCCESS &&
             response->errstat == SNMP_ERR_NOERROR && response->variables != nullptr;
    for (auto* variable = inside ? response->variables : nullptr; variable != nullptr;
         variable = variable->next_variable) {
      Oid name(variable->name, variable->name + variable->name_length);
      if (IsEnd(variable) || !Within(name, subtree)) {
        inside = false;
        break;
      }
      ++result.varbinds;
      next = std::move(name);
    }
    if (response != nullptr) snmp_free_pdu(response);
  }
  result.finished = !inside;
  result.seconds = Seconds(Clock::now() - start).count();
  return result;
}

double WalkRate(const std::function<WalkResult()>& walk, Seconds minimum) {
  int varbinds = 0;
  double seconds = 0;
  do {
    const WalkResult result = walk();
    varbinds += result.varbinds;
    seconds += result.seconds;
    if (!result.finished) break;
  } while (seconds < minimum.count());
  return seconds > 0 ? varbinds / seconds : 0;
}

}  // namespace bench
