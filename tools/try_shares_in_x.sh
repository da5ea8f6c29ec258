#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries what Windows machines get from folders in a Samba share, as a user
# would, in a real X session with real mouse and keys from xdotool:
#   xvfb-run -a -s "-screen 0 800x600x24" tools/try_shares_in_x.sh BUILD_DIR
# The share is one of a private smb.conf (QUILLMARK_SMB_CONF); no server runs.
# Prints what is on disk after each run and leaves screenshots in $OUT.
set -u
BUILD="$(cd "${1:?usage: tools/try_shares_in_x.sh BUILD_DIR}" && pwd)"
OUT="${OUT:-/tmp/quillmark-try-shares}"
rm -rf "$OUT" && mkdir -p "$OUT/reg" "$OUT/win" "$OUT/daten/Bibliothek" "$OUT/daten/Kunden" "$OUT/daten/Fotos"
cp "$BUILD/res/icons/ordner.dll" "$OUT/daten/Bibliothek/"
printf '[global]\n[daten]\n  path = %s/daten\n' "$OUT" >"$OUT/smb.conf"
export QUILLMARK_REGISTRY_DIR="$OUT/reg" QUILLMARK_WINDOWS_DIR="$OUT/win" QUILLMARK_SMB_CONF="$OUT/smb.conf"

. "$(dirname "$0")/x_driver.sh"
choose_file() { # types a file into the folder box and presses Enter
    click_folder_box
    xdotool key ctrl+a && xdotool type --delay 10 "$1" && xdotool key Return && sleep 1.5
}
state() {
    echo "== $1: $TARGET"
    ls -A "$TARGET"
    if [ -e "$TARGET/Desktop.ini" ]; then
        head -c 2 "$TARGET/Desktop.ini" | od -An -tx1
        iconv -f "$(head -c 2 "$TARGET/Desktop.ini" | grep -q $'\xff\xfe' && echo UTF-16 || echo WINDOWS-1252)" \
            -t UTF-8 "$TARGET/Desktop.ini" | sed 's/\r$//'
    fi
}

# 1. A folder in the share, an icon from the library folder in the same share.
start "$OUT/daten/Kunden"
xdotool key alt+w && sleep 0.5
xdotool type --delay 30 "Kundenakten"
xdotool key alt+w && sleep 1
choose_file "$OUT/daten/Bibliothek/ordner.dll"
click_cell 3
shot 1-icon
finish
state "an icon from the share's library"
before=$(md5sum "$OUT/daten/Kunden/Desktop.ini")

# 2. A plain re-run: Next, Next, Next.
start "$OUT/daten/Kunden"
xdotool key alt+w && sleep 0.5 && xdotool key alt+w && sleep 1.5
shot 2-icon
finish
[ "$before" = "$(md5sum "$OUT/daten/Kunden/Desktop.ini")" ] && echo "== plain re-run: Desktop.ini unchanged" \
    || echo "!! plain re-run changed Desktop.ini"

# 3. A bundled icon (outside the share), copy box left unticked; a Greek tooltip.
start "$OUT/daten/Fotos"
xdotool key alt+w && sleep 0.5
xdotool type --delay 60 "Φωτογραφίες"
shot 3-tooltip
xdotool key alt+w && sleep 1
choose_file "$BUILD/res/icons/Ordner blau.ico"
shot 3-icon
finish
state "a bundled icon, a Greek tooltip"

# 4. The Greek tooltip and the copy come back.
rerun "$OUT/daten/Fotos" 4
state "after a plain re-run"
