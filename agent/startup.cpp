#include "agent/startup.h"

#include <algorithm>
#include <memory>

#include "agent/lifecycle.h"
#include "agent/log.h"
#include "agent/oid.h"
#include "agent/profile_file.h"
#include "agent/state.h"
#include "agent/traps.h"
#include "lib/debug_log.h"
#include "lib/os_version.h"
#include "lib/value_text.h"
#include "platform/locale_info.h"

namespace quillon {

namespace {

// The region stays where the first initialisation put it: the service may hold it.
void BuildBaseOid(AgentState& state) {
  if (!state.BaseOid.empty()) return;
  if (state.settings.oid.empty()) {
    state.BaseOid.assign(kDefaultBaseOid.begin(), kDefaultBaseOid.end());
  } else {
    string2oid(state.settings.oid, state.BaseOid);
  }
}

// One timer and one event per load, however often the service initialises.
void StartTrapTimer(AgentState& state, HANDLE* trapEvent) {
  Log("thread started to send traps");
  if (!state.hasTrapEvent) {
    if (!platform::CreateAutoResetEvent(state.TrapEvent)) return;
    state.hasTrapEvent = true;
  }
  *trapEvent = state.TrapEvent;
  if (!state.TrapThread) {
    state.TrapThread =
        platform::StartTimerThread(static_cast<uint32_t>(state.settings.trap_delay), &MarkTrapDue);
  }
}

// One sampler per load, following the counters file from the first Init on.
void StartSampling(AgentState& state) {
  if (state.sampled) return;
  const AgentSettings& settings = state.settings;
  const uint32_t interval =
      std::max(static_cast<uint32_t>(settings.collect_delay), perf::Sampler::kShortestIntervalMs);
  auto sampled = std::make_unique<SampledRows>(settings.debug);
  sampled->Follow(*CountersFile());
  if (!sampled->Start(interval)) {
    Log("Sampling: the sampler's thread cannot be started; each read samples on its own");
    return;
  }
  Log("Sampling: in the background, every " + std::to_string(interval) + " ms");
  state.sampled = std::move(sampled);
}

}  // namespace

BOOL Initialise(HANDLE* trapEvent, AsnObjectIdentifier* firstRegion) {
  AgentState& state = State();
  Log("SnmpExtensionInit");
  lib::WriteEventLog("SnmpExtensionInit");
  Log("start");
  BuildBaseOid(state);
  Log(std::string("Platform : ") + kPlatformName);
  Log("OSVersion: " + lib::GetOSVersion());
  Log("LOCALE_SDECIMAL: " + lib::GetLocaleText(platform::kLocaleDecimalSeparator));
  Log("OID: " + OidText(state.BaseOid));
  firstRegion->idLength = static_cast<UINT>(state.BaseOid.size());
  firstRegion->ids = state.BaseOid.data();

  const AgentSettings& settings = state.settings;
  // Whether the files exist; one the service's user cannot read is each request's matter.
  if (!settings.traps.empty() && TrapFile()->Exists()) StartTrapTimer(state, trapEvent);
  if (!settings.counters.empty() && CountersFile()->Exists()) {
    if (settings.sampling == kBackgroundSampling) StartSampling(state);
    return TRUE;
  }
  Log("no counters file defined or file not found");
  return FALSE;
}

}  // namespace quillon
