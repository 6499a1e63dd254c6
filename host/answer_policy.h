#pragma once

// How the agent's answer to one call becomes each binding's answer to the manager: the
// agent reports one error status and index for the whole call, the manager needs one
// outcome per binding.

#include <vector>

#include "host/binding.h"
#include "host/extension_agent.h"

namespace exthost {

struct Outcome {
  enum class Kind {
    Answer,        // the binding as the agent left it (GET keeps the asked name)
    NoSuchObject,  // GET of something the agent has not got
    EndOfRegion,   // GETNEXT past the agent's last row: the next region carries on
    Error,         // the request fails with `status` at this binding
  };
  Kind kind = Kind::Answer;
  Binding answer;
  int32_t status = kNoError;
  // A GETNEXT answer outside the region or not after the asked OID, taken as the end.
  bool misordered = false;
};

// The OID to hand the agent for a GETNEXT: a request before the region starts at it.
// Refers to one of the two arguments.
const Oid& GetNextStart(const Oid& asked, const Oid& region);

// `answered` is the agent's list, whose bindings become the outcomes' answers.
std::vector<Outcome> ResolveAnswers(Phase phase, const Oid& region, const std::vector<Oid>& asked,
                                    const QueryResult& result, std::vector<Binding> answered);

}  // namespace exthost
