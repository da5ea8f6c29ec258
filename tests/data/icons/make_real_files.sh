#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the small real icon files of this folder with real tools: .ico files
# with icotool, resource-only DLLs with llvm-rc and lld-link (PE32+ and PE32).
# The tests only read the results; run this again only to change them.
#
# Every icon is one flat colour per image size, so that tests can tell by a
# pixel which icon and which image was taken:
#   red.ico      32x32 red (32 bpp; pixel 0,0 half transparent) + 16x16 magenta
#   palette.ico  32x32 green (8 bpp), 48x48 yellow (4 bpp); the first row of
#                each holds a few grey pixels so that icotool picks those depths
#   library64.dll, library32.dll:
#     group ZEBRA (German)          red.ico
#     group 3     (English)         palette.ico
#     group 7     (German, English) German: a 32x32 blue icon, English: red.ico
#   Stored order: ZEBRA, 3, 7 (named first, then ids ascending).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# image W H R G B A GREYS [X Y R G B A]... > out.txt: a flat image in ImageMagick's
# text format, the first GREYS pixels of row 0 grey, then single pixels set.
image() {
    local w=$1 h=$2 r=$3 g=$4 b=$5 a=$6 greys=$7
    shift 7
    echo "# ImageMagick pixel enumeration: $w,$h,255,srgba"
    for ((y = 0; y < h; y++)); do for ((x = 0; x < w; x++)); do
        if ((y == 0 && x >= 1 && x <= greys)); then echo "$x,$y: ($((x * 8)),$((x * 8)),$((x * 8)),255)"
        elif (($# >= 6)) && ((x == $1 && y == $2)); then echo "$x,$y: ($3,$4,$5,$6)"
        else echo "$x,$y: ($r,$g,$b,$a)"; fi
    done; done
}
image 32 32 255 0 0 255 0 0 0 255 0 0 128 >"$tmp/red32.txt"
image 16 16 255 0 255 255 0 >"$tmp/magenta16.txt"
image 32 32 0 255 0 255 20 >"$tmp/green32.txt"
image 48 48 255 255 0 255 5 >"$tmp/yellow48.txt"
for f in red32 magenta16 green32 yellow48; do convert "$tmp/$f.txt" PNG32:"$tmp/$f.png"; done
convert -size 32x32 xc:'#0000ff' -alpha on PNG32:"$tmp/blue32.png"
icotool -c -o red.ico "$tmp/red32.png" "$tmp/magenta16.png"
icotool -c -o palette.ico "$tmp/green32.png" "$tmp/yellow48.png"
icotool -c -o "$tmp/blue.ico" "$tmp/blue32.png"

cp red.ico palette.ico "$tmp/"
cat >"$tmp/library.rc" <<'RC'
LANGUAGE 0x07, 0x01
ZEBRA ICON "red.ico"
7 ICON "blue.ico"
LANGUAGE 0x09, 0x01
3 ICON "palette.ico"
7 ICON "red.ico"
RC
(cd "$tmp" && llvm-rc /fo library.res library.rc)
for m in x64:library64 x86:library32; do
    lld-link /nologo /dll /noentry /machine:"${m%%:*}" /out:"$tmp/${m##*:}.dll" "$tmp/library.res" >/dev/null
    cp "$tmp/${m##*:}.dll" .
done
