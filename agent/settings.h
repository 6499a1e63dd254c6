#pragma once

#include <cstdint>
#include <string>

namespace quillon {

constexpr int32_t kPerRequestSampling = 0;
constexpr int32_t kBackgroundSampling = 1;

// The agent's configuration, read from the registry once when the library is loaded.
struct AgentSettings {
  std::string oid;               // base OID text; empty: the default region
  std::string debug = "0";       // "1" switches the debug log on
  std::string counters;          // counters file, kept only when it existed at load
  std::string traps;             // trap file
  int32_t trap_delay = 15000;    // trap timer period, ms
  int32_t collect_delay = 1000;  // pause between two samples of a counter, ms
  int32_t sampling = 0;          // 0: each read samples on its own; 1: in the background
};

// The readers, in the order the library calls them at load. Each opens the agent's
// key on its own; a key or value that cannot be read leaves the defaults, silently.
void ReadOidSetting(AgentSettings& settings);
void ReadDebugSetting(AgentSettings& settings);
void ReadCountersSetting(AgentSettings& settings);
void ReadTrapsSetting(AgentSettings& settings);
void ReadCollectDelaySetting(AgentSettings& settings);
void ReadSamplingSetting(AgentSettings& settings);

}  // namespace quillon
