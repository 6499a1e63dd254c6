#!/usr/bin/env bash
# What the Windows SNMP service and a plain Windows machine need of the built files:
#   check-windows-binaries.sh OBJDUMP RESULTS BUILD_DIR...
# for each build: quillon.dll exports the four entry points under their plain names,
# quillon.dll, ctrview.exe and ctrviewd.exe import only DLLs that Windows has (no MinGW
# runtime), and each carries an icon and a version record. A build that
# is not there is a skip. One PASS/SKIP/FAIL line per check goes to RESULTS/windows_binaries.txt.
set -uo pipefail
objdump="$1" results="$2"
shift 2
source "$(dirname "$0")/report.sh"
start_report "$results" windows_binaries.txt
system_dlls='^(ADVAPI32|KERNEL32|msvcrt|pdh|snmpapi)\.dll$'

for build in "$@"; do
  dll="$build/agent/quillon.dll"
  if [[ ! -f "$dll" ]]; then
    check SKIP "$build: not built"
    continue
  fi
  exports="$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    grep -o 'Snmp[A-Za-z@0-9]*' | sort | tr '\n' ' ')"
  if [[ "$exports" == "SnmpExtensionInit SnmpExtensionQuery SnmpExtensionQueryEx SnmpExtensionTrap " ]]; then
    check PASS "$dll exports the four entry points undecorated"
  else
    check FAIL "$dll exports [$exports]"
  fi
  for file in "$dll" "$build/tool/ctrview.exe" "$build/tool/ctrviewd.exe"; do
    dump="$("$objdump" -p "$file")"
    foreign="$(grep -o 'DLL Name: .*' <<<"$dump" | cut -d' ' -f3 | grep -Ev "$system_dlls" | tr '\n' ' ')"
    if [[ -z "$foreign" ]]; then
      check PASS "$file needs no DLL beyond Windows' own"
    else
      check FAIL "$file imports $foreign"
    fi
    # The resource types: 3 icon image, 14 icon group, 16 version record.
    types="$(sed -n '/The .rsrc Resource Directory section/,/^$/p' <<<"$dump" |
      grep -Eo '^[0-9a-f]+   Entry: ID: 0x[0-9a-f]+' | sed 's/.*0x0*//' | tr '\n' ' ')"
    if [[ " $types" == *" 3 "* && " $types" == *" e "* ]]; then
      check PASS "$file carries an icon"
    else
      check FAIL "$file carries no icon (resource types: $types)"
    fi
    if [[ " $types" == *" 10 "* ]]; then
      check PASS "$file carries a version record"
    else
      check FAIL "$file carries no version record (resource types: $types)"
    fi
  done
done
exit $failed
