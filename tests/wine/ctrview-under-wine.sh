#!/usr/bin/env bash
# ctrview.exe under Wine: its usage, the local path of an English counter path, and a
# readout of the system's uptime:
#   ctrview-under-wine.sh RUNNER LOADER PREFIX CTRVIEW_EXE RESULTS
# What Wine's PDH cannot do is a skip that names the Wine function; one PASS/SKIP/FAIL
# line per check goes to RESULTS/ctrview_under_wine.txt.
set -uo pipefail
run=("$1" "$2" "$3")
ctrview="$4" results="$5"
source "$(dirname "$0")/report.sh"
start_report "$results" ctrview_under_wine.txt
ctrview_run() { "${run[@]}" "$ctrview" "$@" 2>&1 | tr -d '\r'; }

usage="$(ctrview_run)"
if [[ "$usage" == *'Usage : ctrview "Processor\% Processor Time\_Total" /pdh_path'* &&
      "$usage" == *'Usage : ctrview /enumobjects'* ]]; then
  check PASS "usage"
else
  check FAIL "usage: [$usage]"
fi

local_path="$(ctrview_run 'System\System Up Time' /pdh_path)"
status=$?
if [[ $status -eq 0 && "$local_path" == '\System\System Up Time' ]]; then
  check PASS "/pdh_path of System\\System Up Time"
else
  check FAIL "/pdh_path of System\\System Up Time: status $status [$local_path]"
fi

instance_path="$(ctrview_run 'Processor\% Processor Time\_Total' /pdh_path)"
if [[ "$instance_path" == '\Processor(_Total)\% Processor Time' ]]; then
  check PASS "/pdh_path of Processor\\% Processor Time\\_Total"
elif [[ "$instance_path" == '\Processor(_Total#4294967295)\% Processor Time' ]]; then
  check SKIP "/pdh_path of Processor\\% Processor Time\\_Total: Wine's PdhMakeCounterPathA appends the instance index (#4294967295)"
else
  check FAIL "/pdh_path of Processor\\% Processor Time\\_Total: [$instance_path]"
fi

# The uptime in seconds, two samples one second apart: a number of at least one second.
# What Wine gives instead matches SKIP_PATTERN, and WHY names the Wine function.
check_uptime() { # WHAT READOUT SKIP_PATTERN WHY
  if [[ "$2" =~ ^[0-9]+(\.[0-9]+)?$ ]] && awk -v v="$2" 'BEGIN { exit !(v >= 1) }'; then
    check PASS "$1 ($2)"
  elif [[ "$2" =~ $3 ]]; then
    check SKIP "$1 ($2): $4"
  else
    check FAIL "$1: [$2]"
  fi
}
check_uptime "readout of System\\System Up Time" "$(ctrview_run 'System\System Up Time')" \
  'E-3[0-9][0-9]$' \
  "Wine's PdhGetFormattedCounterValue hands this counter's whole seconds over as a double's bits"
check_uptime "raw readout of System\\System Up Time" "$(ctrview_run 'System\System Up Time' /raw)" \
  'E-3[0-9][0-9]$|^null$' \
  "Wine's PdhCalculateCounterFromRawValue does not compute this counter type"

objects="$(ctrview_run /enumobjects)"
if [[ -n "$objects" && "$objects" != *"enumobjects failed"* && "$objects" != *"unimplemented function"* ]]; then
  check PASS "/enumobjects"
elif [[ "$objects" == *"unimplemented function pdh.dll.PdhEnumObjectsA"* ]]; then
  check SKIP "/enumobjects: Wine has no PdhEnumObjectsA (the call aborts)"
else
  check FAIL "/enumobjects: [$objects]"
fi
exit $failed
