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

// What a debug line that cannot be written does: false (the default) lets the
// write failure pass to the caller; true skips the line and goes on, for a host
// whose diagnostics must never cost it a result (the agent).
extern bool SkipUnwritableDebugLines;

// The handle value of "no query" after close and "no counter yet" after init.
constexpr platform::PdhHandle NoHandle = 0xFFFFFFFF;

// The strings of Perflib\009 "Counter": index and English name alternating.
using EnglishTable = std::vector<std::string>;

// The one query session of the process.
struct PerfState {
  platform::PdhHandle queryHandle = 0;
  platform::PdhHandle counterHandle = NoHandle;
  EnglishTable englishTable;
  std::string& debugFlag;
};
extern PerfState State;

bool init();
bool close();
lib::CounterValue GetFormattedValue(const std::string& path, bool twice, int32_t delayMs,
                                    uint32_t format);
lib::CounterValue GetRawValue(const std::string& path, bool twice, int32_t delayMs);
// The counter's type, or -1 when it cannot be read.
int32_t GetCounterType(platform::PdhHandle counter);

// The index that the English table gives for a name (ASCII case ignored), 0 when
// absent. Raises lib::EConvertError when the pair's index text is not a number.
int32_t EnglishIndex(const std::string& name);
std::string English2Local(const std::string& name);
// True when the Perflib key has exactly one language subkey.
bool IsSingleLanguage();
std::string makepathA(const std::string& object, const std::string& counter,
                      const std::string& instance);
std::string EnglishPath2LocalPDHPath(const std::string& path);

bool enumobjects(std::vector<std::string>& objects, bool RefreshOnly);
bool enumobjectItems(const std::string& object, std::vector<std::string>& counters,
                     std::vector<std::string>& instances);

// One instance that a counter path with the instance "*" stands for.
struct CounterInstance {
  std::string name;       // as the platform names it
  std::string localPath;  // the counter's full path for this instance
};
// The instances that a local counter path with the instance "*" stands for now, in the
// platform's order; the status of the expansion. Writes no debug line, so that a thread
// other than the caller of the rest of this module may call it.
platform::PdhStatus ExpandInstances(const std::string& localWildcardPath,
                                    std::vector<CounterInstance>& instances);
// The same for a read on the caller's thread: a failing expansion writes its debug line.
bool ExpandInstancesForRead(const std::string& localWildcardPath,
                            std::vector<CounterInstance>& instances);

// The PDH implementation the module talks to: platform::SystemPdh() unless a test
// substitutes another.
void UsePdh(platform::Pdh& pdh);

}  // namespace perf
