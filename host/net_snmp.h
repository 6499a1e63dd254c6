#pragma once

// net-snmp's agent headers, in the order they must come. Never include <snmp.h> of the
// extension ABI in the same file: both define the ASN type macros.

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
// clang-format on
