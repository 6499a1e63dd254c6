#!/usr/bin/env bash
# The test command and the package build, from outside: scripts/test.sh ends with one line
# that says how it went, CI asks for the tests that change the machine, and the package
# preset configures without the test tool chain.
#   test_command_test.sh SOURCE_DIR SCRATCH_DIR
set -euo pipefail
source_dir="$1"
scratch="$2"
rm -rf "$scratch"
mkdir -p "$scratch/bin"
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

# A build step that fails: the last line still reports it.
printf '#!/bin/sh\nexit 3\n' >"$scratch/bin/cmake"
chmod +x "$scratch/bin/cmake"
set +e
output="$(PATH="$scratch/bin:$PATH" "$source_dir/scripts/test.sh" 2>&1)"
code=$?
set -e
last="$(tail -n 1 <<<"$output")"
[[ $code -eq 3 ]] || fail "test.sh with a failing cmake exited $code"
[[ "$last" == "test.sh: FAILED (exit status 3)" ]] || fail "last line of test.sh: $last"

grep -q '^QUILLON_SYSTEM_TESTS=1 exec ./scripts/test.sh$' "$source_dir/.ci/run" ||
  fail ".ci/run does not ask for the system tests"

# The package preset: no tests, so neither GoogleTest nor the cross compilers are looked for.
if ! configure="$(cmake -S "$source_dir" -B "$scratch/package" --preset package 2>&1)"; then
  fail "cmake --preset package: $configure"
else
  grep -q '^QUILLON_TESTS:BOOL=OFF$' "$scratch/package/CMakeCache.txt" ||
    fail "the package preset builds the tests"
  if grep -qi 'gtest' "$scratch/package/CMakeCache.txt" "$scratch/package/build.ninja"; then
    fail "the package preset looks for GoogleTest"
  fi
  grep -q 'package' "$scratch/package/build.ninja" || fail "the package preset has no package target"
fi
rm -rf "$scratch"
exit $status
