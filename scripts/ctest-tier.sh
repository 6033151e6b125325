# shellcheck shell=bash
# Runs one tier of tests through CTest and counts what came of each test from CTest's own JUnit
# result of that very run; sourced by test.sh (and by the test of this file).
#   run_tier NAME RETRY CTEST_ARGS...
# adds to passed, failed and skipped; a tier that runs no test counts as one failure. With RETRY 1 the tests that failed run once more, chosen by
# their exact names; each that passes then counts as passed and is added to retried. Output goes
# to $log_dir/ctest-NAME.log (and ctest-NAME-retry.log), the results to the .xml beside them;
# the caller sets log_dir.

passed=0
failed=0
skipped=0
retried=()

# One line "pass NAME", "fail NAME" or "skip NAME" per test in a JUnit file of CTest. A test
# that did not run counts as skipped only when CTest skipped it on purpose (its message starts
# with SKIP_); a missing program or file is a failure, as CTest's own summary counts it.
ctest_outcomes() {
  awk '
    function attr(line, key,    start) {
      if (!match(line, key "=\"[^\"]*\"")) return ""
      start = RSTART + length(key) + 2
      return substr(line, start, RSTART + RLENGTH - 1 - start)
    }
    function unescape(s) {
      gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s); gsub(/&apos;/, "\047", s)
      gsub(/&amp;/, "\\&", s)
      return s
    }
    function settle(kind) { if (name != "") print kind, name; name = "" }
    /<testcase / {
      settle("fail")  # a test not run whose reason never came
      name = unescape(attr($0, "name")); status = attr($0, "status")
      if (status == "run") settle("pass")
      else if (status == "fail") settle("fail")
      else if (status == "disabled") settle("skip")
      next
    }
    /<skipped / && name != "" { settle(attr($0, "message") ~ /^SKIP_/ ? "skip" : "fail") }
    END { settle("fail") }
  ' "$1"
}

# A CTest -R expression that matches exactly the names on standard input, one a line.
exact_names_regex() {
  local alternatives="" name
  while IFS= read -r name; do
    [ -n "$name" ] || continue
    alternatives+="${alternatives:+|}$(printf '%s' "$name" | sed 's/[][\.*^$+?(){}|]/\\&/g')"
  done
  printf '^(%s)$' "$alternatives"
}

run_tier() {
  local name=$1 retry=$2
  shift 2
  local log="${log_dir:?}/ctest-$name.log" junit="$log_dir/ctest-$name.xml"
  # A result left by an earlier run must never stand in for this one.
  rm -f "$junit" "$log_dir/ctest-$name-retry.xml"
  echo "== test $name"
  ctest "$@" --output-on-failure --output-junit "$junit" 2>&1 | tee "$log" \
    | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
  if [ ! -s "$junit" ]; then
    echo "ctest $name did not finish"
    failed=$((failed + 1))
    return 0
  fi
  local outcomes first_failures
  outcomes=$(ctest_outcomes "$junit")
  # A tier whose selection matches nothing, or whose every test skips, has tested nothing.
  if ! grep -qE '^(pass|fail) ' <<<"$outcomes"; then
    echo "ctest $name ran no test"
    failed=$((failed + 1))
  fi
  passed=$((passed + $(grep -c '^pass ' <<<"$outcomes")))
  skipped=$((skipped + $(grep -c '^skip ' <<<"$outcomes")))
  first_failures=$(sed -n 's/^fail //p' <<<"$outcomes")
  [ -n "$first_failures" ] || return 0
  if [ "$retry" != 1 ]; then
    failed=$((failed + $(grep -c . <<<"$first_failures")))
    return 0
  fi

  echo "== test $name, second try of the failed"
  local retry_log="$log_dir/ctest-$name-retry.log" retry_junit="$log_dir/ctest-$name-retry.xml"
  ctest "$@" -R "$(exact_names_regex <<<"$first_failures")" --output-on-failure \
    --output-junit "$retry_junit" >"$retry_log" 2>&1
  echo "-- first try, failed:"
  echo "$first_failures"
  echo "-- second try:"
  cat "$retry_log"
  local passed_again="" test
  [ -s "$retry_junit" ] && passed_again=$(ctest_outcomes "$retry_junit" | sed -n 's/^pass //p')
  while IFS= read -r test; do
    if grep -qxF -- "$test" <<<"$passed_again"; then
      retried+=("$test")
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
    fi
  done <<<"$first_failures"
}

# The lines that end a run: who passed only on the second try, how many skipped, and the counts.
print_summary() {
  if [ "${#retried[@]}" -gt 0 ]; then
    local names="" test
    for test in "${retried[@]}"; do names+="${names:+, }$test"; done
    echo "parlo: retried: $names"
  fi
  echo "parlo: $skipped skipped"
  echo "parlo: $passed passed, $failed failed"
}
