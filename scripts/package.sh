#!/usr/bin/env bash
# Builds the release ZorExplorer.exe and makes its packages in build/dist/ (or the dist/ folder of ZOR_BUILD_DIR):
#   ZorvatFileManager-VERSION-setup.exe     the Windows installer (per user, no administrator rights)
#   ZorvatFileManager-VERSION-portable.zip  the program and a short text, to unpack and start anywhere
#   SHA256SUMS                              the sums of both
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"

zor_prepare package
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$ZOR_BUILD/CMakeCache.txt" ||
  zor_die "$ZOR_BUILD is not a release build: the packages ship the release program"
zor_say "making the packages in $ZOR_BUILD/dist"
"$ZOR_ROOT/packaging/make-dist.sh" "$ZOR_BUILD" "$ZOR_BUILD/dist" || zor_die "making the packages failed"
