#!/usr/bin/env bash
# Runs a Windows executable under Wine in the project's own prefix. CTest uses this as the cross-compiling
# emulator; scripts/wine-env.sh sets up the display, the prefix and the wine server before the first use.
set -eu
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set; run through scripts/test.sh or scripts/run.sh" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=d;mshtml=d;winemenubuilder.exe=d}"
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(command -v wine64 || command -v wine)
exec "$loader" "$@"
