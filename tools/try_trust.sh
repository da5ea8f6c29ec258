#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries, as an administrator would, what the program does by itself on
# folders other people can write:
#  1. a finish killed half way, then `quillmark-folder set --tooltip neu` on
#     the folder, then a start of the wizard: the later tooltip stays;
#  2. a journal written by hand that names a private (0600) icon library with
#     "copy": true: the next start copies nothing;
#  3. a folder in a Samba share whose Desktop.ini names an icon library
#     outside the share: Next, Next, Next in a real X session copies nothing
#     and leaves the settings file as it was.
# Not part of the suite: it needs xvfb-run and xdotool.
#
# Usage: tools/try_trust.sh [BUILD]   (a build with QUILLMARK_TOOLS=ON; default build-test)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$top/build-test}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export QUILLMARK_REGISTRY_DIR="$work/registry" QUILLMARK_WINDOWS_DIR="$work/windows" QUILLMARK_SMB_CONF=
export ASAN_OPTIONS=detect_leaks=0
mkdir -p "$work/home" "$work/Symbole" "$QUILLMARK_WINDOWS_DIR"
cp "$top/res/icons/ordner.dll" "$work/Symbole/"
tooltip() { tr -d '\r' <"$1/Desktop.ini" | grep -ai '^infotip='; }
journals() { ls -A "$QUILLMARK_WINDOWS_DIR" | grep -c journal; }
verdict() { if [ "$1" = "$2" ]; then echo "   ok: $1"; else echo "   WRONG: $1 (wanted $2)"; fi; }

echo "1. A finish killed half way, then the folder command, then a start"
one="$work/Ordner eins"
mkdir -p "$one"
QT_QPA_PLATFORM=offscreen "$BUILD/tools/finish_driver" "$one" "$work/Symbole" alt ordner.dll 3 0 0 >/dev/null 2>&1
echo "   journals after the kill: $(journals)"
"$BUILD/quillmark-folder" set --tooltip neu "$one"
QT_QPA_PLATFORM=offscreen QUILLMARK_EXIT_AFTER_SHOW=1 "$BUILD/quillmark" "$one" 2>&1 | sed 's/^/   stderr: /'
verdict "$(tooltip "$one")" "InfoTip=neu"
verdict "journals $(journals)" "journals 0"

echo "2. A journal written by hand naming a private icon library"
two="$work/Ordner zwei"
mkdir -p "$two"
install -m 0600 "$work/Symbole/ordner.dll" "$work/privat.dll"
printf '{"folder":"%s","tooltip":"","iconFile":"%s","iconIndex":"0","copy":true}' "$two" "$work/privat.dll" \
    >"$QUILLMARK_WINDOWS_DIR/quillmark-finish-hand12.journal"
chmod 0600 "$QUILLMARK_WINDOWS_DIR/quillmark-finish-hand12.journal"
QT_QPA_PLATFORM=offscreen QUILLMARK_EXIT_AFTER_SHOW=1 "$BUILD/quillmark" "$two" 2>&1 | sed 's/^/   stderr: /'
verdict "$(ls -A "$two" | tr '\n' ' ')" ""

echo "3. A share folder whose Desktop.ini names a library outside the share: Next, Next, Next"
share="$work/Freigabe"
mkdir -p "$share/Ordner drei" "$work/geheim"
install -m 0600 "$work/Symbole/ordner.dll" "$work/geheim/x.dll"
printf '[daten]\npath = %s\nread only = no\n' "$share" >"$work/smb.conf"
printf '[.ShellClassInfo]\r\nIconFile=%s\r\nIconIndex=2\r\n' "$work/geheim/x.dll" >"$share/Ordner drei/Desktop.ini"
before=$(sha256sum <"$share/Ordner drei/Desktop.ini")
OUT="$work" BUILD="$BUILD" TARGET="$share/Ordner drei" QUILLMARK_SMB_CONF="$work/smb.conf" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c "source '$top/tools/x_driver.sh'; rerun '' drei" 2>&1 |
    grep -v '^$' | sed 's/^/   /'
verdict "$(ls -A "$share/Ordner drei" | tr '\n' ' ')" "Desktop.ini "
verdict "$(sha256sum <"$share/Ordner drei/Desktop.ini")" "$before"
