#!/usr/bin/env bash
# Builds Zorvat File Manager and starts it under Wine. With a display it simply runs. Without one it runs on
# a virtual display, saves a screenshot of the main window to build/screenshot.png and closes the program
# as a user would (WM_CLOSE to the main window). ZOR_DPI=192 runs it at 192 dots per inch (see wine-env.sh).
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
trap zor_cleanup EXIT

zor_prepare
bin=$ZOR_BUILD/bin
wine=$ZOR_ROOT/cmake/wine-run.sh
caption=$(zor_window_caption)

if [ -n "${DISPLAY:-}" ]; then
  zor_start_wine
  zor_apply_dpi
  "$wine" "$bin/ZorExplorer.exe"
  exit $?
fi

zor_start_xvfb
zor_start_wine
zor_apply_dpi
zor_say "starting ZorExplorer.exe on the virtual display $DISPLAY"
"$wine" "$bin/ZorExplorer.exe" >"$ZOR_BUILD/run.log" 2>&1 </dev/null &
app=$!
if ! "$wine" "$bin/wincontrol.exe" wait "$caption" 60 >"$ZOR_BUILD/wincontrol.log" 2>&1; then
  cat "$ZOR_BUILD/run.log" "$ZOR_BUILD/wincontrol.log" >&2
  zor_die "the main window did not appear"
fi
# Give the tabs a moment to fill before the picture.
sleep "${ZOR_SCREENSHOT_DELAY:-3}"
shot=$ZOR_BUILD/screenshot.png
import -display "$DISPLAY" -window root "$shot" || zor_die "could not take the screenshot"
"$wine" "$bin/wincontrol.exe" close "$caption" >>"$ZOR_BUILD/wincontrol.log" 2>&1
for _ in $(seq 1 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$app" 2>/dev/null; then
  zor_die "ZorExplorer.exe did not end after WM_CLOSE"
fi
wait "$app"
rc=$?
echo "screenshot: $shot"
echo "ZorExplorer.exe exited with $rc"
exit "$rc"
