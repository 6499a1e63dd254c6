#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/pdh.h"

// A PDH that returns the statuses and data a test chooses and records every call,
// so that the session logic can be driven through failures the real provider
// never produces.
class FakePdh : public platform::Pdh {
 public:
  using PdhStatus = platform::PdhStatus;
  using PdhHandle = platform::PdhHandle;

  static constexpr PdhHandle kQuery = 0x51;
  static constexpr PdhHandle kCounter = 0xC7;

  PdhStatus openStatus = 0;
  PdhStatus addStatus = 0;
  bool addRunsOutOfMemory = false;
  std::deque<PdhStatus> collectStatuses;  // one per call, 0 once used up
  PdhStatus formattedStatus = 0;
  platform::PdhFmtCounterValue formatted{};
  std::deque<PdhStatus> rawStatuses;  // one per call, 0 once used up
  std::deque<int64_t> rawFirstValues;
  PdhStatus calculateStatus = 0;
  platform::PdhFmtCounterValue calculated{};
  PdhStatus infoProbeStatus = platform::kPdhMoreData;
  uint32_t infoSize = sizeof(platform::PdhCounterInfoHead);
  PdhStatus infoStatus = 0;
  uint32_t counterType = 0;
  PdhStatus closeStatus = 0;
  std::map<uint32_t, std::string> localNames;  // served by LookupPerfNameByIndex
  uint32_t makePathProbeSize = UINT32_MAX;     // UINT32_MAX: the composed path's size
  PdhStatus makePathStatus = 0;
  std::string objectList;  // multi-strings, terminating empty string included
  PdhStatus enumObjectsStatus = 0;
  std::string counterList;
  std::string instanceList;
  uint32_t counterProbeSize = UINT32_MAX;  // UINT32_MAX: counterList's size
  PdhStatus enumItemsStatus = 0;
  // Multi-strings served by ExpandWildCardPath: call n gets entry n, the last one from
  // then on.
  std::vector<std::string> expandedLists;
  PdhStatus expandStatus = 0;

  // One entry per call: its name and what identifies its arguments.
  std::vector<std::string> calls;
  // The samples handed to the last CalculateCounterFromRawValue.
  platform::PdhRawCounter newerSeen{};
  platform::PdhRawCounter olderSeen{};
  uint32_t lastFormat = 0;
  // Every call that passed something other than the local machine, the real-time
  // data source, user data 0, no explain text and flags 0, by name.
  std::vector<std::string> unusualArguments;
  uint32_t lookupBufferSize = 0;
  // The last path elements: "machine|object|instance|parent|index|counter", "-" for none.
  std::string lastElements;

  PdhStatus OpenQuery(const char* dataSource, std::uintptr_t userData, PdhHandle* query) override;
  PdhStatus AddCounter(PdhHandle query, const char* fullPath, std::uintptr_t userData,
                       PdhHandle* counter) override;
  PdhStatus CollectQueryData(PdhHandle query) override;
  PdhStatus GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t* type,
                                     platform::PdhFmtCounterValue* value) override;
  PdhStatus GetRawCounterValue(PdhHandle counter, uint32_t* type,
                               platform::PdhRawCounter* value) override;
  PdhStatus CalculateCounterFromRawValue(PdhHandle counter, uint32_t format,
                                         platform::PdhRawCounter* newer,
                                         platform::PdhRawCounter* older,
                                         platform::PdhFmtCounterValue* value) override;
  PdhStatus GetCounterInfo(PdhHandle counter, bool explainText, uint32_t* bufferSize,
                           void* buffer) override;
  PdhStatus RemoveCounter(PdhHandle counter) override;
  PdhStatus CloseQuery(PdhHandle query) override;
  PdhStatus LookupPerfNameByIndex(const char* machineName, uint32_t index, char* nameBuffer,
                                  uint32_t* nameBufferSize) override;
  PdhStatus MakeCounterPath(const platform::PdhCounterPathElements* elements, char* fullPathBuffer,
                            uint32_t* bufferSize, uint32_t flags) override;
  PdhStatus EnumObjects(const char* dataSource, const char* machineName, char* objectList,
                        uint32_t* bufferSize, uint32_t detailLevel, uint32_t refresh) override;
  PdhStatus EnumObjectItems(const char* dataSource, const char* machineName, const char* objectName,
                            char* counterList, uint32_t* counterListSize, char* instanceList,
                            uint32_t* instanceListSize, uint32_t detailLevel,
                            uint32_t flags) override;
  PdhStatus ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                               char* expandedPathList, uint32_t* pathListLength,
                               uint32_t flags) override;

  int Count(const std::string& callName) const;
};

// A multi-string from its parts: each followed by NUL, then the closing NUL.
std::string MultiString(const std::vector<std::string>& parts);
