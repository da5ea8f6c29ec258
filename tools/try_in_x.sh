#!/usr/bin/env bash
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

px() { echo $(( ($1 + 7) / 15 )); }
start() {
    "$BUILD/quillmark" "$TARGET" &
    PID=$!
    for _ in $(seq 50); do
        WID=$(xdotool search --onlyvisible --name "Morvane Quillmark" 2>/dev/null | head -1)
        [ -n "$WID" ] && break
        sleep 0.1
    done
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$WID")" # X, Y
    xdotool windowfocus --sync "$WID"
}
click_at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.4; }
# A cell of the grid: its place inside the icon frame, inside the page's frame.
# The last row begins with cell 19, then 15 to 18.
click_cell() {
    local col=$(($1 % 5)) row=$(($1 / 5))
    if [ "$1" -ge 15 ]; then row=3; col=$(( ($1 - 14) % 5 )); fi
    click_at $(( $(px 3915) + $(px $((45 + col * 585))) + 16 )) $(( $(px 810) + $(px 900) + $(px $((45 + row * 585))) + 16 ))
}
click_folder_box() { click_at $(( $(px 405) + 40 )) $(( $(px 810) + $(px 3195) + 10 )); }
shot() { import -window root "$OUT/$1.png"; }
finish() { # Next on the icon page; the program ends by itself
    xdotool windowfocus --sync "$WID" 2>/dev/null
    xdotool key alt+w
    for _ in $(seq 100); do kill -0 "$PID" 2>/dev/null || return 0; sleep 0.1; done
    echo "!! the wizard did not end"; kill "$PID"
}
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
start
xdotool key alt+w && sleep 0.5
shot 2-tooltip
xdotool key alt+w && sleep 1.5
shot 2-icon
finish
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
DLG=""
for _ in $(seq 50); do
    DLG=$(xdotool search --onlyvisible --name "Anderes Symbol" 2>/dev/null | head -1)
    [ -n "$DLG" ] && break
    sleep 0.1
done
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
