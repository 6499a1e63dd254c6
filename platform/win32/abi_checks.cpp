// Compile-time checks that the types this build uses are the ones the Windows SNMP
// service and pdh.dll were built with, for 32-bit and 64-bit Windows alike. The
// service hands the agent pointers to these records, so one byte of difference is a
// crash in the field, not a compile error; here it is a compile error.
// clang-format off
#include <windows.h>
#include <pdh.h>
#include <snmp.h>
// clang-format on

#include <cstddef>
#include <type_traits>

#include "platform/event.h"
#include "platform/pdh.h"
#include "platform/registry.h"

namespace platform {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;
constexpr std::size_t Pick(std::size_t on32, std::size_t on64) { return k64Bit ? on64 : on32; }

// The extension-agent records: <snmp.h> lays them out with 4-byte packing.
static_assert(sizeof(UINT) == 4 && sizeof(BOOL) == 4 && sizeof(DWORD) == 4);
static_assert(sizeof(AsnInteger32) == 4 && sizeof(AsnUnsigned32) == 4 && sizeof(AsnTimeticks) == 4);
static_assert(sizeof(AsnCounter64) == 8);
static_assert(sizeof(AsnOctetString) == Pick(12, 16));
static_assert(offsetof(AsnOctetString, length) == Pick(4, 8));
static_assert(offsetof(AsnOctetString, dynamic) == Pick(8, 12));
static_assert(sizeof(AsnObjectIdentifier) == Pick(8, 12));
static_assert(offsetof(AsnObjectIdentifier, ids) == 4);
static_assert(offsetof(AsnAny, asnValue) == 4);
static_assert(sizeof(AsnAny) == Pick(16, 20));
static_assert(offsetof(SnmpVarBind, value) == Pick(8, 12));
static_assert(sizeof(SnmpVarBind) == Pick(24, 32));
static_assert(offsetof(SnmpVarBindList, len) == Pick(4, 8));
static_assert(sizeof(SnmpVarBindList) == Pick(8, 12));

// The entry points' types as the service calls them (stdcall on 32-bit Windows).
static_assert(
    std::is_same_v<PFNSNMPEXTENSIONINIT, BOOL(WINAPI*)(DWORD, HANDLE*, AsnObjectIdentifier*)>);
static_assert(std::is_same_v<PFNSNMPEXTENSIONQUERY,
                             BOOL(WINAPI*)(BYTE, SnmpVarBindList*, AsnInteger32*, AsnInteger32*)>);
static_assert(std::is_same_v<PFNSNMPEXTENSIONQUERYEX,
                             BOOL(WINAPI*)(UINT, UINT, SnmpVarBindList*, AsnOctetString*,
                                           AsnInteger32*, AsnInteger32*)>);
static_assert(std::is_same_v<PFNSNMPEXTENSIONTRAP,
                             BOOL(WINAPI*)(AsnObjectIdentifier*, AsnInteger32*, AsnInteger32*,
                                           AsnTimeticks*, SnmpVarBindList*)>);

// The seam's handles carry the platform's handles whole.
static_assert(sizeof(EventHandle) == sizeof(HANDLE));
static_assert(sizeof(RegKey) == sizeof(HKEY));
static_assert(sizeof(PdhHandle) == sizeof(PDH_HQUERY) && sizeof(PdhHandle) == sizeof(PDH_HCOUNTER));
static_assert(sizeof(PdhStatus) == sizeof(PDH_STATUS));
static_assert(sizeof(std::uintptr_t) == sizeof(DWORD_PTR));
static_assert(sizeof(SIZE_T) == sizeof(std::size_t));

// The PDH records that the seam copies or reads in place.
static_assert(sizeof(PDH_FMT_COUNTERVALUE) == sizeof(PdhFmtCounterValue));
static_assert(offsetof(PDH_FMT_COUNTERVALUE, doubleValue) ==
              offsetof(PdhFmtCounterValue, doubleValue));
static_assert(sizeof(PDH_RAW_COUNTER) == sizeof(PdhRawCounter));
static_assert(offsetof(PDH_RAW_COUNTER, FirstValue) == offsetof(PdhRawCounter, FirstValue));
static_assert(offsetof(PDH_COUNTER_INFO_A, dwType) == offsetof(PdhCounterInfoHead, dwType));
static_assert(sizeof(PDH_COUNTER_PATH_ELEMENTS_A) == sizeof(PdhCounterPathElements));
static_assert(offsetof(PDH_COUNTER_PATH_ELEMENTS_A, dwInstanceIndex) ==
              offsetof(PdhCounterPathElements, instanceIndex));
static_assert(offsetof(PDH_COUNTER_PATH_ELEMENTS_A, szCounterName) ==
              offsetof(PdhCounterPathElements, counterName));

}  // namespace
}  // namespace platform
