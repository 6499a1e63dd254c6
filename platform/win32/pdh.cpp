#include "platform/pdh.h"

// clang-format off
#include <windows.h>
#include <pdh.h>
#include <pdhmsg.h>
// clang-format on

namespace platform {
namespace {

// The records of pdh.h and those of the seam hold the same fields, but the
// seam's are laid out for both platforms alike (PDH_RAW_COUNTER's FILETIME, for
// one, is only 4-byte aligned), so they are copied field by field.
PdhRawCounter FromWindows(const PDH_RAW_COUNTER& raw) {
  PdhRawCounter value{};
  value.CStatus = raw.CStatus;
  value.TimeStamp =
      (static_cast<uint64_t>(raw.TimeStamp.dwHighDateTime) << 32) | raw.TimeStamp.dwLowDateTime;
  value.FirstValue = raw.FirstValue;
  value.SecondValue = raw.SecondValue;
  value.MultiCount = raw.MultiCount;
  return value;
}

PDH_RAW_COUNTER ToWindows(const PdhRawCounter& raw) {
  PDH_RAW_COUNTER value{};
  value.CStatus = raw.CStatus;
  value.TimeStamp.dwLowDateTime = static_cast<DWORD>(raw.TimeStamp);
  value.TimeStamp.dwHighDateTime = static_cast<DWORD>(raw.TimeStamp >> 32);
  value.FirstValue = raw.FirstValue;
  value.SecondValue = raw.SecondValue;
  value.MultiCount = raw.MultiCount;
  return value;
}

void CopyFormatted(const PDH_FMT_COUNTERVALUE& from, PdhFmtCounterValue* to) {
  to->CStatus = from.CStatus;
  to->largeValue = from.largeValue;  // the widest member carries every kind
}

HANDLE AsHandle(PdhHandle handle) { return reinterpret_cast<HANDLE>(handle); }

class WindowsPdh : public Pdh {
 public:
  PdhStatus OpenQuery(const char* dataSource, std::uintptr_t userData, PdhHandle* query) override {
    PDH_HQUERY handle = nullptr;
    PdhStatus status = PdhOpenQueryA(dataSource, userData, &handle);
    if (status == ERROR_SUCCESS) *query = reinterpret_cast<PdhHandle>(handle);
    return status;
  }
  PdhStatus AddCounter(PdhHandle query, const char* fullPath, std::uintptr_t userData,
                       PdhHandle* counter) override {
    PDH_HCOUNTER handle = nullptr;
    PdhStatus status = PdhAddCounterA(AsHandle(query), fullPath, userData, &handle);
    if (status == ERROR_SUCCESS) *counter = reinterpret_cast<PdhHandle>(handle);
    return status;
  }
  PdhStatus CollectQueryData(PdhHandle query) override {
    return PdhCollectQueryData(AsHandle(query));
  }
  PdhStatus GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t* type,
                                     PdhFmtCounterValue* value) override {
    PDH_FMT_COUNTERVALUE formatted{};
    DWORD counterType = 0;
    PdhStatus status =
        ::PdhGetFormattedCounterValue(AsHandle(counter), format, &counterType, &formatted);
    if (type) *type = counterType;
    if (value) CopyFormatted(formatted, value);
    return status;
  }
  PdhStatus GetRawCounterValue(PdhHandle counter, uint32_t* type, PdhRawCounter* value) override {
    PDH_RAW_COUNTER raw{};
    DWORD counterType = 0;
    PdhStatus status = ::PdhGetRawCounterValue(AsHandle(counter), &counterType, &raw);
    if (type) *type = counterType;
    if (value) *value = FromWindows(raw);
    return status;
  }
  PdhStatus CalculateCounterFromRawValue(PdhHandle counter, uint32_t format, PdhRawCounter* newer,
                                         PdhRawCounter* older, PdhFmtCounterValue* value) override {
    PDH_RAW_COUNTER newerRaw = newer ? ToWindows(*newer) : PDH_RAW_COUNTER{};
    PDH_RAW_COUNTER olderRaw = older ? ToWindows(*older) : PDH_RAW_COUNTER{};
    PDH_FMT_COUNTERVALUE formatted{};
    PdhStatus status =
        ::PdhCalculateCounterFromRawValue(AsHandle(counter), format, newer ? &newerRaw : nullptr,
                                          older ? &olderRaw : nullptr, &formatted);
    if (value) CopyFormatted(formatted, value);
    return status;
  }
  PdhStatus GetCounterInfo(PdhHandle counter, bool explainText, uint32_t* bufferSize,
                           void* buffer) override {
    DWORD size = *bufferSize;
    PdhStatus status = PdhGetCounterInfoA(AsHandle(counter), explainText ? TRUE : FALSE, &size,
                                          static_cast<PPDH_COUNTER_INFO_A>(buffer));
    *bufferSize = size;
    return status;
  }
  PdhStatus RemoveCounter(PdhHandle counter) override {
    return ::PdhRemoveCounter(AsHandle(counter));
  }
  PdhStatus CloseQuery(PdhHandle query) override { return PdhCloseQuery(AsHandle(query)); }
  PdhStatus LookupPerfNameByIndex(const char* machineName, uint32_t index, char* nameBuffer,
                                  uint32_t* nameBufferSize) override {
    DWORD size = *nameBufferSize;
    PdhStatus status = PdhLookupPerfNameByIndexA(machineName, index, nameBuffer, &size);
    *nameBufferSize = size;
    return status;
  }
  PdhStatus MakeCounterPath(const PdhCounterPathElements* elements, char* fullPathBuffer,
                            uint32_t* bufferSize, uint32_t flags) override {
    PDH_COUNTER_PATH_ELEMENTS_A windowsElements{};
    windowsElements.szMachineName = const_cast<LPSTR>(elements->machineName);
    windowsElements.szObjectName = const_cast<LPSTR>(elements->objectName);
    windowsElements.szInstanceName = const_cast<LPSTR>(elements->instanceName);
    windowsElements.szParentInstance = const_cast<LPSTR>(elements->parentInstance);
    windowsElements.dwInstanceIndex = elements->instanceIndex;
    windowsElements.szCounterName = const_cast<LPSTR>(elements->counterName);
    DWORD size = *bufferSize;
    PdhStatus status = PdhMakeCounterPathA(&windowsElements, fullPathBuffer, &size, flags);
    *bufferSize = size;
    return status;
  }
  PdhStatus EnumObjects(const char* dataSource, const char* machineName, char* objectList,
                        uint32_t* bufferSize, uint32_t detailLevel, uint32_t refresh) override {
    DWORD size = *bufferSize;
    PdhStatus status = PdhEnumObjectsA(dataSource, machineName, objectList, &size, detailLevel,
                                       static_cast<WINBOOL>(refresh));
    *bufferSize = size;
    return status;
  }
  PdhStatus EnumObjectItems(const char* dataSource, const char* machineName, const char* objectName,
                            char* counterList, uint32_t* counterListSize, char* instanceList,
                            uint32_t* instanceListSize, uint32_t detailLevel,
                            uint32_t flags) override {
    DWORD counterSize = *counterListSize;
    DWORD instanceSize = *instanceListSize;
    PdhStatus status =
        PdhEnumObjectItemsA(dataSource, machineName, objectName, counterList, &counterSize,
                            instanceList, &instanceSize, detailLevel, flags);
    *counterListSize = counterSize;
    *instanceListSize = instanceSize;
    return status;
  }
  PdhStatus ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                               char* expandedPathList, uint32_t* pathListLength,
                               uint32_t flags) override {
    DWORD length = *pathListLength;
    PdhStatus status =
        PdhExpandWildCardPathA(dataSource, wildCardPath, expandedPathList, &length, flags);
    *pathListLength = length;
    return status;
  }
};

}  // namespace

Pdh& SystemPdh() {
  static WindowsPdh pdh;
  return pdh;
}

}  // namespace platform
