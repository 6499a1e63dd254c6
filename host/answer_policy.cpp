#include "host/answer_policy.h"

#include <utility>

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

Outcome GetOutcome(Binding&& answer) {
  const Outcome::Kind kind =
      HasValue(answer.value) ? Outcome::Kind::Answer : Outcome::Kind::NoSuchObject;
  return {kind, std::move(answer), kNoError, false};
}

Outcome GetNextOutcome(const Oid& region, const Oid& asked, Binding&& answer) {
  if (!HasValue(answer.value))
    return {Outcome::Kind::EndOfRegion, std::move(answer), kNoError, false};
  const bool misordered = !OidStartsWith(answer.name, region) || !(answer.name > asked);
  return {misordered ? Outcome::Kind::EndOfRegion : Outcome::Kind::Answer, std::move(answer),
          kNoError, misordered};
}

}  // namespace

const Oid& GetNextStart(const Oid& asked, const Oid& region) {
  return (asked < region && !OidStartsWith(asked, region)) ? region : asked;
}

std::vector<Outcome> ResolveAnswers(Phase phase, const Oid& region, const std::vector<Oid>& asked,
                                    const QueryResult& result, std::vector<Binding> answered) {
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
    Binding answer = i < answered.size() ? std::move(answered[i]) : Binding{asked[i], {}};
    if (phase == Phase::Get) answer.name = asked[i];
    if (i == failing && notFound) {
      outcomes.push_back(
          {phase == Phase::Get ? Outcome::Kind::NoSuchObject : Outcome::Kind::EndOfRegion,
           std::move(answer), kNoError, false});
    } else if (i == failing) {
      outcomes.push_back({Outcome::Kind::Error, std::move(answer), result.errorStatus, false});
    } else if (!lookup || (result.errorStatus != kNoError && !notFound)) {
      // A failed request carries no values; only its error status is looked at.
      outcomes.push_back({Outcome::Kind::Answer, std::move(answer), kNoError, false});
    } else if (phase == Phase::Get) {
      outcomes.push_back(GetOutcome(std::move(answer)));
    } else {
      outcomes.push_back(GetNextOutcome(region, asked[i], std::move(answer)));
    }
  }
  return outcomes;
}

}  // namespace exthost
