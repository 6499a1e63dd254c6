#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include <snmp.h>

#include "agent/profile_file.h"
#include "agent/sampled_rows.h"
#include "agent/settings.h"
#include "agent/table_rows.h"
#include "platform/event.h"
#include "platform/timer_thread.h"

namespace quillon {

// Everything the agent keeps while it is loaded. Created at load, destroyed at unload.
struct AgentState {
  AgentSettings settings;
  std::vector<UINT> BaseOid;  // the region handed to the service; built by the first Init
  platform::EventHandle TrapEvent = nullptr;
  bool hasTrapEvent = false;
  std::unique_ptr<platform::TimerThread> TrapThread;
  // Set by the timer thread, read and cleared by the service's thread.
  std::atomic<uint8_t> TrapDue{0};
  // The enterprise of the last trap handed over; the service reads it after the call.
  std::vector<UINT> trapEnterprise;
  // Read by the loading thread, then by the service's thread only.
  ProfileFile countersFile{"counters file"};
  ProfileFile trapFile{"trap file"};
  // Background sampling, when the settings ask for it: started by the first Init.
  std::unique_ptr<SampledRows> sampled;
  // The service's thread's alone.
  TableRows tables;
};

// The state of the loaded library.
AgentState& State();

}  // namespace quillon
