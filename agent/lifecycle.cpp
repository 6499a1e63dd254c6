#include "agent/lifecycle.h"

#include "agent/log.h"
#include "agent/state.h"

namespace quillon {

namespace {

// A plain pointer: the state must outlive nothing and be destroyed exactly when the
// library unloads, not whenever the runtime tears down static objects.
AgentState* loadedState = nullptr;

}  // namespace

AgentState& State() { return *loadedState; }

void OnLoad() {
  loadedState = new AgentState;
  AgentSettings& settings = loadedState->settings;
  ReadOidSetting(settings);
  ReadDebugSetting(settings);
  ReadCountersSetting(settings);
  ReadTrapsSetting(settings);
  ReadCollectDelaySetting(settings);
  ReadSamplingSetting(settings);
}

void OnUnload() {
  if (loadedState == nullptr) return;
  Log("DLL_PROCESS_DETACH");
  loadedState->sampled.reset();
  if (loadedState->TrapThread) {
    loadedState->TrapThread->Stop();
    loadedState->TrapThread.reset();
  }
  if (loadedState->hasTrapEvent) {
    platform::CloseEvent(loadedState->TrapEvent);
    loadedState->hasTrapEvent = false;
  }
  Log("clean");
  delete loadedState;
  loadedState = nullptr;
}

}  // namespace quillon
