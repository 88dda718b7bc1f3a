#!/usr/bin/env bash
# Builds the benchmark programs and runs each under Wine on a virtual display, twice; prints their figures, then
# a table of the rows the programs report (each beside its goal, with both runs). ZOR_BUILD_DIR picks the
# build folder (default build/); arguments name the programs to run (default: all). Figures are ratios
# against floors measured in the same run: absolute times on a shared machine are noise.
set -uo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"
trap zor_cleanup EXIT

benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(ChangeLatencyBench ShellTreeBench ShellListBench TabsBench StartupBench PathCompletionBench FilterBench)

zor_install_deps
mkdir -p "$ZOR_BUILD"
zor_build --target "${benches[@]}" ZorExplorer wincontrol
zor_start_xvfb
zor_start_wine
rows=$ZOR_BUILD/bench-rows.txt
: >"$rows"
for run in 1 2; do
  for bench in "${benches[@]}"; do
    zor_say "run $run: $bench"
    # Output to a file, never a pipe: Wine's background services inherit it.
    out=$ZOR_BUILD/$bench.run$run.log
    (cd "$ZOR_BUILD" && "$ZOR_ROOT/cmake/wine-run.sh" "bin/$bench.exe") >"$out" 2>&1 </dev/null
    grep -v -e 'Read access denied' -e '^@row' "$out"
    grep '^@row' "$out" | sed "s/^@row/$run/" >>"$rows"
  done
done

# One line a row: what, goal, then each run's figure and whether it meets the goal.
echo
echo "Rows (two runs each)"
awk -F'\t' '
  { key = $2; if (!(key in goal)) { order[++n] = key; goal[key] = $4 } fig[key, $1] = $3; met[key, $1] = $5 }
  END {
    for (i = 1; i <= n; ++i) {
      k = order[i]
      printf "%s\n  goal %s\n", k, goal[k]
      for (r = 1; r <= 2; ++r)
        if ((k, r) in fig) printf "  run %d: %s  [%s]\n", r, fig[k, r], met[k, r]
    }
  }' "$rows"
