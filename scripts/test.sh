#!/usr/bin/env bash
# The test command: installs what is missing, builds for Linux and cross-builds for
# Windows, then runs every test. With --asan the AddressSanitizer/UBSan build runs them too.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(pwd)/scripts/install-deps.sh"

cmake --preset linux
cmake --build --preset linux

cmake --preset mingw
cmake --build --preset mingw

ctest --preset linux -j 2

# Every reader of outside input under libFuzzer, 15 s each.
"$(pwd)/scripts/fuzz.sh" 15

if [[ "${1:-}" == "--asan" ]]; then
  cmake --preset linux-asan
  cmake --build --preset linux-asan
  ctest --preset linux-asan -j 2
fi
