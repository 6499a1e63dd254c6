#include "platform/event.h"

#include <windows.h>

namespace platform {

bool CreateAutoResetEvent(EventHandle& handle) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr) return false;
  handle = event;
  return true;
}

void SignalEvent(EventHandle handle) { SetEvent(handle); }

void CloseEvent(EventHandle handle) { CloseHandle(handle); }

}  // namespace platform
