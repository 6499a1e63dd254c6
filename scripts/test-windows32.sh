#!/usr/bin/env bash
# The 32-bit Windows build (the mingw preset, i686) under 32-bit Wine: the agent session
# plays the SNMP service with the i686 quillon.dll for the examples' files and for the
# rows both systems serve, and compares the answers with the Linux agent's, as the CI
# does for the x86_64 build.
#
# Not part of the test command: machines whose kernel refuses 32-bit code (these do:
# "32-bit emulation disabled") run 32-bit Wine only through qemu-user, and this script
# changes the machine for that: it adds the i386 architecture and wine32, installs
# qemu-user-static from bookworm-backports (Debian 12's qemu 7.2 takes about 50 s per
# Wine process, the backports' about 0.3 s) and registers it as the handler of i386
# programs (binfmt_misc). Run it before a release that ships the 32-bit DLL, or after
# changing the agent's ABI-facing code, on a machine where that is acceptable.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
build=build-mingw32-wine
loader=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver32

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
apt_install() { DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@"; }

"$repo/scripts/install-deps.sh"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" apt-get update -qq
fi
if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "deb http://deb.debian.org/debian bookworm-backports main" |
    "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq
fi
[[ -x "$loader" ]] || apt_install wine32:i386
dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null | grep -q '^1:[1-9][0-9]' ||
  apt_install -t bookworm-backports qemu-user-static binfmt-support
[[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]] || "${sudo_cmd[@]}" update-binfmts --enable qemu-i386

# The Linux agent's answers, then the i686 agent and its session.
cmake --preset linux
cmake --build --preset linux --target quillon agent_session
ctest --preset linux -R agent_session_linux
cmake --preset mingw -B "$build" -DQUILLON_TESTS=ON -DQUILLON_WINE_LOADER="$loader"
cmake --build "$build" --target quillon agent_session

export WINEARCH=win32
prefix="$repo/$build/wine-prefix"
results="$repo/$build/wine-results"
rm -rf "$prefix" "$results"
mkdir -p "$prefix"
WINEPREFIX="$prefix" WINEDEBUG=-all "$wineserver" -p
trap 'WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true' EXIT

run=("$repo/tests/wine/run-under-wine.sh" "$loader" "$prefix")
status=0
for files in examples portable_rows; do
  if [[ "$files" == examples ]]; then
    counters=examples/counters.ini traps=examples/traps.ini answers=linux-answers-examples.txt
  else
    counters=tests/wine/portable-counters.ini traps=tests/wine/portable-traps.ini
    answers=linux-answers-portable-rows.txt
  fi
  tests/wine/compare-agent-answers.sh "${run[@]}" "$repo/$build/tests/wine/agent_session.exe" \
    "$repo/$build/agent/quillon.dll" "$repo/$counters" "$repo/$traps" \
    "$repo/build/tests/wine/$answers" "$results" "agent_session_${files}" || status=1
done
tests/wine/summarise.sh "$results" || status=1
exit "$status"
