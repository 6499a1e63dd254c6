#include "fuzz/fuzz_inputs.h"

#include <cstdio>
#include <cstdlib>

namespace quillon::fuzz {

const std::vector<FuzzInput>& FuzzInputs() {
  static const std::vector<FuzzInput> inputs = {
      {"reg_file", RunRegFile},         {"ini_file", RunIniFile},
      {"oid_text", RunOidText},         {"integer_text", RunIntegerText},
      {"counter_path", RunCounterPath}, {"provider_sources", RunProviderSources},
      {"value_text", RunValueText},
  };
  return inputs;
}

const FuzzInput* FindFuzzInput(std::string_view name) {
  for (const FuzzInput& input : FuzzInputs()) {
    if (input.name == name) return &input;
  }
  return nullptr;
}

void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace quillon::fuzz
