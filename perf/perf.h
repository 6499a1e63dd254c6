#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/counter_value.h"
#include "platform/pdh.h"

// Counter access: one short query session per read, name translation and
// enumeration, over the Performance Data Helper seam. One caller at a time.
namespace perf {

// The debug switch of every line this module writes; its host sets it.
extern std::string DebugFlag;

bool init();
bool close();
lib::CounterValue GetFormattedValue(const std::string& path, bool twice, int32_t delayMs,
                                    uint32_t format);
lib::CounterValue GetRawValue(const std::string& path, bool twice, int32_t delayMs);

std::string English2Local(const std::string& name);
std::string makepathA(const std::string& object, const std::string& counter,
                      const std::string& instance);
std::string EnglishPath2LocalPDHPath(const std::string& path);

bool enumobjects(std::vector<std::string>& objects, bool RefreshOnly);
bool enumobjectItems(const std::string& object, std::vector<std::string>& counters,
                     std::vector<std::string>& instances);

// The PDH implementation the module talks to: platform::SystemPdh() unless a test
// substitutes another.
void UsePdh(platform::Pdh& pdh);

}  // namespace perf
