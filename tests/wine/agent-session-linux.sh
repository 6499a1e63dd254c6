#!/usr/bin/env bash
# The Linux agent's answers for a counters and a trap file, as the Windows build's
# agent session test compares them:
#   agent-session-linux.sh SESSION LIBRARY COUNTERS TRAPS OUTPUT
set -euo pipefail
session="$1" library="$2" counters="$3" traps="$4" output="$5"
drive_c="$(mktemp -d -t quillon-session.XXXXXX)"
trap 'rm -rf "$drive_c"' EXIT
cat >"$drive_c/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]
"oid"="1.3.6.1.4.1.15"
"debug"="1"
"counters"="$counters"
"traps"="$traps"
"trap_delay"=dword:000007d0
"collect_delay"=dword:00000064
REG
QUILLON_DRIVE_C="$drive_c" QUILLON_REGISTRY="$drive_c/registry.reg" \
  "$session" "$library" "$counters" >"$output.new"
mv "$output.new" "$output"
cat "$output"
grep -q '^unload done$' "$output"
grep -q '^trap TRUE ' "$output"
