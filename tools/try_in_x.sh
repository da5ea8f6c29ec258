#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the wizard as a user would, in a real X session: run it under
# xvfb-run (`xvfb-run -a -s "-screen 0 800x600x24" tools/try_in_x.sh BUILD_DIR`).
# Real mouse and keyboard events from xdotool; after each run it prints what
# is on disk and in the registry, and leaves screenshots in $OUT.
set -u
BUILD="$(cd "${1:?usage: tools/try_in_x.sh BUILD_DIR}" && pwd)"
OUT="${OUT:-/tmp/quillmark-try}"
rm -rf "$OUT" && mkdir -p "$OUT/reg" "$OUT/win" "$OUT/Meine Fotos"
TARGET="$OUT/Meine Fotos"
LIB="$BUILD/res/icons/ordner.dll"
export QUILLMARK_REGISTRY_DIR="$OUT/reg" QUILLMARK_WINDOWS_DIR="$OUT/win"

. "$(dirname "$0")/x_driver.sh"
state() {
    echo "== $1"
    for f in "$TARGET" "$TARGET/Desktop.ini" "$TARGET/Desktop.ico"; do
        if [ -e "$f" ]; then
            printf '%-14s %s\n' "$(basename "$f")" "$(getfattr --only-values -n user.DOSATTRIB "$f" 2>/dev/null | tr -d '\0' || echo none)"
        else
            printf '%-14s absent\n' "$(basename "$f")"
        fi
    done
    [ -e "$TARGET/Desktop.ini" ] && sed 's/\r$//' "$TARGET/Desktop.ini"
    grep -A3 'Set Folders' "$OUT/reg/HKEY_CURRENT_USER.reg" 2>/dev/null | grep Folder
    cat "$OUT/win/quillmark.dat" 2>/dev/null | tr -d '\r'
}

# 1. A tooltip, an icon from a library, copied into the folder.
start
xdotool key alt+w && sleep 0.5
xdotool type --delay 30 "Ferienfotos 2026"
shot 1-tooltip
xdotool key alt+w && sleep 1
click_folder_box
xdotool key ctrl+a && xdotool type --delay 10 "$LIB" && xdotool key Return && sleep 1.5
click_cell 3
xdotool key alt+s && sleep 0.3
shot 1-icon
finish
state "after the first run"

# 2. Again: everything comes back; finishing changes nothing.
rerun "" 2
state "after a plain re-run"

# 3. Empty tooltip, no icon: the customisation goes.
start
xdotool key alt+w && sleep 0.5
xdotool key ctrl+a BackSpace
xdotool key alt+w && sleep 1.5
click_at $(( $(px 3330) + 14 )) $(( $(px 810) + $(px 3195) + 10 )) # the clear button
shot 3-icon
finish
sleep 6
state "after removing it"

# 4. A typed folder, the library picked in the list, a cell, then any icon
# of the library through the icon-choice dialog (cell 18).
start
xdotool key alt+w && sleep 0.5 && xdotool key alt+w && sleep 1
click_folder_box
xdotool key ctrl+a && xdotool type --delay 10 "$(dirname "$LIB")" && xdotool key Return && sleep 1.5
shot 4-folder
# ordner.dll is the ninth entry of the list; entries are 13 pixels apart.
click_at $(( $(px 405) + 30 )) $(( $(px 810) + $(px 900) + 8 * 13 + 8 ))
click_cell 6
shot 4-cell
click_cell 18
DLG=$(wait_window "Anderes Symbol")
sleep 0.8
shot 4-dialog
if [ -n "$DLG" ]; then
    eval "$(xdotool getwindowgeometry --shell "$DLG" | sed 's/^/D/')" # DX, DY, DWIDTH, DHEIGHT
    # The icons stand in columns of four, 44 pixels apart: the third column's second icon.
    xdotool mousemove $((DX + 11 + 2 * 44 + 22)) $((DY + 92 + 44 + 22)) click --repeat 2 --delay 80 1
    sleep 1.5
fi
shot 4-icon
finish
state "after choosing through the dialog"
