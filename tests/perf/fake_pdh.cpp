#include "fake_pdh.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

platform::PdhStatus Next(std::deque<platform::PdhStatus>& statuses) {
  if (statuses.empty()) return 0;
  const platform::PdhStatus status = statuses.front();
  statuses.pop_front();
  return status;
}

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

FakePdh::PdhStatus FakePdh::OpenQuery(const char* dataSource, std::uintptr_t userData,
                                      PdhHandle* query) {
  calls.push_back("OpenQuery");
  if (dataSource != nullptr || userData != 0) unusualArguments.push_back("OpenQuery");
  if (openStatus == 0) *query = kQuery;
  return openStatus;
}

FakePdh::PdhStatus FakePdh::AddCounter(PdhHandle, const char* fullPath, std::uintptr_t userData,
                                       PdhHandle* counter) {
  calls.push_back(std::string("AddCounter ") + fullPath);
  if (userData != 0) unusualArguments.push_back("AddCounter");
  if (addRunsOutOfMemory) throw std::bad_alloc();
  if (addStatus == 0) *counter = kCounter;
  return addStatus;
}

FakePdh::PdhStatus FakePdh::CollectQueryData(PdhHandle query) {
  calls.push_back("Collect " + Hex(query));
  return Next(collectStatuses);
}

FakePdh::PdhStatus FakePdh::GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t*,
                                                     platform::PdhFmtCounterValue* value) {
  calls.push_back("Formatted " + Hex(counter));
  lastFormat = format;
  if (formattedStatus == 0) *value = formatted;
  return formattedStatus;
}

FakePdh::PdhStatus FakePdh::GetRawCounterValue(PdhHandle, uint32_t*,
                                               platform::PdhRawCounter* value) {
  calls.push_back("Raw");
  const PdhStatus status = Next(rawStatuses);
  // A failing read leaves garbage behind, as nothing promises otherwise.
  value->FirstValue = 0x5A5A;
  if (status == 0 && !rawFirstValues.empty()) {
    value->FirstValue = rawFirstValues.front();
    rawFirstValues.pop_front();
  }
  return status;
}

FakePdh::PdhStatus FakePdh::CalculateCounterFromRawValue(PdhHandle, uint32_t format,
                                                         platform::PdhRawCounter* newer,
                                                         platform::PdhRawCounter* older,
                                                         platform::PdhFmtCounterValue* value) {
  calls.push_back("Calculate");
  lastFormat = format;
  newerSeen = *newer;
  olderSeen = *older;
  if (calculateStatus == 0) *value = calculated;
  return calculateStatus;
}

FakePdh::PdhStatus FakePdh::GetCounterInfo(PdhHandle, bool explainText, uint32_t* bufferSize,
                                           void* buffer) {
  if (explainText) unusualArguments.push_back("GetCounterInfo");
  if (buffer == nullptr) {
    calls.push_back("CounterInfoProbe");
    *bufferSize = infoSize;
    return infoProbeStatus;
  }
  calls.push_back("CounterInfo");
  if (infoStatus != 0) return infoStatus;
  platform::PdhCounterInfoHead head{};
  head.dwLength = infoSize;
  head.dwType = counterType;
  std::memcpy(buffer, &head, std::min<size_t>(*bufferSize, sizeof head));
  return 0;
}

FakePdh::PdhStatus FakePdh::RemoveCounter(PdhHandle counter) {
  calls.push_back("RemoveCounter " + Hex(counter));
  return counter == kCounter ? 0 : platform::kPdhInvalidHandle;
}

FakePdh::PdhStatus FakePdh::CloseQuery(PdhHandle query) {
  calls.push_back("CloseQuery " + Hex(query));
  return closeStatus;
}

FakePdh::PdhStatus FakePdh::LookupPerfNameByIndex(const char* machineName, uint32_t index,
                                                  char* nameBuffer, uint32_t* nameBufferSize) {
  calls.push_back("Lookup " + std::to_string(index));
  if (machineName != nullptr) unusualArguments.push_back("LookupPerfNameByIndex");
  lookupBufferSize = *nameBufferSize;
  const auto found = localNames.find(index);
  if (found == localNames.end()) return platform::kPdhInvalidArgument;
  std::snprintf(nameBuffer, *nameBufferSize, "%s", found->second.c_str());
  return 0;
}

