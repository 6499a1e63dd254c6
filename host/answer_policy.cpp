#include "host/answer_policy.h"

namespace exthost {
namespace {

bool HasValue(const Value& value) {
  switch (value.syntax) {
    case Syntax::Null:
    case Syntax::NoSuchObject:
    case Syntax::NoSuchInstance:
    case Syntax::EndOfMibView:
      return false;
    default:
      return true;
  }
}

Outcome GetOutcome(const Binding& answer) {
  if (!HasValue(answer.value)) return {Outcome::Kind::NoSuchObject, answer, kNoError, false};
  return {Outcome::Kind::Answer, answer, kNoError, false};
}

Outcome GetNextOutcome(const Oid& region, const Oid& asked, const Binding& answer) {
  if (!HasValue(answer.value)) return {Outcome::Kind::EndOfRegion, answer, kNoError, false};
  if (!OidStartsWith(answer.name, region) || !(answer.name > asked)) {
    return {Outcome::Kind::EndOfRegion, answer, kNoError, true};
  }
  return {Outcome::Kind::Answer, answer, kNoError, false};
}

}  // namespace

Oid GetNextStart(const Oid& asked, const Oid& region) {
  return (asked < region && !OidStartsWith(asked, region)) ? region : asked;
}

std::vector<Outcome> ResolveAnswers(Phase phase, const Oid& region, const std::vector<Oid>& asked,
                                    const QueryResult& result,
                                    const std::vector<Binding>& answered) {
  const size_t count = asked.size();
  size_t failing = count;  // position of the binding the error status belongs to
  if (result.errorStatus != kNoError) {
    const bool indexValid =
        result.errorIndex >= 1 && static_cast<size_t>(result.errorIndex) <= count;
    failing = indexValid ? static_cast<size_t>(result.errorIndex) - 1 : 0;
  }
  const bool lookup = phase == Phase::Get || phase == Phase::GetNext;
  const bool notFound = lookup && result.errorStatus == kNoSuchName;

  std::vector<Outcome> outcomes;
  outcomes.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    // An agent that shortened the list answered nothing for the bindings it dropped.
    Binding answer = i < answered.size() ? answered[i] : Binding{asked[i], {}};
    if (phase == Phase::Get) answer.name = asked[i];
    if (i == failing && notFound) {
      outcomes.push_back(
          {phase == Phase::Get ? Outcome::Kind::NoSuchObject : Outcome::Kind::EndOfRegion, answer,
           kNoError, false});
    } else if (i == failing) {
      outcomes.push_back({Outcome::Kind::Error, answer, result.errorStatus, false});
    } else if (!lookup || (result.errorStatus != kNoError && !notFound)) {
      // A failed request carries no values; only its error status is looked at.
      outcomes.push_back({Outcome::Kind::Answer, answer, kNoError, false});
    } else if (phase == Phase::Get) {
      outcomes.push_back(GetOutcome(answer));
    } else {
      outcomes.push_back(GetNextOutcome(region, asked[i], answer));
    }
  }
  return outcomes;
}

}  // namespace exthost
