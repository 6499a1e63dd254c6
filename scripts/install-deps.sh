#!/usr/bin/env bash
# Installs the Debian packages that are missing, only those.
#   install-deps.sh            what the build and every test need (the full set)
#   install-deps.sh --runtime  what building, packaging and running the service on Linux
#                              needs: no cross compilers, no test tools
set -euo pipefail

runtime_packages=(
  cmake ninja-build g++
  libsnmp-dev snmp
  dpkg-dev file
)

packages=(
  cmake ninja-build g++ pkg-config clang-format
  libgtest-dev
  g++-mingw-w64-i686
  g++-mingw-w64-x86-64-posix googletest wine64
  libsnmp-dev snmp snmpd snmptrapd
  dpkg-dev file systemd groff-base
  clang-14 libclang-rt-14-dev libfuzzer-14-dev
)

case "${1:-}" in
  --runtime) packages=("${runtime_packages[@]}") ;;
  "") ;;
  *) echo "usage: $0 [--runtime]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
