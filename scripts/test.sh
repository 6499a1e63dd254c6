#!/usr/bin/env bash
# The test command: installs what is missing, builds for Linux and cross-builds for
# Windows, then runs every test, the threaded ones under ThreadSanitizer too. With --asan the
# AddressSanitizer/UBSan build runs them all as well.
# The tests that change the machine (install and purge the real Debian package, which adds
# the user quillon) run only with QUILLON_SYSTEM_TESTS=1, as CI (.ci/run) sets it.
set -euo pipefail
cd "$(dirname "$0")/.."

# The last line says how it all went, whichever step ended it.
trap 'status=$?; if ((status == 0)); then echo "test.sh: all tests passed"; else echo "test.sh: FAILED (exit status $status)"; fi' EXIT

"$(pwd)/scripts/install-deps.sh"

# A compiler cache, where one is installed, serves every checkout and build directory alike.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

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

# The agent's, the sampler's and the service's threads under ThreadSanitizer.
cmake --preset linux-tsan
cmake --build --preset linux-tsan
ctest --preset linux-tsan -j 2

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
