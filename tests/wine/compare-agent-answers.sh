#!/usr/bin/env bash
# Runs the agent session with quillon.dll under Wine and compares its answers with the
# Linux agent's for the same counters and trap files, line by line:
#   compare-agent-answers.sh RUNNER LOADER PREFIX SESSION_EXE AGENT_DLL COUNTERS TRAPS
#                            LINUX_ANSWERS RESULTS NAME [SAMPLING]
# The agent's configuration is imported with "reg import" first. Counter rows are
# compared by status and name, not by value (two machines' counters). What Wine cannot
# do is a skip that names the Wine function, and only when the agent's debug log shows
# the failing call: a counter that Wine's PDH does not know (it knows two), a table row
# whose instances Wine cannot expand, a Linux program that a command row names (Wine
# starts it without a process handle). Every
# other difference fails, but for the letter case of what commands print (hostname.exe
# answers in capitals). One PASS/SKIP/FAIL line per comparison goes to RESULTS/NAME.txt.
set -euo pipefail
run=("$1" "$2" "$3")
prefix="$3" session="$4" dll="$5" counters="$6" traps="$7" linux_answers="$8" results="$9"
name="${10}" sampling="${11:-0}"
mkdir -p "$results"
report="$results/$name.txt"
: >"$report"

if [[ ! -s "$linux_answers" ]]; then
  echo "SKIP agent session: no Linux answers at $linux_answers (run the linux preset's tests first)" |
    tee -a "$report"
  exit 77
fi

windows_path() { local path="${1//\//\\}"; echo "Z:$path"; }
reg_text() { local path; path="$(windows_path "$1")"; echo "${path//\\/\\\\}"; }
registry="$results/$name.reg"
cat >"$registry" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]
"oid"="1.3.6.1.4.1.15"
"debug"="1"
"counters"="$(reg_text "$counters")"
"traps"="$(reg_text "$traps")"
"trap_delay"=dword:000007d0
"collect_delay"=dword:00000064
"sampling"=dword:0000000$sampling
REG
"${run[@]}" reg import "$(windows_path "$registry")" >/dev/null

log="$prefix/drive_c/log.txt"
rm -f "$log"
windows_answers="$results/$name-windows.out"
"${run[@]}" "$(windows_path "$session")" "$(windows_path "$dll")" "$(windows_path "$counters")" |
  tr -d '\r' >"$windows_answers"
cat "$windows_answers"

# FreeLibrary ran the agent's unload: its last two debug lines.
if [[ "$(tr -d '\r' <"$log" | tail -n 2 | cut -d, -f2- | tr '\n' '|')" == " DLL_PROCESS_DETACH| clean|" ]]; then
  echo "PASS FreeLibrary: the debug log ends in DLL_PROCESS_DETACH and clean" >>"$report"
else
  echo "FAIL FreeLibrary: the debug log does not end in DLL_PROCESS_DETACH and clean" >>"$report"
  unload_failed=1
fi

# Every row of the counters file: OID, kind (counter, exec or string) and what it names.
rows="$(awk '
  function flush() { if (row != "") print row, (kind == "exec" || kind == "string") ? kind : "counter", what }
  /^\[/ { flush(); row = substr($0, 2, index($0, "]") - 2); kind = ""; what = ""; next }
  /^type=/ { kind = substr($0, 6) }
  /^counter=/ { what = substr($0, 9) }
  END { flush() }' "$counters")"
pdh_failure="$(grep -o 'PdhAddCounter: ret=[0-9A-F]*' "$log" 2>/dev/null | sort -u | tr '\n' ' ' || true)"
expand_failure="$(grep -o 'PdhExpandWildCardPath: ret=[0-9A-F]*' "$log" 2>/dev/null | sort -u | tr '\n' ' ' || true)"
start_failure="$(grep -c 'CreateProcess returned false' "$log" 2>/dev/null || true)"
# Each English counter path with the local path the agent made of it.
local_paths="$(awk -F 'GetPerf: ' '/GetPerf: path=/ { english = substr($2, 6) }
  /GetPerf: pdh_counter_path=/ { print english "\t" substr($2, 18) }' < <(tr -d '\r' <"$log" 2>/dev/null) |
  sort -u || true)"

