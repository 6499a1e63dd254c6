#include "agent/settings.h"

#include <exception>

#include "agent/log.h"
#include "agent/state.h"
#include "perf/registry.h"

namespace quillon {

namespace {

constexpr const char* kAgentKey = "SOFTWARE\\quillon\\currentversion";
constexpr int32_t kDefaultTrapDelay = 15000;

// Runs one reader's steps on the agent's key. A failure (a value of the wrong type,
// an unreadable value) ends that reader's steps and is not reported: the values read
// before it stay, the defaults stay for the rest.
template <typename ReadSteps>
void WithAgentKey(ReadSteps steps) {
  try {
    perf::Registry registry(platform::kKeyRead);
    registry.SetRootKey(platform::kHKeyLocalMachine);
    if (!registry.OpenKeyReadOnly(kAgentKey)) return;
    steps(registry);
  } catch (const std::exception&) {
  }
}

// A timer period must be positive; anything else would make the timer spin.
int32_t TrapPeriod(int32_t configured) { return configured < 1 ? kDefaultTrapDelay : configured; }

// A negative pause is no pause.
int32_t CollectPause(int32_t configured) { return configured < 0 ? 0 : configured; }

}  // namespace

void ReadOidSetting(AgentSettings& settings) {
  settings.oid.clear();
  WithAgentKey([&](perf::Registry& registry) {
    if (registry.ValueExists("oid")) settings.oid = registry.ReadString("oid");
  });
}

void ReadDebugSetting(AgentSettings& settings) {
  settings.debug = std::string("0");
  WithAgentKey([&](perf::Registry& registry) {
    if (registry.ValueExists("debug")) settings.debug = registry.ReadString("debug");
  });
}

void ReadCountersSetting(AgentSettings& settings) {
  settings.counters.clear();
  WithAgentKey([&](perf::Registry& registry) {
    if (!registry.ValueExists("counters")) return;
    std::string path = registry.ReadString("counters");
    if (!State().countersFile.Current(path)->Exists()) return;
    settings.counters = path;
    Log("counters=" + path);
  });
}

void ReadTrapsSetting(AgentSettings& settings) {
  WithAgentKey([&](perf::Registry& registry) {
    if (registry.ValueExists("traps")) settings.traps = registry.ReadString("traps");
    Log("Traps=" + settings.traps);
    if (registry.ValueExists("trap_delay")) {
      settings.trap_delay = TrapPeriod(registry.ReadInteger("trap_delay"));
    }
  });
}

void ReadCollectDelaySetting(AgentSettings& settings) {
  settings.collect_delay = 1000;
  WithAgentKey([&](perf::Registry& registry) {
    if (registry.ValueExists("collect_delay")) {
      settings.collect_delay = CollectPause(registry.ReadInteger("collect_delay"));
    }
  });
}

void ReadSamplingSetting(AgentSettings& settings) {
  settings.sampling = kPerRequestSampling;
  WithAgentKey([&](perf::Registry& registry) {
    if (!registry.ValueExists("sampling")) return;
    const int32_t mode = registry.ReadInteger("sampling");
    if (mode == kPerRequestSampling || mode == kBackgroundSampling) {
      settings.sampling = mode;
      return;
    }
    Log("sampling=" + std::to_string(mode) + " is no sampling mode; each read samples on its own");
  });
}

}  // namespace quillon
