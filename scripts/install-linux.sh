#!/usr/bin/env bash
# Installs Zorvat File Manager for the current user on Linux, to run through Wine; with --uninstall, removes
# exactly what the install made. It writes nothing outside the user's home:
#   DATA/zorvat/ZorExplorer.exe      the release program (built first, as scripts/run.sh does); the Wine
#                                    prefix of its own, DATA/zorvat/wineprefix, is made on the first start
#   ~/.local/bin/zorvat              the launcher: "zorvat [folder ...]" opens each folder in a tab, Unix paths too
#   DATA/applications/zorvat.desktop the desktop entry: the application menu, and "Open with" for folders
#   DATA/icons/hicolor/*/apps/zorvat.png   its icon in 16, 32, 48 and 256 pixels
# DATA is $XDG_DATA_HOME, by default ~/.local/share. Wine and the build tools are installed with apt-get when
# missing. DATA/zorvat/installed lists what the install made, for --uninstall.
# usage: install-linux.sh [--uninstall]
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"

[ -n "${HOME:-}" ] && [ -d "$HOME" ] || zor_die "HOME is not set to a folder"
data=${XDG_DATA_HOME:-$HOME/.local/share}
case $data in /*) ;; *) data=$HOME/.local/share ;; esac
dir=$data/zorvat
bin=$HOME/.local/bin
launcher=$bin/zorvat
entry=$data/applications/zorvat.desktop
manifest=$dir/installed
prefix=$dir/wineprefix

# Lines "dir PATH" (made by the install, parents first), "file PATH" and "tree PATH" (the Wine prefix), in
# memory until the program's folder exists.
listed=()
record() {
  local line
  for line in "${listed[@]}"; do [ "$line" = "$1" ] && return; done
  listed+=("$1")
  [ -d "$dir" ] && printf '%s\n' "${listed[@]}" >"$manifest"
}

# Makes a folder and its missing parents, and lists each one made, parents first.
make_dir() {
  local d=$1 made=()
  while [ ! -d "$d" ]; do
    made=("$d" "${made[@]}")
    d=$(dirname "$d")
  done
  for d in "${made[@]}"; do
    mkdir "$d" || zor_die "could not make $d"
    record "dir $d"
  done
}

# Installs a file, never over one the install did not make.
put_file() {
  local from=$1 to=$2 mode=$3
  if [ -e "$to" ] && ! grep -q -x -F "file $to" "$manifest" 2>/dev/null; then
    zor_die "$to exists and was not made by this install: move it away first"
  fi
  make_dir "$(dirname "$to")"
  install -m "$mode" "$from" "$to" || zor_die "could not write $to"
  record "file $to"
}

# A path as one argument of a desktop entry's Exec key: quoted unless it holds only plain characters; in
# quotes " ` $ and \ take a backslash, and the file's own escaping doubles every backslash again.
exec_argument() {
  local s=$1
  s=${s//%/%%}
  if [[ $s =~ ^[A-Za-z0-9/._+%-]+$ ]]; then
    printf '%s' "$s"
    return
  fi
  s=${s//\\/\\\\}
  s=${s//\"/\\\"}
  s=${s//\`/\\\`}
  s=${s//\$/\\\$}
  printf '"%s"' "${s//\\/\\\\}"
}

write_launcher() {
  local quoted=${dir//\'/\'\\\'\'}
  cat <<EOF
#!/bin/sh
# Zorvat File Manager through Wine: "zorvat [folder ...]" opens each folder in a tab of its own, Unix paths too.
# Made by install-linux.sh; install-linux.sh --uninstall removes it.
dir='$quoted'
WINEPREFIX="\$dir/wineprefix"
export WINEPREFIX WINEARCH=win64
export WINEDEBUG="\${WINEDEBUG:--all}"
# No Mono or Gecko download dialogs, and no menu entries or file types that Wine would make for this prefix.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
[ -f "\$WINEPREFIX/system.reg" ] || echo "zorvat: preparing its Wine prefix in \$WINEPREFIX (first start only)" >&2
exec wine "\$dir/ZorExplorer.exe" "\$@"
EOF
}

write_entry() {
  cat <<EOF
[Desktop Entry]
Type=Application
Name=Zorvat File Manager
GenericName=File Manager
Comment=Browse folders in tabs (a Windows program, run through Wine)
Icon=zorvat
TryExec=${launcher//\\/\\\\}
Exec=$(exec_argument "$launcher") %F
Terminal=false
MimeType=inode/directory;
Categories=System;FileTools;FileManager;
Keywords=files;folders;explorer;tabs;
StartupWMClass=zorexplorer.exe
EOF
}

# Desktops read entries without it; where the cache exists, it is kept right.
refresh_desktop_database() {
  if [ -f "$data/applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
    update-desktop-database "$data/applications" >/dev/null 2>&1 || true
  fi
}

install_program() {
  zor_install_deps
  mkdir -p "$ZOR_BUILD"
  zor_build --target ZorExplorer
  local size
  stage=$(mktemp -d) || zor_die "no temporary folder"
  trap 'rm -rf "$stage"' EXIT
  # A second install keeps the list of the first.
  [ -f "$manifest" ] && mapfile -t listed <"$manifest"
  make_dir "$dir"
  put_file "$ZOR_BUILD/bin/ZorExplorer.exe" "$dir/ZorExplorer.exe" 644
  record "tree $prefix"
  write_launcher >"$stage/zorvat"
  put_file "$stage/zorvat" "$launcher" 755
  write_entry >"$stage/zorvat.desktop"
  put_file "$stage/zorvat.desktop" "$entry" 644
  for size in 16 32 48 256; do
    put_file "$ZOR_BUILD/icon/zorvat-$size.png" "$data/icons/hicolor/${size}x$size/apps/zorvat.png" 644
  done
  refresh_desktop_database
  zor_say "installed: run zorvat, or Zorvat File Manager from the application menu"
  case ":$PATH:" in *":$bin:"*) ;; *) zor_say "note: $bin is not on your PATH yet (it is after the next login on most systems)" ;; esac
}

uninstall_program() {
  [ -f "$manifest" ] || zor_die "nothing to remove: $manifest does not exist"
  # The program may be running in its prefix.
  if [ -d "$prefix" ] && command -v wineserver >/dev/null; then
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1
  fi
  local lines line i
  mapfile -t lines <"$manifest"
  rm -f "$manifest"
  for line in "${lines[@]}"; do
    local path=${line#* }
    # Only what lies in the user's home, whatever the list says.
    case $path in "$HOME"/*) ;; *) continue ;; esac
    case $line in
    "file "*) rm -f "$path" ;;
    "tree "*) [ "$path" = "$prefix" ] && rm -rf "$path" ;;
    esac
  done
  # Folders last, each after those made inside it, and only when empty.
  for ((i = ${#lines[@]} - 1; i >= 0; i--)); do
    case ${lines[i]} in "dir $HOME"/*) rmdir "${lines[i]#dir }" 2>/dev/null ;; esac
  done
  refresh_desktop_database
  zor_say "removed Zorvat File Manager"
}

case "${1:-}" in
"") install_program ;;
--uninstall) uninstall_program ;;
*) zor_die "usage: install-linux.sh [--uninstall]" ;;
esac
