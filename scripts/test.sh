#!/usr/bin/env bash
# Builds Zorvat File Manager and runs every test executable under Wine on a virtual display.
# Ends with the line "N passed, N failed"; exits non-zero when anything failed or hung.
# ZOR_BUILD_DIR picks another build folder; arguments after -- go to ctest (for example -R toolkit).
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
# CTest unmounts the transfer tests' small disk itself; this covers a run that is stopped on the way.
trap 'zor_cleanup; "$ZOR_ROOT/tests/small-disk.sh" unmount "$ZOR_BUILD/small-disk"' EXIT

zor_install_deps package desktop
mkdir -p "$ZOR_BUILD"
zor_build
zor_start_xvfb
zor_start_wine

results=$ZOR_BUILD/test-results
rm -rf "$results"
mkdir -p "$results"
shift_args=()
[ "${1:-}" = "--" ] && { shift; shift_args=("$@"); }

zor_say "running the tests"
log=$ZOR_BUILD/ctest.log
(cd "$ZOR_BUILD" && ctest --output-on-failure --timeout "${ZOR_TEST_TIMEOUT:-600}" "${shift_args[@]}") >"$log" 2>&1 </dev/null
ctest_rc=$?
grep -v -E 'Read access denied for device|^\s*$' "$log" || true

# Sum the GoogleTest counts of every executable; one that left no report (a crash or a hang) counts as
# one failure. The steps that mount and unmount the small disk are no test executables: a failure of
# theirs fails the run through CTest's exit status.
passed=0
failed=0
for exe in $(cd "$ZOR_BUILD" && ctest -N "${shift_args[@]}" | sed -n 's/^ *Test *#[0-9]*: *\(.*_tests\)$/\1/p'); do
  xml=$results/$exe.xml
  if [ ! -s "$xml" ]; then
    echo "$exe: no test report (crashed or timed out)"
    failed=$((failed + 1))
    continue
  fi
  head=$(grep -m1 '<testsuites' "$xml")
  t=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$head")
  f=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$head")
  e=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$head")
  d=$(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$head")
  s=$(grep -c '<skipped' "$xml")
  passed=$((passed + t - f - e - ${d:-0} - s))
  failed=$((failed + f + e))
done
[ "$ctest_rc" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$ctest_rc" -eq 0 ]
