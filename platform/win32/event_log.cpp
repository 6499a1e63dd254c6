#include "platform/event_log.h"

#include <windows.h>

namespace platform {

void ReportInformationEvent(const std::string& source, const std::string& message) {
  HANDLE eventSource = RegisterEventSourceA(nullptr, source.c_str());
  if (eventSource == nullptr) return;
  const char* strings[] = {message.c_str()};
  ReportEventA(eventSource, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(eventSource);
}

}  // namespace platform
