#!/usr/bin/env bash
# Makes the packages of a built program: the Windows installer, the portable zip and their SHA-256 sums.
# usage: make-dist.sh BUILD_DIR OUT_DIR    (BUILD_DIR holds bin/ZorExplorer.exe and icon/zorvat.ico)
# Needs makensis, zip and sha256sum; scripts/package.sh installs them and builds the program first.
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/wine-env.sh"
version=$(zor_version)
[ -n "$version" ] || { echo "make-dist.sh: no version in app/Version.h" >&2; exit 1; }
exe=$build/bin/ZorExplorer.exe
icon=$build/icon/zorvat.ico
for f in "$exe" "$icon"; do
  [ -f "$f" ] || { echo "make-dist.sh: $f is missing (build the program first)" >&2; exit 1; }
done
installer=ZorvatFileManager-$version-setup.exe
portable=ZorvatFileManager-$version-portable.zip
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out/$installer" "$out/$portable" "$out/SHA256SUMS"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The installer's first and last pages show the program's icon on a band of its blue.
convert -size 164x314 xc:'#1F4E96' \( "$here/zorvat-icon.png" -resize 128x128 \) -gravity north -geometry +0+48 \
  -composite -type TrueColor "BMP3:$stage/wizard.bmp"
makensis -V2 -INPUTCHARSET UTF8 "-DEXE=$exe" "-DICON=$icon" "-DWIZARD=$stage/wizard.bmp" \
  "-DOUTFILE=$out/$installer" "$here/ZorExplorer.nsi" >&2

# The zip holds one folder, so unpacking it never scatters files; its text has Windows line ends.
folder="$stage/Zorvat File Manager"
mkdir "$folder"
cp "$exe" "$folder/ZorExplorer.exe"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$here/portable-readme.txt" >"$folder/README.txt"
(cd "$stage" && zip -q -X -r "$out/$portable" "Zorvat File Manager")

(cd "$out" && sha256sum "$installer" "$portable" >SHA256SUMS)
ls -l "$out/$installer" "$out/$portable" "$out/SHA256SUMS" | awk '{print $5, $NF}'
