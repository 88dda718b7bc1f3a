#!/usr/bin/env bash
# scripts/install-linux.sh in a home of the test's own: it makes the launcher, the desktop entry and the icons
# and nothing else, the entry is valid and offered for folders, "zorvat FOLDER" (a Unix path) shows that
# folder's items, and --uninstall leaves the home as it was.
# usage: linux-install-test.sh BUILD_DIR (CTest runs it; scripts/test.sh provides the display)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/testlib.sh"
source "$root/scripts/wine-env.sh"

caption="Zorvat File Manager v$(zor_version)"
wincontrol=$build/bin/wincontrol.exe
home=$(mktemp -d "$build/linux-install-home.XXXXXX")
data=$home/.local/share
launcher=$home/.local/bin/zorvat
entry=$data/applications/zorvat.desktop
prefix=$data/zorvat/wineprefix
T_LOG=$build/linux-install.log
: >"$T_LOG"
t_suite LinuxInstall "$build/test-results/linuxinstall_tests.xml"
finish() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  rm -rf "$home" "$home".*
}
trap finish EXIT

# As a user's session has it: a home, a UTF-8 locale, no Wine settings of the test run.
unset XDG_DATA_HOME WINEPREFIX WINEDLLOVERRIDES WINEARCH
export HOME=$home LC_ALL=C.UTF-8
folder="$home/Projekte ünd 日本"
mkdir -p "$folder/Unterordner"
printf 'a\n' >"$folder/alpha.txt"
printf 'b\n' >"$folder/Ελληνικά.txt"
t_listing "$home" >"$home.before"

install() { ZOR_BUILD_DIR=$build "$root/scripts/install-linux.sh" "$@" >>"$T_LOG" 2>&1 </dev/null; }

t_case InstallMakesTheProgramLauncherEntryAndIconsAndNothingElse
install
t_equal "exit code of install-linux.sh" 0 $?
{
  cat "$home.before"
  for path in .local .local/bin .local/bin/zorvat .local/share .local/share/applications \
    .local/share/applications/zorvat.desktop .local/share/applications/mimeinfo.cache .local/share/icons .local/share/icons/hicolor .local/share/zorvat \
    .local/share/zorvat/ZorExplorer.exe .local/share/zorvat/installed; do
    echo "./$path"
  done
  for size in 16x16 32x32 48x48 256x256; do
    printf './.local/share/icons/hicolor/%s\n' "$size" "$size/apps" "$size/apps/zorvat.png"
  done
} | LC_ALL=C sort >"$home.expected"
t_expect "the home holds exactly the install's files (diff expected actual)" \
  diff "$home.expected" <(t_listing "$home")
t_expect "the installed program is the one built" cmp -s "$build/bin/ZorExplorer.exe" "$data/zorvat/ZorExplorer.exe"
t_expect "the launcher can be run" test -x "$launcher"
for size in 16 32 48 256; do
  t_equal "size of the ${size}-pixel icon" "${size}x$size" \
    "$(identify -format '%wx%h' "$data/icons/hicolor/${size}x$size/apps/zorvat.png" 2>&1)"
done

t_case DesktopEntryIsValidAndOfferedForFolders
t_equal "desktop-file-validate" "" "$(desktop-file-validate "$entry" 2>&1)"
t_expect "MimeType=inode/directory;" grep -q -x 'MimeType=inode/directory;' "$entry"
t_expect "Exec runs the launcher with the chosen folders" grep -q -x "Exec=$launcher %F" "$entry"
t_expect "Icon names the installed icon" grep -q -x 'Icon=zorvat' "$entry"
t_expect "GIO offers it for folders" grep -q -x -F "$(printf '\tzorvat.desktop')" <(gio mime inode/directory 2>&1)

# wincontrol in the launcher's prefix, with the launcher's settings: Wine's services, which whichever process
# comes first in a session starts, take them from it.
inside() { WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d" wine "$@"; }

# What the program's window shows: its path box, and the items of its list.
shows() {
  inside "$wincontrol" dump "$caption" 2>>"$T_LOG" </dev/null | tr -d '\r' |
    sed -n -e 's/^TEdit\t/path\t/p' -e 's/^\titem\t/item\t/p'
}

# Starts the launcher with the arguments given and waits for the window (the first start makes the prefix);
# a failure says whether the program still runs or how it ended.
start() {
  "$launcher" "$@" >>"$T_LOG" 2>&1 </dev/null &
  local program=$! i
  for i in $(seq 1 240); do
    [ -f "$prefix/system.reg" ] && break
    sleep 0.5
  done
  inside "$wincontrol" wait "$caption" 90 >>"$T_LOG" 2>&1 </dev/null && return 0
  if kill -0 "$program" 2>/dev/null; then
    t_fail "no window after 90 s, the program still running (started with: $*)"
  else
    wait "$program"
    t_fail "no window: the program ended with exit code $? (started with: $*)"
  fi
  return 1
}

# Closes the window and waits for Wine to end in the prefix.
stop() {
  inside "$wincontrol" close "$caption" >>"$T_LOG" 2>&1 </dev/null
  WINEPREFIX=$prefix wineserver -w
}

t_case LauncherOpensAFolderGivenAsAUnixPath
if start "$folder"; then
  for _ in $(seq 1 50); do
    shows >"$home.shown"
    grep -q -x -F "$(printf 'item\talpha.txt')" "$home.shown" && break
    sleep 0.2
  done
  stop
  for name in alpha.txt Ελληνικά.txt Unterordner; do
    t_expect "the list shows $name" grep -q -x -F "$(printf 'item\t%s' "$name")" "$home.shown"
  done
  t_expect "the path box shows the folder" grep -q "^path"$'\t'".*[\\\\/]Projekte ünd 日本\$" "$home.shown"
  [ -z "$T_FAILURES" ] || t_fail "the window showed: $(cat "$home.shown")"
fi
t_expect "the first start made the program's own Wine prefix" test -f "$prefix/system.reg"
t_expect "the user's default Wine prefix is left alone" test ! -e "$home/.wine"

t_case UninstallRemovesExactlyWhatTheInstallMade
install --uninstall
t_equal "exit code of install-linux.sh --uninstall" 0 $?
t_expect "the home is as before the install (diff before after)" diff "$home.before" <(t_listing "$home")

t_finish
