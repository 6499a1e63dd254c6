#!/usr/bin/env bash
# Serves the examples: installs and builds what is missing, copies counters.ini and traps.ini to a
# temporary drive c: (QUILLON_DRIVE_C) as c:\quillon\, and runs snmp-exthost in the
# foreground on loopback with examples/quillon.reg as the registry.
#   QUILLON_BUILD_DIR  build directory (default: <repo>/build)
#   EXTHOST_PORT       UDP port on 127.0.0.1 (default: 1161)
# Stop it with Ctrl-C. The agent's debug log is <drive c:>/log.txt.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLON_BUILD_DIR:-$repo/build}"
port="${EXTHOST_PORT:-1161}"

"$repo/scripts/install-deps.sh"
if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j 2 --target snmp-exthost quillon

drive_c="$(mktemp -d -t quillon-drive-c.XXXXXX)"
trap 'rm -rf "$drive_c"' EXIT
mkdir -p "$drive_c/quillon"
cp "$repo/examples/counters.ini" "$repo/examples/traps.ini" "$drive_c/quillon/"

cat <<MSG
Serving the examples on udp:127.0.0.1:$port (community public). Try:
  snmpwalk -v2c -c public -t 3 -On 127.0.0.1:$port 1.3.6.1.4.1.15
The agent's debug log: $drive_c/log.txt. Ctrl-C stops.
MSG

export QUILLON_DRIVE_C="$drive_c"
export QUILLON_REGISTRY="$repo/examples/quillon.reg"
# In the background so that a signal to this script alone also reaches the service, and
# the temporary drive is removed once the service has ended.
"$build/host/snmp-exthost" -f -Le -a "$build/agent/libquillon.so" "udp:127.0.0.1:$port" &
host_pid=$!
trap 'kill -INT "$host_pid" 2>/dev/null' INT TERM
status=0
while kill -0 "$host_pid" 2>/dev/null; do
  wait "$host_pid" && status=0 || status=$?
done
exit "$status"
