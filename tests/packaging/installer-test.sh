#!/usr/bin/env bash
# The Windows installer under Wine, in a prefix and home of the test's own under the build folder: it installs
# silently for the user alone, the uninstall entry names the program and its version, the Start-menu shortcut
# starts the program, a running copy keeps it from being replaced or removed, and the silent uninstaller
# leaves the prefix as it found it.
# usage: installer-test.sh BUILD_DIR (CTest runs it; scripts/test.sh provides the display)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
export ZOR_BUILD_DIR=$build
source "$here/testlib.sh"
source "$here/../../scripts/wine-env.sh"
[ -n "${DISPLAY:-}" ] || zor_die "no DISPLAY: run the tests through scripts/test.sh"

version=$(zor_version)
caption="Zorvat File Manager v$version"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorvat File Manager'
work=$build/installer-test
T_LOG=$work/wine.log
wincontrol=$build/bin/wincontrol.exe
mkdir -p "$work"
: >"$T_LOG"
t_suite Installer "$build/test-results/installer_tests.xml"
trap zor_cleanup EXIT

# The packages exactly as scripts/package.sh makes them.
"$here/../../packaging/make-dist.sh" "$build" "$work/dist" >>"$T_LOG" 2>&1 || {
  cat "$T_LOG"
  echo "could not make the packages"
  exit 1
}
setup=$work/dist/ZorvatFileManager-$version-setup.exe

# A prefix and home of the test's own; the prefix is kept between runs (making one takes a while).
export HOME=$work/home
mkdir -p "$HOME"
zor_start_wine "$work/prefix"
user=$(t_listing "$WINEPREFIX/drive_c/users" | grep -v -E '^\./Public|^\./.*/' | head -1)
user=${user#./}
profile=$WINEPREFIX/drive_c/users/$user
folder="$profile/AppData/Local/Programs/Zorvat File Manager"
winfolder="C:\\users\\$user\\AppData\\Local\\Programs\\Zorvat File Manager"
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zorvat File Manager.lnk"
# Every run starts as on a fresh profile, without the folder of per-user programs and the user's list of
# installed programs (the installer makes both), whatever a stopped run left.
rm -rf "$profile/AppData/Local/Programs" "$shortcut"
t_wine reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /f

# What a program can leave in the prefix: the files of drive C: (Windows' own folder and the temporary folders
# aside; the uninstaller runs from a copy in the latter that Windows removes at its next start) and the
# registry (Wine's own keys aside, which it writes for every program that shows a window).
export_hive() {
  rm -f "$work/hive.export"
  t_wine regedit /E "Z:${work//\//\\}\\hive.export" "$1"
  iconv -f UTF-16 -t UTF-8 "$work/hive.export" | tr -d '\r' |
    awk '/^\[/ { skip = ($0 ~ /^\[HKEY_(CURRENT_USER|LOCAL_MACHINE)\\Software\\Wine\\/) } !skip' >"$2"
}

snapshot() {
  t_listing "$WINEPREFIX/drive_c" '^\./windows(/|$)|^\./users/[^/]+/Temp(/|$)' >"$work/$1.files"
  export_hive HKEY_CURRENT_USER "$work/$1.hkcu"
  export_hive 'HKEY_LOCAL_MACHINE\Software' "$work/$1.hklm"
}

# The value of the uninstall entry's NAME, as reg query prints it.
entry() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p" "$work/entry.txt" | tr -d '\r'; }

main_window_gone() {
  local i
  for i in $(seq 1 100); do
    wine "$wincontrol" dump "$caption" >/dev/null 2>&1 </dev/null || return 0
    sleep 0.2
  done
  return 1
}

snapshot before

t_case InstallsSilentlyIntoTheUsersProfileAlone
t_wine "$setup" /S
t_equal "exit code of the silent install" 0 $?
t_expect "the installed program is the one built" cmp -s "$build/bin/ZorExplorer.exe" "$folder/ZorExplorer.exe"
t_expect "the uninstaller is installed" test -f "$folder/Uninstall.exe"
t_expect "the Start-menu shortcut exists" test -f "$shortcut"
snapshot installed
outside=$(diff "$work/before.files" "$work/installed.files" | grep '^[<>]' | grep -v -F "> ./users/$user/")
t_equal "files added or removed outside the user's profile" "" "$outside"
t_expect "nothing written to HKEY_LOCAL_MACHINE" diff "$work/before.hklm" "$work/installed.hklm"

t_case UninstallEntryNamesTheProgramItsVersionPublisherAndSize
wine reg query "$key" >"$work/entry.txt" 2>>"$T_LOG" </dev/null
t_equal "DisplayName" "Zorvat File Manager" "$(entry DisplayName)"
t_equal "DisplayVersion" "$version" "$(entry DisplayVersion)"
t_equal "Publisher" "Zorvat" "$(entry Publisher)"
bytes=$(($(stat -c %s "$folder/ZorExplorer.exe") + $(stat -c %s "$folder/Uninstall.exe")))
t_equal "EstimatedSize (KB)" "$(((bytes + 1023) / 1024))" "$(($(entry EstimatedSize)))"
t_equal "InstallLocation" "$winfolder" "$(entry InstallLocation)"
t_equal "UninstallString" "\"$winfolder\\Uninstall.exe\"" "$(entry UninstallString)"
t_equal "QuietUninstallString" "\"$winfolder\\Uninstall.exe\" /S" "$(entry QuietUninstallString)"

t_case StartMenuShortcutStartsTheProgram
t_wine start /unix "$shortcut"
t_expect "the main window appears" t_wine "$wincontrol" wait "$caption" 30

t_case RunningProgramIsNeitherReplacedNorRemoved
before=$(stat -c %Y "$folder/ZorExplorer.exe")
t_wine "$setup" /S
t_equal "exit code of an install while the program runs (2: stopped)" 2 $?
t_equal "modification time of the program" "$before" "$(stat -c %Y "$folder/ZorExplorer.exe")"
# Run in place (_?=), so that it ends before we look.
t_wine "$folder/Uninstall.exe" /S "_?=$winfolder"
t_expect "the program is still there after the uninstaller was refused" test -f "$folder/ZorExplorer.exe"
t_expect "the shortcut is still there" test -f "$shortcut"
t_expect "the uninstall entry is still there" t_wine reg query "$key"
t_wine "$wincontrol" close "$caption"
t_expect "the program ends when closed" main_window_gone

t_case SilentUninstallLeavesNothingItMade
t_wine "$folder/Uninstall.exe" /S
# The uninstaller goes on in its copy: wait until its work is done.
for _ in $(seq 1 150); do
  [ ! -e "$folder" ] && ! t_wine reg query "$key" && break
  sleep 0.2
done
sleep 1
snapshot uninstalled
t_expect "files the same as before the install" diff "$work/before.files" "$work/uninstalled.files"
t_expect "HKEY_CURRENT_USER the same as before the install" diff "$work/before.hkcu" "$work/uninstalled.hkcu"
t_expect "HKEY_LOCAL_MACHINE the same as before the install" diff "$work/before.hklm" "$work/uninstalled.hklm"

t_finish
