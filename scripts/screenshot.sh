#!/usr/bin/env bash
# Takes the README's picture, docs/screenshot.png: the release program on a virtual display, in a Wine prefix
# and home of its own (build/screenshot/), open on a demo folder this script makes in that prefix (folders,
# files with names in several scripts, a shortcut), so that it shows what a new user sees and nothing of the
# machine it runs on. ZOR_DPI=144 or 192 takes it at that resolution
# (written to the same file: copy it away before the next run).
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
trap zor_cleanup EXIT

zor_prepare
here=$ZOR_BUILD/screenshot
wine=$ZOR_ROOT/cmake/wine-run.sh
wincontrol=$ZOR_BUILD/bin/wincontrol.exe
caption=$(zor_window_caption)

# A home with nothing in it (under Wine the desktop is the home) and a user name of the project's own.
rm -rf "$here/home"
mkdir -p "$here/home"
export HOME=$here/home USER=zorvat LOGNAME=zorvat
zor_start_xvfb
zor_start_wine "$here/prefix"
zor_apply_dpi

demo='C:\Demo'
root=$WINEPREFIX/drive_c/Demo
rm -rf "$root"
mkdir -p "$root/Documents" "$root/Fotos 2024" "$root/Проекты" "$root/Μουσική"
printf 'Zorvat File Manager\r\n' >"$root/Read me.txt"
printf 'Dear Jürgen,\r\n' >"$root/Résumé – Jürgen Müller.txt"
printf 'Σημειώσεις\r\n' >"$root/Σημειώσεις.txt"
printf 'Отчёт\r\n' >"$root/Отчёт за квартал.txt"
printf 'item;price\r\ncafé;2.40\r\n' >"$root/naïve café prices.csv"
head -c 48000 /dev/zero >"$root/Fotos 2024/Strand.bmp"
"$wine" "$wincontrol" shortcut "$demo\\Fotos 2024 - Shortcut.lnk" "$demo\\Fotos 2024" >>"$ZOR_BUILD/wincontrol.log" 2>&1 ||
  zor_die "could not make the demo shortcut"

zor_say "starting ZorExplorer.exe on the demo folder, with a second tab on its photos"
"$wine" "$ZOR_BUILD/bin/ZorExplorer.exe" "$demo" "$demo\\Fotos 2024" >"$here/run.log" 2>&1 </dev/null &
"$wine" "$wincontrol" wait "$caption" 60 >>"$ZOR_BUILD/wincontrol.log" 2>&1 || zor_die "the main window did not appear"
sleep "${ZOR_SCREENSHOT_DELAY:-4}"
import -display "$DISPLAY" -window root "$ZOR_ROOT/docs/screenshot.png" || zor_die "could not take the screenshot"
"$wine" "$wincontrol" close "$caption" >>"$ZOR_BUILD/wincontrol.log" 2>&1
echo "screenshot: $ZOR_ROOT/docs/screenshot.png"