FakePdh::PdhStatus FakePdh::MakeCounterPath(const platform::PdhCounterPathElements* elements,
                                            char* fullPathBuffer, uint32_t* bufferSize,
                                            uint32_t flags) {
  if (flags != 0) unusualArguments.push_back("MakeCounterPath");
  const auto text = [](const char* value) { return std::string(value ? value : "-"); };
  lastElements = text(elements->machineName) + "|" + text(elements->objectName) + "|" +
                 text(elements->instanceName) + "|" + text(elements->parentInstance) + "|" +
                 Hex(elements->instanceIndex) + "|" + text(elements->counterName);
  std::string path = std::string("\\") + elements->objectName;
  if (elements->instanceName) path += std::string("(") + elements->instanceName + ")";
  path += std::string("\\") + elements->counterName;
  if (fullPathBuffer == nullptr) {
    calls.push_back("MakePathProbe");
    *bufferSize = makePathProbeSize == UINT32_MAX ? static_cast<uint32_t>(path.size() + 1)
                                                  : makePathProbeSize;
    return platform::kPdhMoreData;
  }
  calls.push_back("MakePath " + path);
  if (makePathStatus != 0) return makePathStatus;
  std::snprintf(fullPathBuffer, *bufferSize, "%s", path.c_str());
  return 0;
}

FakePdh::PdhStatus FakePdh::EnumObjects(const char* dataSource, const char* machineName,
                                        char* buffer, uint32_t* bufferSize, uint32_t detailLevel,
                                        uint32_t refresh) {
  if (dataSource != nullptr || machineName != nullptr) unusualArguments.push_back("EnumObjects");
  calls.push_back("EnumObjects detail=" + std::to_string(detailLevel) + " refresh=" + Hex(refresh));
  if (buffer == nullptr) {
    *bufferSize = static_cast<uint32_t>(objectList.size());
    return platform::kPdhMoreData;
  }
  if (enumObjectsStatus != 0) return enumObjectsStatus;
  std::memcpy(buffer, objectList.data(), std::min<size_t>(*bufferSize, objectList.size()));
  return 0;
}

FakePdh::PdhStatus FakePdh::ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                                               char* expandedPathList, uint32_t* pathListLength,
                                               uint32_t flags) {
  if (dataSource != nullptr || flags != 0) unusualArguments.push_back("ExpandWildCardPath");
  const size_t call = static_cast<size_t>(Count("ExpandWildCardPath"));
  calls.push_back(std::string("ExpandWildCardPath ") + wildCardPath);
  if (expandStatus != 0) return expandStatus;
  const std::string& list = expandedLists.at(std::min(call, expandedLists.size() - 1));
  const auto size = static_cast<uint32_t>(list.size());
  const bool fits = expandedPathList != nullptr && *pathListLength >= size;
  *pathListLength = size;
  if (!fits) return platform::kPdhMoreData;
  std::memcpy(expandedPathList, list.data(), size);
  return 0;
}

FakePdh::PdhStatus FakePdh::EnumObjectItems(const char* dataSource, const char* machineName,
                                            const char* objectName, char* counters,
                                            uint32_t* counterListSize, char* instances,
                                            uint32_t* instanceListSize, uint32_t detailLevel,
                                            uint32_t flags) {
  if (dataSource != nullptr || machineName != nullptr || flags != 0) {
    unusualArguments.push_back("EnumObjectItems");
  }
  if (counters == nullptr) {
    calls.push_back(std::string("EnumObjectItemsProbe ") + objectName +
                    " detail=" + std::to_string(detailLevel));
    *counterListSize = counterProbeSize == UINT32_MAX ? static_cast<uint32_t>(counterList.size())
                                                      : counterProbeSize;
    *instanceListSize = static_cast<uint32_t>(instanceList.size());
    return platform::kPdhMoreData;
  }
  calls.push_back(std::string("EnumObjectItems ") + objectName);
  if (enumItemsStatus != 0) return enumItemsStatus;
  std::memcpy(counters, counterList.data(), std::min<size_t>(*counterListSize, counterList.size()));
  if (instances) {
    std::memcpy(instances, instanceList.data(),
                std::min<size_t>(*instanceListSize, instanceList.size()));
  }
  return 0;
}

int FakePdh::Count(const std::string& callName) const {
  int count = 0;
  for (const std::string& call : calls) {
    if (call == callName || call.starts_with(callName + " ")) ++count;
  }
  return count;
}

std::string MultiString(const std::vector<std::string>& parts) {
  std::string data;
  for (const std::string& part : parts) {
    data += part;
    data += '\0';
  }
  data += '\0';
  return data;
}
