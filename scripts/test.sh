#!/usr/bin/env bash
# Builds everything and runs every test tier:
#   host    core unit tests with AddressSanitizer and UBSan
#   bench   the benchmarks, a short smoke run of each
#   fuzz    each libFuzzer target for PARLO_FUZZ_SECONDS (default 60)
#   win64   the core tests, the Windows tier and the end-to-end scenarios under wine64 on Xvfb;
#           a failing end-to-end scenario gets a second try, and those that passed only then are
#           named on a line "parlo: retried: A, B" before the summary
#   win32   built and linked only (32-bit code cannot run here)
# Tests that skipped are counted apart, on a line "parlo: N skipped" before the summary.
# Ends with one line "parlo: N passed, N failed" and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || { echo "setup failed"; exit 1; }

jobs=$(nproc)
log_dir="$root/build/logs"
mkdir -p "$log_dir"

build() {
  local preset=$1; shift
  echo "== build $preset"
  cmake --preset "$preset" "$@" >"$log_dir/configure-$preset.log" 2>&1 \
    || { cat "$log_dir/configure-$preset.log"; return 1; }
  cmake --build --preset "$preset" -j "$jobs" >"$log_dir/build-$preset.log" 2>&1 \
    || { tail -n 60 "$log_dir/build-$preset.log"; return 1; }
}

for preset in host bench fuzz win64 win32; do
  extra=()
  [ "$preset" = fuzz ] && extra=(-DPARLO_FUZZ_SECONDS="${PARLO_FUZZ_SECONDS:-60}")
  build "$preset" "${extra[@]}" || { echo "parlo: 0 passed, 1 failed"; exit 1; }
done

source scripts/ctest-tier.sh
run_tier host 0 --test-dir build/host -j "$jobs"
run_tier bench 0 --test-dir build/bench
run_tier fuzz 0 --test-dir build/fuzz -j "$jobs"

source scripts/wine-env.sh
wine_env_start "$root/build/win64/wineprefix"
trap wine_env_stop EXIT
# The core tests and the in-process Windows tier get one try: a failure there is a fault.
run_tier win64 0 --test-dir build/win64 --timeout 300 -LE e2e
# The end-to-end scenarios are driven through real input, whose timing on a virtual display
# varies under Wine: a failing scenario gets one more try, and each that needed it is named.
run_tier e2e 1 --test-dir build/win64 --timeout 300 -L e2e
wine_env_stop
trap - EXIT

print_summary
[ "$failed" -eq 0 ]
