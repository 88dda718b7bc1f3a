# Shared by the packaging tests (shell scripts that CTest runs): test cases with expectations, and a report in
# GoogleTest's XML form that scripts/test.sh counts like the other executables'. Source it; do not run it.

T_SUITE=
T_REPORT=
T_CASE=
T_FAILURES=
T_SKIPPED=
T_XML=
T_COUNT=0
T_FAILED=0

# t_suite NAME REPORT: the suite's name and where its report goes.
t_suite() {
  T_SUITE=$1
  T_REPORT=$2
  mkdir -p "$(dirname "$T_REPORT")"
}

t_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"; }

# Ends the running case (if any) and starts the next one.
t_case() {
  t_end_case
  T_CASE=$1
  T_FAILURES=
  T_SKIPPED=
  echo "[ RUN      ] $T_SUITE.$T_CASE"
}

t_end_case() {
  [ -n "$T_CASE" ] || return 0
  T_COUNT=$((T_COUNT + 1))
  T_XML+="    <testcase name=\"$T_CASE\" classname=\"$T_SUITE\">"$'\n'
  if [ -n "$T_FAILURES" ]; then
    T_FAILED=$((T_FAILED + 1))
    T_XML+="      <failure message=\"$(t_escape "$T_FAILURES")\"/>"$'\n'
    echo "[  FAILED  ] $T_SUITE.$T_CASE"
  elif [ -n "$T_SKIPPED" ]; then
    T_XML+="      <skipped message=\"$(t_escape "$T_SKIPPED")\"/>"$'\n'
    echo "[  SKIPPED ] $T_SUITE.$T_CASE: $T_SKIPPED"
  else
    echo "[       OK ] $T_SUITE.$T_CASE"
  fi
  T_XML+="    </testcase>"$'\n'
  T_CASE=
}

t_fail() {
  echo "  failure: $*"
  T_FAILURES+="$*"$'\n'
}

t_skip() { T_SKIPPED=$1; }

# t_expect WHAT COMMAND...: a failure of the running case saying WHAT unless COMMAND succeeds.
t_expect() {
  local what=$1
  shift
  "$@" || t_fail "$what"
}

# t_equal WHAT EXPECTED ACTUAL
t_equal() { [ "$2" = "$3" ] || t_fail "$1: expected \"$2\", got \"$3\""; }

# Writes the report and exits with 1 when a case failed.
t_finish() {
  t_end_case
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"$T_COUNT\" failures=\"$T_FAILED\" disabled=\"0\" errors=\"0\" name=\"AllTests\">"
    echo "  <testsuite name=\"$T_SUITE\" tests=\"$T_COUNT\" failures=\"$T_FAILED\" disabled=\"0\" errors=\"0\">"
    printf '%s' "$T_XML"
    echo "  </testsuite>"
    echo "</testsuites>"
  } >"$T_REPORT"
  echo "$T_SUITE: $T_COUNT cases, $T_FAILED failed"
  [ "$T_FAILED" -eq 0 ]
}

# Everything under a folder, one relative path a line, sorted; paths matching the extended regular expression
# $2 (if given) left out.
t_listing() {
  (cd "$1" && find . -mindepth 1 | LC_ALL=C sort | { if [ -n "${2:-}" ]; then grep -v -E "$2"; else cat; fi; })
}

# Runs a Windows program in the current prefix, its output in the log file $T_LOG.
t_wine() { wine "$@" >>"$T_LOG" 2>&1 </dev/null; }
