/* The SNMP extension-agent interface on Linux: the types, constants and utility
 * functions of the Windows <snmp.h>, with the same field order and widths (natural
 * alignment), so that an extension agent builds unchanged for both platforms.
 * libsnmpapi.so exports the functions. */
#ifndef QUILLON_SNMP_H
#define QUILLON_SNMP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint32_t UINT;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t INT;
typedef void VOID;
typedef void* LPVOID;
typedef char* LPSTR;
typedef void* HANDLE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define SNMP_FUNC_TYPE
#define SNMPAPI INT
#define SNMPAPI_NOERROR TRUE
#define SNMPAPI_ERROR FALSE

typedef union {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  uint64_t QuadPart;
} ULARGE_INTEGER;

typedef struct {
  BYTE* stream;
  UINT length;
  BOOL dynamic;
} AsnOctetString;

typedef struct {
  UINT idLength;
  UINT* ids;
} AsnObjectIdentifier;

typedef LONG AsnInteger32;
typedef ULONG AsnUnsigned32;
typedef ULARGE_INTEGER AsnCounter64;
typedef AsnUnsigned32 AsnCounter32;
typedef AsnUnsigned32 AsnGauge32;
typedef AsnUnsigned32 AsnTimeticks;
typedef AsnOctetString AsnBits;
typedef AsnOctetString AsnSequence;
typedef AsnOctetString AsnImplicitSequence;
typedef AsnOctetString AsnIPAddress;
typedef AsnOctetString AsnNetworkAddress;
typedef AsnOctetString AsnDisplayString;
typedef AsnOctetString AsnOpaque;

typedef struct {
  BYTE asnType;
  union {
    AsnInteger32 number;
    AsnUnsigned32 unsigned32;
    AsnCounter64 counter64;
    AsnOctetString string;
    AsnBits bits;
    AsnObjectIdentifier object;
    AsnSequence sequence;
    AsnIPAddress address;
    AsnCounter32 counter;
    AsnGauge32 gauge;
    AsnTimeticks ticks;
    AsnOpaque arbitrary;
  } asnValue;
} AsnAny;

typedef AsnObjectIdentifier AsnObjectName;
typedef AsnAny AsnObjectSyntax;

typedef struct vb {
  AsnObjectName name;
  AsnObjectSyntax value;
} SnmpVarBind;

typedef struct {
  SnmpVarBind* list;
  UINT len;
} SnmpVarBindList;

#define ASN_UNIVERSAL 0x00
#define ASN_APPLICATION 0x40
#define ASN_CONTEXT 0x80
#define ASN_PRIVATE 0xC0
#define ASN_PRIMITIVE 0x00
#define ASN_CONSTRUCTOR 0x20

#define ASN_INTEGER 0x02
#define ASN_BITS 0x03
#define ASN_OCTETSTRING 0x04
#define ASN_NULL 0x05
#define ASN_OBJECTIDENTIFIER 0x06
#define ASN_INTEGER32 ASN_INTEGER
#define ASN_SEQUENCE 0x30
#define ASN_SEQUENCEOF ASN_SEQUENCE
#define ASN_IPADDRESS 0x40
#define ASN_COUNTER32 0x41
#define ASN_GAUGE32 0x42
#define ASN_TIMETICKS 0x43
#define ASN_OPAQUE 0x44
#define ASN_COUNTER64 0x46
#define ASN_UINTEGER32 0x47
#define ASN_RFC2578_UNSIGNED32 ASN_GAUGE32

#define SNMP_EXCEPTION_NOSUCHOBJECT 0x80
#define SNMP_EXCEPTION_NOSUCHINSTANCE 0x81
#define SNMP_EXCEPTION_ENDOFMIBVIEW 0x82

#define SNMP_PDU_GET 0xA0
#define SNMP_PDU_GETNEXT 0xA1
#define SNMP_PDU_RESPONSE 0xA2
#define SNMP_PDU_SET 0xA3
#define SNMP_PDU_V1TRAP 0xA4
#define SNMP_PDU_GETBULK 0xA5
#define SNMP_PDU_INFORM 0xA6
#define SNMP_PDU_TRAP 0xA7

#define SNMP_EXTENSION_GET SNMP_PDU_GET
#define SNMP_EXTENSION_GET_NEXT SNMP_PDU_GETNEXT
#define SNMP_EXTENSION_GET_BULK SNMP_PDU_GETBULK
#define SNMP_EXTENSION_SET_TEST (ASN_PRIVATE | ASN_CONSTRUCTOR | 0x0)
#define SNMP_EXTENSION_SET_COMMIT SNMP_PDU_SET
#define SNMP_EXTENSION_SET_UNDO (ASN_PRIVATE | ASN_CONSTRUCTOR | 0x1)
#define SNMP_EXTENSION_SET_CLEANUP (ASN_PRIVATE | ASN_CONSTRUCTOR | 0x2)

