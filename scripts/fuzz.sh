#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (AddressSanitizer and UndefinedBehavior-
# Sanitizer, build dir build-fuzz) and runs each for the given seconds (default 60).
# A crash fails the script after all targets ran; copy its input into tests/fuzz_regressions/<target>/ so
# that the replay test keeps it, then fix the reader.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz
targets=(reg_file ini_file oid_text integer_text counter_path provider_sources value_text)

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=OFF -DQUILLON_FUZZ=ON \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

# Seeds: the fixtures each reader is meant for, and every input that once failed.
seed_dir() {
  local target="$1" dir="$build/seeds/$1"
  rm -rf "$dir" && mkdir -p "$dir"
  if [[ -d tests/fuzz_regressions/$target ]]; then cp tests/fuzz_regressions/"$target"/* "$dir"/; fi
  case "$target" in
    reg_file) cp tests/fixtures/registry/*.reg "$dir"/ ;;
    ini_file) find examples tests/fixtures -name '*.ini' -exec cp -t "$dir" {} + ;;
    oid_text) printf '1.3.6.1.4.1.15' >"$dir/base"; printf '1.3.$f.x10.-1' >"$dir/forms" ;;
    integer_text) printf ' -2147483648' >"$dir/low"; printf '0XFFFFFFFF' >"$dir/hex" ;;
    counter_path)
      printf 'Processor\\%% Processor Time\\_Total' >"$dir/english"
      printf '\\\\host\\Process(sh#1)\\ID Process' >"$dir/full" ;;
    provider_sources)
      # The first byte chooses the file (see fuzz/inputs/provider_sources.cpp).
      local i=0
      for file in stat interrupts meminfo vmstat net/dev diskstats self/mountinfo loadavg uptime \
                  1/stat 1/status ../sys-a/class/net/eth0/speed net/snmp net/snmp6 net/tcp \
                  net/tcp6 swaps ../sys-a/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq \
                  ../sys-a/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq; do
        if [[ -f tests/fixtures/proc-a/$file ]]; then
          { printf "\\x$(printf %02x $i)"; cat "tests/fixtures/proc-a/$file"; } >"$dir/seed-$i"
        fi
        i=$((i + 1))
      done ;;
    value_text) printf '\x04\x00\x00\x00\x00\x00\x00\xf0\x3f' >"$dir/one" ;;
  esac
  echo "$dir"
}

failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target" crashes="$build/crashes/$target"
  mkdir -p "$corpus" "$crashes"
  echo "== fuzz_$target for ${seconds}s"
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -max_len=65536 \
      -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "$(seed_dir "$target")" \
      2>"$build/fuzz_$target.log"; then
    grep -v '^#' "$build/fuzz_$target.log" | head -n 40
    echo "fuzz_$target failed: its input is in $crashes/" >&2
    failed+=("$target")
    continue
  fi
  grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/fuzz_$target.log" |
    tr '\n' ' '
  echo
done
if ((${#failed[@]})); then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
