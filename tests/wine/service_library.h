#pragma once

#include <snmp.h>

#include <cstdint>
#include <memory>
#include <string>

namespace wine_test {

// What the SNMP service does with an extension agent's library that differs between
// the platforms: loading it, finding its exports, waiting on its trap event, unloading.
class ServiceLibrary {
 public:
  virtual ~ServiceLibrary() = default;
  // The exported function of that name, or null.
  virtual void* Export(const char* name) = 0;
  // Unloads the library; false when the platform refuses.
  virtual bool Unload() = 0;
};

// Null, with the platform's reason in error, when the library does not load.
std::unique_ptr<ServiceLibrary> LoadServiceLibrary(const std::string& path, std::string& error);

// True when the agent's trap event is signalled within timeoutMs (and resets it).
bool WaitForTrapEvent(HANDLE event, uint32_t timeoutMs);

}  // namespace wine_test
