#pragma once

#include <cstdint>

namespace platform {

// The Performance Data Helper calls that counter access makes, with the argument
// lists, record layouts, size-probe protocol and status codes of pdh.dll. On
// Windows it forwards to pdh.dll; on Linux it is served by the counter provider
// (the quillon_provider library), which defines SystemPdh there. Tests substitute
// fakes for it.
using PdhStatus = uint32_t;
using PdhHandle = std::uintptr_t;

constexpr PdhStatus kPdhOk = 0;
constexpr PdhStatus kPdhCStatusNoInstance = 0x800007D1;
constexpr PdhStatus kPdhMoreData = 0x800007D2;
constexpr PdhStatus kPdhNoData = 0x800007D5;
constexpr PdhStatus kPdhCStatusNoObject = 0xC0000BB8;
constexpr PdhStatus kPdhCStatusNoCounter = 0xC0000BB9;
constexpr PdhStatus kPdhInvalidArgument = 0xC0000BBD;
constexpr PdhStatus kPdhCStatusBadCounterName = 0xC0000BC0;
constexpr PdhStatus kPdhInvalidHandle = 0xC0000BBC;
constexpr PdhStatus kPdhInvalidData = 0xC0000BC6;
constexpr PdhStatus kPdhCStatusInvalidData = 0xC0000BBA;
constexpr PdhStatus kPdhInsufficientBuffer = 0xC0000BC2;
constexpr PdhStatus kPdhCStatusValidData = 0x00000000;
constexpr PdhStatus kPdhCStatusNewData = 0x00000001;
constexpr PdhStatus kPdhCStatusNoMachine = 0x800007D0;
constexpr PdhStatus kPdhCalcNegativeDenominator = 0x800007D6;
constexpr PdhStatus kPdhCalcNegativeValue = 0x800007D8;

constexpr uint32_t kPdhFmtLong = 0x00000100;
constexpr uint32_t kPdhFmtDouble = 0x00000200;
constexpr uint32_t kPdhFmtLarge = 0x00000400;
constexpr uint32_t kPdhFmtNoScale = 0x00001000;
constexpr uint32_t kPdhFmt1000 = 0x00002000;
constexpr uint32_t kPdhFmtNoCap100 = 0x00008000;

constexpr uint32_t kPerfDetailWizard = 400;
constexpr uint32_t kPerfSizeLargeBit = 0x00000100;

// PDH_FMT_COUNTERVALUE: 16 bytes.
struct PdhFmtCounterValue {
  uint32_t CStatus;
  union {
    int32_t longValue;
    double doubleValue;
    int64_t largeValue;
  };
};
static_assert(sizeof(PdhFmtCounterValue) == 16);

// PDH_RAW_COUNTER: 40 bytes; TimeStamp is a FILETIME (100 ns since 1601).
struct PdhRawCounter {
  uint32_t CStatus;
  uint64_t TimeStamp;
  int64_t FirstValue;
  int64_t SecondValue;
  uint32_t MultiCount;
};
static_assert(sizeof(PdhRawCounter) == 40);

// PDH_COUNTER_PATH_ELEMENTS_A.
struct PdhCounterPathElements {
  const char* machineName;
  const char* objectName;
  const char* instanceName;
  const char* parentInstance;
  uint32_t instanceIndex;
  const char* counterName;
};

// The head of PDH_COUNTER_INFO_A as far as counter access reads it: the counter
// type is the second 32-bit field. A provider writes at least this much.
struct PdhCounterInfoHead {
  uint32_t dwLength;
  uint32_t dwType;
  uint32_t CVersion;
  uint32_t CStatus;
  int32_t lScale;
  int32_t lDefaultScale;
};

class Pdh {
 public:
  virtual ~Pdh() = default;
  virtual PdhStatus OpenQuery(const char* dataSource, std::uintptr_t userData,
                              PdhHandle* query) = 0;
  virtual PdhStatus AddCounter(PdhHandle query, const char* fullPath, std::uintptr_t userData,
                               PdhHandle* counter) = 0;
  virtual PdhStatus CollectQueryData(PdhHandle query) = 0;
  virtual PdhStatus GetFormattedCounterValue(PdhHandle counter, uint32_t format, uint32_t* type,
                                             PdhFmtCounterValue* value) = 0;
  virtual PdhStatus GetRawCounterValue(PdhHandle counter, uint32_t* type, PdhRawCounter* value) = 0;
  virtual PdhStatus CalculateCounterFromRawValue(PdhHandle counter, uint32_t format,
                                                 PdhRawCounter* newer, PdhRawCounter* older,
                                                 PdhFmtCounterValue* value) = 0;
  // Size probe: buffer null and *bufferSize 0 gives kPdhMoreData and the size.
  virtual PdhStatus GetCounterInfo(PdhHandle counter, bool explainText, uint32_t* bufferSize,
                                   void* buffer) = 0;
  virtual PdhStatus RemoveCounter(PdhHandle counter) = 0;
  virtual PdhStatus CloseQuery(PdhHandle query) = 0;
  virtual PdhStatus LookupPerfNameByIndex(const char* machineName, uint32_t index, char* nameBuffer,
                                          uint32_t* nameBufferSize) = 0;
  virtual PdhStatus MakeCounterPath(const PdhCounterPathElements* elements, char* fullPathBuffer,
                                    uint32_t* bufferSize, uint32_t flags) = 0;
  // refresh is a Windows BOOL: 0xFFFFFFFF for TRUE, 0 for FALSE.
  virtual PdhStatus EnumObjects(const char* dataSource, const char* machineName, char* objectList,
                                uint32_t* bufferSize, uint32_t detailLevel, uint32_t refresh) = 0;
  virtual PdhStatus EnumObjectItems(const char* dataSource, const char* machineName,
                                    const char* objectName, char* counterList,
                                    uint32_t* counterListSize, char* instanceList,
                                    uint32_t* instanceListSize, uint32_t detailLevel,
                                    uint32_t flags) = 0;
  // The full paths a path with wildcards stands for now, as a list of zero-terminated
  // paths closed by a second zero. Size probe as EnumObjects, in characters.
  virtual PdhStatus ExpandWildCardPath(const char* dataSource, const char* wildCardPath,
                                       char* expandedPathList, uint32_t* pathListLength,
                                       uint32_t flags) = 0;
};

// The platform's own implementation, alive for the whole process.
Pdh& SystemPdh();

}  // namespace platform
