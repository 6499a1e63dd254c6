#!/usr/bin/env bash
# The Windows tests of the x86_64 build under wine64, as the test command runs them:
#   run-wine-tests.sh [BUILD_DIR]     (default: build-mingw64, built with its preset)
# A fresh prefix in the build tree, one persistent wineserver for the whole run (a
# program then starts in about a second instead of several), ctest, the count of what
# ran and what was skipped and why, and the server ended again with all it started.
# Run the Linux tests first: the agent session compares its answers with theirs.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$repo/build-mingw64}" && pwd)"
wineserver=/usr/lib/wine/wineserver

export WINEPREFIX="$build/wine-prefix"
# A server left by an interrupted run would serve the new prefix too.
[[ ! -d "$WINEPREFIX" ]] || "$wineserver" -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$build/wine-results"
mkdir -p "$WINEPREFIX"
WINEDEBUG=-all "$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT

start=$SECONDS
status=0
ctest --test-dir "$build" -j 2 --output-on-failure || status=$?
"$repo/tests/wine/summarise.sh" "$build/wine-results" || status=1
echo "Windows tests under Wine took $((SECONDS - start)) s"
exit "$status"
