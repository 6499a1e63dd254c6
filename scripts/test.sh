#!/usr/bin/env bash
# The test command: installs what is missing, builds for Linux and cross-builds for
# Windows, then runs every test. With --asan the AddressSanitizer/UBSan build runs them too.
# The tests that change the machine (install and purge the real Debian package, which adds
# the user quillon) run only with QUILLON_SYSTEM_TESTS=1, as CI (.ci/run) sets it.
set -euo pipefail
cd "$(dirname "$0")/.."

# The last line says how it all went, whichever step ended it.
trap 'status=$?; if ((status == 0)); then echo "test.sh: all tests passed"; else echo "test.sh: FAILED (exit status $status)"; fi' EXIT

"$(pwd)/scripts/install-deps.sh"

cmake --preset linux
cmake --build --preset linux

cmake --preset mingw
cmake --build --preset mingw

cmake --preset mingw64
cmake --build --preset mingw64

ctest --preset linux -j 2
if [[ "${QUILLON_SYSTEM_TESTS:-}" != 1 ]]; then
  echo "test.sh: skipped the system tests that install and purge the real package (QUILLON_SYSTEM_TESTS=1 runs them)"
fi

# The x86_64 Windows build's tests under wine64; after the Linux tests, whose agent
# answers they compare with the Windows agent's.
./tests/wine/run-wine-tests.sh build-mingw64

# Every reader of outside input under libFuzzer, 15 s each.
"$(pwd)/scripts/fuzz.sh" 15

if [[ "${1:-}" == "--asan" ]]; then
  cmake --preset linux-asan
  cmake --build --preset linux-asan
  ctest --preset linux-asan -j 2
fi
