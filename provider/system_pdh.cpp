#include "platform/pdh.h"
#include "provider/name_calls.h"
#include "provider/query_table.h"

namespace platform {
namespace {

// The Linux counter provider behind the PDH interface.
class LinuxPdh : public Pdh {
 public:
  PdhStatus OpenQuery(const char* dataSource, std::uintptr_t userData, PdhHandle* query) override {
    return queries_.OpenQuery(dataSource, userData, query);
  }
  PdhStatus AddCounter(PdhHandle query, const char* fullPath, std::uintptr_t userData,
                       PdhHandle* counter) override {
    return queries_.AddCounter(query, fullPath, userData, counter);
  }
  PdhStatus CollectQueryData(PdhHandle query) override { return queries_.CollectQueryData(query); }
  PdhStatus GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t* type,
                                     PdhFmtCounterValue* value) override {
    return queries_.GetFormattedCounterValue(counter, format, type, value);
  }
  PdhStatus GetRawCounterValue(PdhHandle counter, uint32_t* type, PdhRawCounter* value) override {
    return queries_.GetRawCounterValue(counter, type, value);
  }
  PdhStatus CalculateCounterFromRawValue(PdhHandle counter, uint32_t format, PdhRawCounter* newer,
                                         PdhRawCounter* older, PdhFmtCounterValue* value) override {
    return queries_.CalculateCounterFromRawValue(counter, format, newer, older, value);
  }
  PdhStatus GetCounterInfo(PdhHandle counter, bool explainText, uint32_t* bufferSize,
                           void* buffer) override {
    return queries_.GetCounterInfo(counter, explainText, bufferSize, buffer);
  }
  PdhStatus RemoveCounter(PdhHandle counter) override { return queries_.RemoveCounter(counter); }
  PdhStatus CloseQuery(PdhHandle query) override { return queries_.CloseQuery(query); }
  PdhStatus LookupPerfNameByIndex(const char* machineName, uint32_t index, char* nameBuffer,
                                  uint32_t* nameBufferSize) override {
    return provider::LookupPerfNameByIndex(machineName, index, nameBuffer, nameBufferSize);
  }
  PdhStatus MakeCounterPath(const PdhCounterPathElements* elements, char* fullPathBuffer,
                            uint32_t* bufferSize, uint32_t flags) override {
    return provider::MakeCounterPath(elements, fullPathBuffer, bufferSize, flags);
  }
  PdhStatus EnumObjects(const char* dataSource, const char* machineName, char* objectList,
                        uint32_t* bufferSize, uint32_t, uint32_t) override {
    return provider::EnumObjects(dataSource, machineName, objectList, bufferSize);
  }
  PdhStatus EnumObjectItems(const char* dataSource, const char* machineName, const char* objectName,
                            char* counterList, uint32_t* counterListSize, char* instanceList,
                            uint32_t* instanceListSize, uint32_t, uint32_t) override {
    return provider::EnumObjectItems(dataSource, machineName, objectName, counterList,
                                     counterListSize, instanceList, instanceListSize);
  }
  PdhStatus ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                               char* expandedPathList, uint32_t* pathListLength,
                               uint32_t) override {
    return provider::ExpandWildCardPath(dataSource, wildCardPath, expandedPathList, pathListLength);
  }

 private:
  provider::QueryTable queries_;
};

}  // namespace

Pdh& SystemPdh() {
  static LinuxPdh pdh;
  return pdh;
}

}  // namespace platform
