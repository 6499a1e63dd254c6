#!/usr/bin/env bash
# Serves the examples: installs what building and running need (not the test tools or the
# cross compilers), builds snmp-exthost, the agent and ctrview, copies the examples to a drive
# c: in the build directory (QUILLON_DRIVE_C=<build>/example, the files in c:\quillon\), and
# runs snmp-exthost in the foreground on loopback with the example registry.
#   --debug            switch the agent's debug log on: <build>/example/log.txt, kept after the
#                      service stops
#   QUILLON_BUILD_DIR  build directory (default: <repo>/build)
#   EXTHOST_PORT       UDP port on 127.0.0.1 (default: 1161)
# Stop it with Ctrl-C.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLON_BUILD_DIR:-$repo/build}"
port="${EXTHOST_PORT:-1161}"
debug=0
case "${1:-}" in
  --debug) debug=1 ;;
  "") ;;
  *) echo "usage: $0 [--debug]" >&2; exit 2 ;;
esac

# Whether a UDP socket holds the port on 127.0.0.1 or on every address (IPv4 or IPv6),
# from the kernel's socket tables.
port_taken() {
  local hex
  hex="$(printf '%04X' "$1")"
  awk -v port=":$hex" '
    FNR > 1 && ($2 == "0100007F" port || $2 == "00000000" port ||
                $2 == "00000000000000000000000000000000" port) { found = 1 }
    END { exit !found }' /proc/net/udp /proc/net/udp6 2>/dev/null
}

"$repo/scripts/install-deps.sh" --runtime
if [[ ! -f "$build/build.ninja" && ! -f "$build/Makefile" ]]; then
  # Without the tests, whose framework running does not need; scripts/test.sh turns them on.
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=OFF
fi
cmake --build "$build" -j 2 --target snmp-exthost quillon ctrview

if port_taken "$port"; then
  echo "udp:127.0.0.1:$port is taken by another program (ss -ulpn shows which)." >&2
  echo "Choose another port: EXTHOST_PORT=11161 $0" >&2
  exit 1
fi

# The agent refuses configuration files that group or others may write: mode 644 whatever
# the checkout's.
drive_c="$build/example"
mkdir -p "$drive_c/quillon"
install -m 644 "$repo/examples/counters.ini" "$repo/examples/traps.ini" "$drive_c/quillon/"
install -m 644 "$repo/examples/quillon.reg" "$drive_c/quillon.reg"
if ((debug)); then
  sed -i 's/^"debug"="0"/"debug"="1"/' "$drive_c/quillon.reg"
fi

cat <<MSG
Serving the examples on udp:127.0.0.1:$port (community public). Try:
  snmpwalk -v2c -c public -t 3 -On 127.0.0.1:$port 1.3.6.1.4.1.15
  $build/tool/ctrview "Processor\\% Processor Time\\_Total"
The rows: $drive_c/quillon/counters.ini (an edit shows at the next request). Ctrl-C stops.
MSG
if ((debug)); then
  echo "The agent's debug log: $drive_c/log.txt"
fi

export QUILLON_DRIVE_C="$drive_c"
export QUILLON_REGISTRY="$drive_c/quillon.reg"
# In the background so that a signal to this script alone also reaches the service.
"$build/host/snmp-exthost" -f -Le -a "$build/agent/libquillon.so" "udp:127.0.0.1:$port" &
host_pid=$!
trap 'kill -INT "$host_pid" 2>/dev/null' INT TERM
# A signal makes wait return early; the service's own exit status comes once it has ended.
while kill -0 "$host_pid" 2>/dev/null; do
  wait "$host_pid" || true
done
wait "$host_pid" && status=0 || status=$?
if [[ -s "$drive_c/log.txt" ]]; then
  echo "The agent's debug log is kept: $drive_c/log.txt"
fi
exit "$status"
