#!/usr/bin/env bash
# scripts/ctest-tier.sh on a throwaway CTest project: a test that fails once passes on its second
# try and is named, one that fails twice counts once as failed, a skip counts as skipped, a tier
# that runs no test fails, and neither a test of another tier nor a result left by an earlier run
# is run or counted.
#   ctest-tier-test.sh WORK_DIR
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$1
rm -rf "$work"
mkdir -p "$work/logs"
cmake -S "$root/tests/scripts/throwaway" -B "$work/project" >"$work/configure.log" 2>&1 \
  || { cat "$work/configure.log"; exit 1; }

log_dir=$work/logs
# What an earlier run could have left: results that name the other tier's test as failed.
stale='<testsuite tests="1">
	<testcase name="Outside" classname="Outside" time="0" status="fail">'
printf '%s\n' "$stale" >"$log_dir/ctest-e2e.xml"
printf '%s\n' "$stale" >"$log_dir/ctest-e2e-retry.xml"
mkdir -p "$work/project/Testing/Temporary"
echo "5:Outside" >"$work/project/Testing/Temporary/LastTestsFailed.log"

source "$root/scripts/ctest-tier.sh"
# Nothing fails: nothing runs twice, and the stale results above do not make anything run.
run_tier e2e 1 --test-dir "$work/project" -L e2e -E Fails >"$work/run.log" 2>&1
print_summary >"$work/summary-clean.txt"
passed=0 failed=0 skipped=0 retried=()
run_tier e2e 1 --test-dir "$work/project" -L e2e >>"$work/run.log" 2>&1
print_summary >"$work/summary.txt"
# A label that matches nothing, and a tier whose only test skips: each ran no test.
passed=0 failed=0 skipped=0 retried=()
run_tier none 0 --test-dir "$work/project" -L no-such-tier >>"$work/run.log" 2>&1
run_tier e2e 1 --test-dir "$work/project" -L e2e -R Skips >>"$work/run.log" 2>&1
print_summary >"$work/summary-none.txt"

status=0
expect() {  # what, expected file, actual file
  if ! diff -u "$2" "$3"; then
    echo "$1 differ (above: - expected, + actual); the run said:"
    cat "$work/run.log"
    status=1
  fi
}
expect "the summary lines of the run without failures" <(printf '%s\n' 'parlo: 1 skipped' \
  'parlo: 1 passed, 0 failed') "$work/summary-clean.txt"
expect "the summary lines" <(printf '%s\n' 'parlo: retried: e2e.FailsOnce(first try)' 'parlo: 1 skipped' \
  'parlo: 2 passed, 1 failed') "$work/summary.txt"
expect "the summary lines of the tiers that ran no test" <(printf '%s\n' 'parlo: 1 skipped' \
  'parlo: 0 passed, 2 failed') "$work/summary-none.txt"
expect "the runs" <(printf '%s\n' e2e.AlwaysFails e2e.AlwaysFails 'e2e.FailsOnce(first try)' \
  'e2e.FailsOnce(first try)' e2e.Passes e2e.Passes e2e.Skips e2e.Skips e2e.Skips) <(sort "$work/project/runs")
exit $status