ROWS="$rows" LOCAL_PATHS="$local_paths" PDH_FAILURE="$pdh_failure" EXPAND_FAILURE="$expand_failure" START_FAILURE="$start_failure" REPORT="$report" awk '
  function status(line) { return match(line, /status -?[0-9]+/) ? substr(line, RSTART + 7, RLENGTH - 7) : "" }
  function answered(line,   at, f) { at = index(line, " index "); split(substr(line, at + 7), f, " "); return f[2] }
  # The row an OID belongs to: its own, or the table row whose cell it is.
  function row_of(oid,   t) { if (oid in kind) return oid; for (t in table) if (index(oid, t ".") == 1) return t; return oid }
  function subject(line) { return row_of((line ~ /^get /) ? substr(line, 5, index(substr(line, 5), " ") - 1) : answered(line)) }
  function key(line,   f) { split(line, f, " "); return (f[1] == "walk" || f[1] == "trap") ? f[1] : f[1] " " f[2] }
  function masked(line,   at) { at = index(line, " INTEGER "); if (!at) at = index(line, " OCTET STRING "); return at ? substr(line, 1, at) "<counter value>" : line }
  function result(outcome, what) { print outcome " " what >> report; if (outcome == "FAIL") failed = 1 }
  # Why Wine could not answer a row the Linux agent answered, or "" when it should have.
  function wine_limit(oid) {
    if (oid in table && expand != "") return "Wine expands no instance of " what[oid] ": its PdhMakeCounterPathA makes " local[what[oid]] " of it and its PdhExpandWildCardPathA is a stub (" expand ")"
    if (kind[oid] == "counter" && local[what[oid]] ~ /#4294967295/) return "Wine'"'"'s PdhMakeCounterPathA makes " local[what[oid]] " of " what[oid] ", which PdhAddCounterA refuses (" pdh ")"
    if (kind[oid] == "counter" && pdh != "") return "Wine'"'"'s PdhAddCounterA does not know the counter " what[oid] " (" pdh ")"
    if (kind[oid] == "exec" && starts > 0) return "Wine'"'"'s CreateProcessA starts the Linux program of \"" what[oid] "\" without a process handle"
    return ""
  }
  # 1 when compared, 0 when skipped: the rest of a walk or a trap is then skipped too.
  function compare(l, w,   a, b, why) {
    if (l ~ /^trap binding / && w ~ /^trap binding /) {
      split(l, a, " "); split(w, b, " ")
      if (a[4] == "INTEGER" && b[4] == "INTEGER" && a[3] == b[3] && (a[5] - b[5]) ^ 2 <= 3600 ^ 2) { result("PASS", l); return 1 }
    }
    if (l == w) { result("PASS", l); return 1 }
    if ((kind[subject(l)] == "exec" || l ~ /^trap binding /) && toupper(l) == toupper(w)) { result("PASS", l " (letter case aside)"); return 1 }
    if (kind[subject(l)] == "counter" && status(l) == "0" && status(w) == "0" && masked(l) == masked(w)) { result("PASS", masked(l)); return 1 }
    if (status(l) == "0" && status(w) != "0" && key(l) == key(w) && (why = wine_limit(subject(l))) != "") {
      result("SKIP", l ": " why); return 0
    }
    if (l ~ /^trap TRUE/ && w == "trap FALSE" && starts > 0) {
      result("SKIP", l ": Wine'"'"'s CreateProcessA starts the trap scripts'"'"' Linux programs without a process handle"); return 0
    }
    result("FAIL", "linux [" l "] windows [" w "]")
    return 1
  }
  BEGIN {
    pdh = ENVIRON["PDH_FAILURE"]; expand = ENVIRON["EXPAND_FAILURE"]; starts = ENVIRON["START_FAILURE"] + 0; report = ENVIRON["REPORT"]
    n = split(ENVIRON["LOCAL_PATHS"], lines, "\n")
    for (i = 1; i <= n; i++) { split(lines[i], f, "\t"); local[f[1]] = f[2] }
    n = split(ENVIRON["ROWS"], lines, "\n")
    for (i = 1; i <= n; i++) {
      split(lines[i], f, " "); kind[f[1]] = f[2]
      what[f[1]] = substr(lines[i], length(f[1]) + length(f[2]) + 3)
      if (f[2] == "counter" && what[f[1]] ~ /\\\*$/) table[f[1]] = 1
    }
  }
  FNR == NR { group = key($0); if (group == "walk") lw[++nlw] = $0; else if (group == "trap") lt[++nlt] = $0; else lo[++nlo] = $0; next }
  { group = key($0); if (group == "walk") ww[++nww] = $0; else if (group == "trap") wt[++nwt] = $0; else wo[++nwo] = $0 }
  END {
    for (i = 1; i <= nlo || i <= nwo; i++) compare(lo[i], wo[i])
    # A walk or a trap goes on only as far as both agents could answer.
    for (i = 1; i <= nlw || i <= nww; i++) if (!compare(lw[i], ww[i])) break
    for (i = 1; i <= nlt || i <= nwt; i++) if (!compare(lt[i], wt[i])) break
    exit failed
  }' "$linux_answers" "$windows_answers" && [[ -z "${unload_failed:-}" ]]