#define SNMP_ERRORSTATUS_NOERROR 0
#define SNMP_ERRORSTATUS_TOOBIG 1
#define SNMP_ERRORSTATUS_NOSUCHNAME 2
#define SNMP_ERRORSTATUS_BADVALUE 3
#define SNMP_ERRORSTATUS_READONLY 4
#define SNMP_ERRORSTATUS_GENERR 5
#define SNMP_ERRORSTATUS_NOACCESS 6
#define SNMP_ERRORSTATUS_WRONGTYPE 7
#define SNMP_ERRORSTATUS_WRONGLENGTH 8
#define SNMP_ERRORSTATUS_WRONGENCODING 9
#define SNMP_ERRORSTATUS_WRONGVALUE 10
#define SNMP_ERRORSTATUS_NOCREATION 11
#define SNMP_ERRORSTATUS_INCONSISTENTVALUE 12
#define SNMP_ERRORSTATUS_RESOURCEUNAVAILABLE 13
#define SNMP_ERRORSTATUS_COMMITFAILED 14
#define SNMP_ERRORSTATUS_UNDOFAILED 15
#define SNMP_ERRORSTATUS_AUTHORIZATIONERROR 16
#define SNMP_ERRORSTATUS_NOTWRITABLE 17
#define SNMP_ERRORSTATUS_INCONSISTENTNAME 18

#define SNMP_GENERICTRAP_COLDSTART 0
#define SNMP_GENERICTRAP_WARMSTART 1
#define SNMP_GENERICTRAP_LINKDOWN 2
#define SNMP_GENERICTRAP_LINKUP 3
#define SNMP_GENERICTRAP_AUTHFAILURE 4
#define SNMP_GENERICTRAP_EGPNEIGHLOSS 5
#define SNMP_GENERICTRAP_ENTERSPECIFIC 6

/* The extension-agent entry points, as the service looks them up. */
typedef BOOL(SNMP_FUNC_TYPE* PFNSNMPEXTENSIONINIT)(DWORD dwUpTimeReference,
                                                  HANDLE* phSubagentTrapEvent,
                                                  AsnObjectIdentifier* pFirstSupportedRegion);
typedef BOOL(SNMP_FUNC_TYPE* PFNSNMPEXTENSIONQUERY)(BYTE bPduType, SnmpVarBindList* pVarBindList,
                                                   AsnInteger32* pErrorStatus,
                                                   AsnInteger32* pErrorIndex);
typedef BOOL(SNMP_FUNC_TYPE* PFNSNMPEXTENSIONQUERYEX)(UINT nRequestType, UINT nTransactionId,
                                                     SnmpVarBindList* pVarBindList,
                                                     AsnOctetString* pContextInfo,
                                                     AsnInteger32* pErrorStatus,
                                                     AsnInteger32* pErrorIndex);
typedef BOOL(SNMP_FUNC_TYPE* PFNSNMPEXTENSIONTRAP)(AsnObjectIdentifier* pEnterpriseOid,
                                                  AsnInteger32* pGenericTrapId,
                                                  AsnInteger32* pSpecificTrapId,
                                                  AsnTimeticks* pTimeStamp,
                                                  SnmpVarBindList* pVarBindList);

/* The SNMP utility library (libsnmpapi.so). */
LPVOID SNMP_FUNC_TYPE SnmpUtilMemAlloc(UINT nBytes);
VOID SNMP_FUNC_TYPE SnmpUtilMemFree(LPVOID pMem);
LPVOID SNMP_FUNC_TYPE SnmpUtilMemReAlloc(LPVOID pMem, UINT nBytes);
SNMPAPI SNMP_FUNC_TYPE SnmpUtilOidCpy(AsnObjectIdentifier* pOidDst, AsnObjectIdentifier* pOidSrc);
SNMPAPI SNMP_FUNC_TYPE SnmpUtilOidAppend(AsnObjectIdentifier* pOidDst,
                                         AsnObjectIdentifier* pOidSrc);
VOID SNMP_FUNC_TYPE SnmpUtilOidFree(AsnObjectIdentifier* pOid);
INT SNMP_FUNC_TYPE SnmpUtilOidCmp(AsnObjectIdentifier* pOid1, AsnObjectIdentifier* pOid2);
INT SNMP_FUNC_TYPE SnmpUtilOidNCmp(AsnObjectIdentifier* pOid1, AsnObjectIdentifier* pOid2,
                                   UINT nSubIds);
LPSTR SNMP_FUNC_TYPE SnmpUtilIdsToA(UINT* Ids, UINT IdLength);
LPSTR SNMP_FUNC_TYPE SnmpUtilOidToA(AsnObjectIdentifier* Oid);
SNMPAPI SNMP_FUNC_TYPE SnmpUtilAsnAnyCpy(AsnAny* pAnyDst, AsnAny* pAnySrc);
VOID SNMP_FUNC_TYPE SnmpUtilAsnAnyFree(AsnAny* pAny);
SNMPAPI SNMP_FUNC_TYPE SnmpUtilVarBindCpy(SnmpVarBind* pVbDst, SnmpVarBind* pVbSrc);
VOID SNMP_FUNC_TYPE SnmpUtilVarBindFree(SnmpVarBind* pVb);
SNMPAPI SNMP_FUNC_TYPE SnmpUtilVarBindListCpy(SnmpVarBindList* pVblDst, SnmpVarBindList* pVblSrc);
VOID SNMP_FUNC_TYPE SnmpUtilVarBindListFree(SnmpVarBindList* pVbl);
DWORD SNMP_FUNC_TYPE SnmpSvcGetUptime(void);

#ifdef __cplusplus
}
#endif

#endif /* QUILLON_SNMP_H */
