#!/usr/bin/env bash
# The cross-compiling emulator of the Windows test builds:
#   run-under-wine.sh LOADER PREFIX PROGRAM [ARGUMENTS...]
# runs a Windows program (or a Wine built-in such as "reg" or "wineboot") under the
# Wine loader in the given prefix, quietly and without the debugger: a program that
# crashes ends with an error status instead of waiting in winedbg.
set -euo pipefail
loader="$1"
export WINEPREFIX="$2"
shift 2
mkdir -p "$WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
# The prefix is made once, by whichever run comes first, with its output and that of
# the service processes it leaves running kept away from the caller's pipes (ctest
# would wait for them to close).
# (A running wineserver writes the registry files only later, so a mark of its own
# tells that the prefix is ready.)
ready="$WINEPREFIX/.quillon-ready"
if [[ ! -f "$ready" ]]; then
  exec 9>"$WINEPREFIX/.quillon-init.lock"
  flock 9
  if [[ ! -f "$ready" ]]; then
    "$loader" wineboot --init </dev/null >/dev/null 2>&1
    touch "$ready"
  fi
  exec 9>&-
fi
# Command rows name programs as on the Linux machine ("uname -r"): Windows' search for
# them also looks in the Linux program directories.
export WINEPATH='Z:\usr\local\bin;Z:\usr\bin;Z:\bin'
# Wine leaves helper processes (a console host for each CREATE_NEW_CONSOLE) running
# with the program's output descriptors; a caller that reads to the end of its pipes
# would wait for them. The output goes through files, and only the program is waited for.
output="$(mktemp -t quillon-wine-out.XXXXXX)"
errors="$(mktemp -t quillon-wine-err.XXXXXX)"
trap 'rm -f "$output" "$errors"' EXIT
status=0
"$loader" "$@" >"$output" 2>"$errors" </dev/null || status=$?
cat "$output"
cat "$errors" >&2
exit "$status"
