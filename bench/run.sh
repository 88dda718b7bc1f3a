#!/usr/bin/env bash
# Builds the benchmark programs and runs each under Wine on a virtual display; prints their figures.
# ZOR_BUILD_DIR picks the build folder (default build/). Figures are ratios against floors measured in the
# same run: absolute times on a shared machine are noise.
set -uo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"
trap zor_cleanup EXIT

zor_install_deps
mkdir -p "$ZOR_BUILD"
zor_build --target ChangeLatencyBench ShellTreeBench ShellListBench TabsBench PathCompletionBench FilterBench wincontrol
zor_start_xvfb
zor_start_wine
for bench in ChangeLatencyBench ShellTreeBench ShellListBench TabsBench PathCompletionBench FilterBench; do
  zor_say "running $bench"
  # Output to a file, never a pipe: Wine's background services inherit it.
  out=$ZOR_BUILD/$bench.log
  (cd "$ZOR_BUILD" && "$ZOR_ROOT/cmake/wine-run.sh" "bin/$bench.exe" "$@") >"$out" 2>&1 </dev/null
  grep -v 'Read access denied' "$out"
done
