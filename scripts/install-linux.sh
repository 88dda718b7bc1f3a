#!/usr/bin/env bash
# Installs Zorvat File Manager for the current user on Linux, to run through Wine; with --uninstall, removes
# exactly what the install made. It writes nothing outside the user's home:
#   DATA/zorvat/ZorExplorer.exe      the release program (built first, as scripts/run.sh does); the Wine
#                                    prefix of its own, DATA/zorvat/wineprefix, is made on the first start
#   ~/.local/bin/zorvat              the launcher: "zorvat [folder ...]" opens each folder in a tab, Unix paths too
#   DATA/applications/zorvat.desktop the desktop entry: the application menu, and "Open with" for folders
#   DATA/icons/hicolor/*/apps/zorvat.png   its icon in 16, 32, 48 and 256 pixels
# DATA is $XDG_DATA_HOME, by default ~/.local/share. The entry goes into DATA/applications/mimeinfo.cache (made
# when missing), where "Open with" looks for the programs of a file type. Wine, the build tools and
# desktop-file-utils are installed with apt-get when missing. DATA/zorvat/installed lists what the install made,
# for --uninstall.
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

# Lines "dir PATH" (made by the install, parents first), "file PATH", "tree PATH" (the Wine prefix) and
# "cache PATH" (the applications' cache, when the install made it), in memory until the program's folder exists.
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

icon_path() { echo "$data/icons/hicolor/${1}x$1/apps/zorvat.png"; }

# Never over a file the install did not make: checked for all of them before anything is written.
check_targets() {
  local to
  for to in "$dir/ZorExplorer.exe" "$launcher" "$entry" "$(icon_path 16)" "$(icon_path 32)" "$(icon_path 48)" \
    "$(icon_path 256)"; do
    if [ -e "$to" ] && ! grep -q -x -F "file $to" "$manifest" 2>/dev/null; then
      zor_die "$to exists and was not made by this install: move it away first"
    fi
  done
}

put_file() {
  local from=$1 to=$2 mode=$3
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

# GNOME's and GTK's "Open with" find the programs for a file type through the cache of the applications folder.
cache=$data/applications/mimeinfo.cache
update_cache() { update-desktop-database "$data/applications" >/dev/null 2>&1 || zor_say "could not update $cache"; }

install_program() {
  zor_prepare desktop
  check_targets
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
    put_file "$ZOR_BUILD/icon/zorvat-$size.png" "$(icon_path "$size")" 644
  done
  [ -f "$cache" ] || record "cache $cache"
  update_cache
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
  # The cache without the entry; gone when the install made it and it lists nothing else.
  if [ -d "$data/applications" ] && command -v update-desktop-database >/dev/null; then
    update_cache
    if printf '%s\n' "${lines[@]}" | grep -q -x -F "cache $cache" &&
      [ "$(grep -c -v -x -e '\[MIME Cache\]' -e '' "$cache" 2>/dev/null)" = 0 ]; then
      rm -f "$cache"
    fi
  fi
  # Folders last, each after those made inside it, and only when empty.
  for ((i = ${#lines[@]} - 1; i >= 0; i--)); do
    case ${lines[i]} in "dir $HOME"/*) rmdir "${lines[i]#dir }" 2>/dev/null ;; esac
  done
  zor_say "removed Zorvat File Manager"
}

case "${1:-}" in
"") install_program ;;
--uninstall) uninstall_program ;;
*) zor_die "usage: install-linux.sh [--uninstall]" ;;
esac
