#!/usr/bin/env bash
# The 32-bit Windows build (the mingw preset, i686) under 32-bit Wine: the agent session
# plays the SNMP service with the i686 quillon.dll for the examples' files and for the
# rows both systems serve, and compares the answers with the Linux agent's, as the CI
# does for the x86_64 build.
#
# Not part of the test command: machines whose kernel refuses 32-bit code (these do:
# "32-bit emulation disabled") run 32-bit Wine only through qemu-user, and this script
# changes the machine for that. It says what it will change and asks before it starts
# (--yes answers for it), and --undo takes it back out:
#
#   scripts/test-windows32.sh [--yes]   set the machine up where needed, then run the tests
#   scripts/test-windows32.sh --undo    remove the binfmt format, the packages and i386
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
build=build-mingw32-wine
loader=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver32
backports_list=/etc/apt/sources.list.d/bookworm-backports.list
backports_mark="# added by quillon's scripts/test-windows32.sh (--undo removes it)"
binfmt=/proc/sys/fs/binfmt_misc
qemu_format=/usr/share/qemu/binfmt.d/qemu-i386.conf

usage() { sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed -e '$d' -e 's/^# \{0,1\}//'; }
assume_yes=0
undo=0
for argument in "$@"; do
  case "$argument" in
    --yes) assume_yes=1 ;;
    --undo) undo=1 ;;
    -h | --help) usage; exit 0 ;;
    *) echo "test-windows32.sh: unknown argument $argument" >&2; usage >&2; exit 2 ;;
  esac
done

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
apt_get() { DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -y -qq "$@"; }

has_i386() { dpkg --print-foreign-architectures | grep -qx i386; }
has_backports() { grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; }
has_wine32() { [[ -x "$loader" ]]; }
# Debian 12's own qemu 7.2 takes about 50 s to start a 32-bit Wine process, the backports'
# 0.3 to 1.3 s.
has_new_qemu() { dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null | grep -q '^1:[1-9][0-9]'; }
has_format() { [[ -e "$binfmt/qemu-i386" ]]; }

if ((undo)); then
  if has_format; then echo -1 | "${sudo_cmd[@]}" tee "$binfmt/qemu-i386" >/dev/null; fi
  mapfile -t i386_packages < <(dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' |
    awk '$1 != "not-installed" && $2 ~ /:i386$/ { print $2 }')
  installed=()
  dpkg-query -W -f='${db:Status-Status}' qemu-user-static 2>/dev/null | grep -qv not-installed &&
    installed+=(qemu-user-static)
  # libc6:i386 and libgcc-s1:i386 are protected packages: apt removes them only when told.
  if ((${#i386_packages[@]} + ${#installed[@]})); then
    apt_get purge --allow-remove-essential "${i386_packages[@]}" "${installed[@]}"
  fi
  if has_i386; then "${sudo_cmd[@]}" dpkg --remove-architecture i386; fi
  if [[ -f "$backports_list" ]] && grep -qxF "$backports_mark" "$backports_list"; then
    "${sudo_cmd[@]}" rm -f "$backports_list"
  fi
  apt_get update
  echo "test-windows32.sh: removed the qemu-i386 format, qemu-user-static, ${#i386_packages[@]}" \
    "i386 packages and the i386 architecture; the amd64 libraries upgraded for wine32 keep" \
    "their new versions"
  exit 0
fi

changes=()
has_i386 || changes+=("add the i386 architecture to dpkg")
has_backports || changes+=("add the bookworm-backports source ($backports_list)")
has_wine32 || changes+=("install wine32:i386: about 100 i386 packages, and upgrade the amd64 \
libraries that must match their i386 versions")
has_new_qemu || changes+=("install qemu-user-static from bookworm-backports")
has_format || changes+=("register qemu-i386 as the handler of i386 programs in binfmt_misc \
(mounting it if needed; until the next boot)")
if ((${#changes[@]})); then
  echo "test-windows32.sh changes this machine:"
  printf '  - %s\n' "${changes[@]}"
  echo "scripts/test-windows32.sh --undo takes the format, qemu-user-static, every i386 package and"
  echo "the architecture back out (upgraded amd64 libraries keep their versions)."
  if ((!assume_yes)); then
    if [[ ! -t 0 ]]; then
      echo "test-windows32.sh: not a terminal; run it with --yes to accept" >&2
      exit 2
    fi
    read -r -p "Go on? [y/N] " answer
    [[ "$answer" == [yY]* ]] || exit 1
  fi
fi

"$repo/scripts/install-deps.sh"
if ! has_i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  apt_get update
fi
if ! has_backports; then
  printf '%s\n%s\n' "$backports_mark" "deb http://deb.debian.org/debian bookworm-backports main" |
    "${sudo_cmd[@]}" tee "$backports_list" >/dev/null
  apt_get update
fi
has_wine32 || apt_get install --no-install-recommends wine32:i386
has_new_qemu || apt_get install --no-install-recommends -t bookworm-backports qemu-user-static
# The backports' qemu ships its formats as binfmt.d files only (no update-binfmts entry):
# each line of the file is one registration.
if ! has_format; then
  [[ -e "$binfmt/register" ]] || "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  grep -v '^[#;]' "$qemu_format" | grep . | while IFS= read -r rule; do
    printf '%s' "$rule" | "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
  done
fi

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
