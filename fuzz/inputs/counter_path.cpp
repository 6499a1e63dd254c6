#include <string>

#include "fuzz/fuzz_inputs.h"
#include "perf/perf.h"
#include "provider/counter_path.h"

namespace quillon::fuzz {
namespace {

// A full path that parses composes back to a path that parses the same.
void CheckFullPath(std::string_view text) {
  const auto path = provider::ParseCounterPath(text);
  if (!path) return;
  const platform::PdhCounterPathElements elements{
      path->machine.c_str(),
      path->object.c_str(),
      path->hasInstance ? path->instance.c_str() : nullptr,
      nullptr,
      path->instanceIndex,
      path->counter.c_str(),
  };
  const auto again = provider::ParseCounterPath(provider::ComposeCounterPath(elements));
  Require(again.has_value(), "a composed path parses");
  Require(again->machine == path->machine && again->object == path->object &&
              again->counter == path->counter,
          "a composed path names the same machine, object and counter");
  // An instance name holding "#" reads differently once an index of 0 is left out, as on
  // Windows; the provider's instance names never hold one.
  if (path->instance.find('#') != std::string::npos) return;
  const bool sameInstance = path->instance.empty() ? again->instance.empty()
                                                   : again->instance == path->instance &&
                                                         again->instanceIndex % 0xFFFFFFFF ==
                                                             path->instanceIndex % 0xFFFFFFFF;
  Require(sameInstance, "a composed path names the same instance");
}

}  // namespace

// Both path syntaxes: the English "object\counter\instance" of a counters file,
// split and made into a local path, and the full path the provider parses.
void RunCounterPath(std::string_view data) {
  // Paths travel as C strings.
  const std::string text(data.substr(0, data.find('\0')));
  CheckFullPath(text);
  CheckFullPath(perf::EnglishPath2LocalPDHPath(text));
}

}  // namespace quillon::fuzz
