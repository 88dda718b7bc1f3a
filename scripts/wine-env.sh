# Shared by run.sh and test.sh: installs what the build needs, builds, and runs Windows programs under Wine
# on a display, in a prefix of the project's own under the build folder. Source it; do not run it.

ZOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZOR_BUILD=${ZOR_BUILD_DIR:-$ZOR_ROOT/build}
case "$ZOR_BUILD" in /*) ;; *) ZOR_BUILD=$ZOR_ROOT/$ZOR_BUILD ;; esac
ZOR_XVFB_PID=
ZOR_WINE_STARTED=
ZOR_DPI_SET=

zor_say() { printf '==> %s\n' "$*" >&2; }
zor_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Installs the Debian packages behind every command the scripts use, asking apt only for what is missing.
# Extras: "package" (makensis and zip, for package.sh and the installer's tests), "desktop"
# (desktop-file-utils for the Linux install, and gio for its tests).
zor_install_deps() {
  local -a want=()
  command -v cmake >/dev/null || want+=(cmake)
  command -v make >/dev/null || want+=(make)
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || want+=(g++-mingw-w64-x86-64-posix)
  command -v x86_64-w64-mingw32-windres >/dev/null || want+=(binutils-mingw-w64-x86-64)
  [ -x /usr/lib/wine/wine64 ] || want+=(wine wine64)
  # Wine's own fonts (Tahoma, Marlett for the caption buttons) are only recommended by its packages.
  dpkg -s fonts-wine >/dev/null 2>&1 || want+=(fonts-wine)
  command -v Xvfb >/dev/null || want+=(xvfb)
  command -v xdpyinfo >/dev/null || want+=(x11-utils)
  # The build makes the program's icon with ImageMagick, which also takes the screenshots (a convert elsewhere
  # on the PATH may be another tool).
  [ -x /usr/bin/convert ] || want+=(imagemagick)
  local extra
  for extra in "$@"; do
    case $extra in
    package)
      command -v makensis >/dev/null || want+=(nsis)
      command -v zip >/dev/null || want+=(zip)
      ;;
    desktop)
      command -v desktop-file-validate >/dev/null || want+=(desktop-file-utils)
      command -v gio >/dev/null || want+=(libglib2.0-bin)
      ;;
    esac
  done
  [ -f /usr/src/googletest/CMakeLists.txt ] || want+=(googletest)
  [ ${#want[@]} -eq 0 ] && return 0
  zor_say "installing: ${want[*]}"
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q >/dev/null || zor_die "apt-get update failed"
  $sudo apt-get install -y -q --no-install-recommends "${want[@]}" >/dev/null \
    || zor_die "could not install: ${want[*]}"
}

# The program's version, as app/Version.h gives it.
zor_version() { sed -n 's/^#define ZOR_VERSION_TEXT "\(.*\)"$/\1/p' "$ZOR_ROOT/app/Version.h"; }

# The main window's title, by which the scripts find it.
zor_window_caption() { echo "Zorvat File Manager v$(zor_version)"; }

zor_build() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  if [ ! -f "$ZOR_BUILD/CMakeCache.txt" ]; then
    zor_say "configuring in $ZOR_BUILD"
    cmake -S "$ZOR_ROOT" -B "$ZOR_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ZOR_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >"$ZOR_BUILD.configure.log" 2>&1 || { cat "$ZOR_BUILD.configure.log"; zor_die "cmake configure failed"; }
  fi
  zor_say "building"
  cmake --build "$ZOR_BUILD" -j "$jobs" "$@" || zor_die "build failed"
}

# What every script that runs or ships the program does first: the packages it needs (with the extras named),
# the build folder, and the program and wincontrol built.
zor_prepare() {
  zor_install_deps "$@"
  mkdir -p "$ZOR_BUILD"
  zor_build --target ZorExplorer wincontrol
}

zor_cleanup() {
  if [ -n "$ZOR_DPI_SET" ]; then
    "$ZOR_ROOT/cmake/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
      >>"$ZOR_BUILD/wine-reg.log" 2>&1 || true
  fi
  if [ -n "$ZOR_WINE_STARTED" ]; then
    WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$WINEPREFIX wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$ZOR_XVFB_PID" ]; then
    kill "$ZOR_XVFB_PID" >/dev/null 2>&1 || true
    wait "$ZOR_XVFB_PID" 2>/dev/null || true
  fi
}

# Starts a virtual display and points DISPLAY at it. It must come before the first Wine process: a wine
# server whose first client had no display gives every later window the null driver.
# ZOR_SCREEN gives its size (default 1280x1024; 2560x2048 shows a 200 % screen of the same room).
zor_start_xvfb() {
  local n=90 i
  for _ in $(seq 1 20); do
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${ZOR_SCREEN:-1280x1024}x24" -nolisten tcp >"$ZOR_BUILD/xvfb.log" 2>&1 &
    ZOR_XVFB_PID=$!
    for i in $(seq 1 100); do
      # Another run may have taken the same number a moment earlier: ours must be the one that answers.
      kill -0 "$ZOR_XVFB_PID" 2>/dev/null || break
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        sleep 0.2
        if kill -0 "$ZOR_XVFB_PID" 2>/dev/null; then
          export DISPLAY=":$n"
          return 0
        fi
        break
      fi
      sleep 0.1
    done
    kill "$ZOR_XVFB_PID" >/dev/null 2>&1
    wait "$ZOR_XVFB_PID" 2>/dev/null
    ZOR_XVFB_PID=
    n=$((n + 1))
  done
  cat "$ZOR_BUILD/xvfb.log" >&2
  zor_die "could not start a virtual display (Xvfb)"
}

# Creates the project's Wine prefix (or the one named) on first use and starts one wine server for the whole run.
zor_start_wine() {
  export WINEPREFIX=${1:-$ZOR_BUILD/wineprefix}
  export WINEDEBUG=-all
  # No Mono or Gecko dialogs; and no menu entries, desktop folders or file types made by Wine in the home.
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
  export WINEARCH=win64
  local wine=$ZOR_ROOT/cmake/wine-run.sh
  ZOR_WINE_STARTED=1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    zor_say "creating the Wine prefix in $WINEPREFIX (first run only, takes a while)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot --init >"$ZOR_BUILD/wineboot.log" 2>&1 || { cat "$ZOR_BUILD/wineboot.log" >&2; zor_die "wineboot failed"; }
    wineserver -w
  fi
  # The services that wineserver starts inherit our output: keep them away from any pipe.
  wineserver -p >"$ZOR_BUILD/wineserver.log" 2>&1 </dev/null
  # Without a window manager every window hide would wait 2 s for one, unless Wine manages nothing.
  local try
  for try in 1 2 3 4 5; do
    if "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >"$ZOR_BUILD/wine-reg.log" 2>&1; then
      # The first window of a session starts Wine's desktop process, which inherits that program's output
      # and would hold a test runner's pipe open; start it here, with its output in a file.
      if [ -f "$ZOR_BUILD/bin/wincontrol.exe" ]; then
        "$wine" "$ZOR_BUILD/bin/wincontrol.exe" desktop >>"$ZOR_BUILD/wineserver.log" 2>&1 </dev/null
      fi
      return 0
    fi
    echo "reg add failed (try $try, exit $?)" >>"$ZOR_BUILD/wine-reg.log"
    sleep 1
  done
  cat "$ZOR_BUILD/wine-reg.log" >&2
  zor_die "could not write the Wine registry"
}

# Wine gives every program of a session one resolution, the prefix's "LogPixels" (dots per inch), read when
# the session starts. With ZOR_DPI set (144 for 150 %, 192 for 200 %) this writes it and starts the session
# anew; zor_cleanup writes 96 back, so that the tests, which share the prefix, always run at 96.
zor_apply_dpi() {
  [ -n "${ZOR_DPI:-}" ] || return 0
  local wine=$ZOR_ROOT/cmake/wine-run.sh
  ZOR_DPI_SET=1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$ZOR_DPI" /f \
    >>"$ZOR_BUILD/wine-reg.log" 2>&1 || zor_die "could not write the Wine registry"
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  wineserver -p >>"$ZOR_BUILD/wineserver.log" 2>&1 </dev/null
  if [ -f "$ZOR_BUILD/bin/wincontrol.exe" ]; then
    "$wine" "$ZOR_BUILD/bin/wincontrol.exe" desktop >>"$ZOR_BUILD/wineserver.log" 2>&1 </dev/null
  fi
  zor_say "Wine runs this session at $ZOR_DPI dots per inch"
}
