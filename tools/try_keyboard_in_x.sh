#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the wizard keyboard only, as a screen-reader user would, and makes the
# same choice with the mouse on a second folder; the two folders must come out
# alike. Needs an X server and a session bus:
#   dbus-run-session -- xvfb-run -a -s "-screen 0 800x600x24" tools/try_keyboard_in_x.sh BUILD_DIR
# (with other X servers about, name a free display: xvfb-run -n 173 ...)
# Prints the accessible tree of each page as AT-SPI shows it (tools/atspi_tree.py,
# Debian's python3-pyatspi) and leaves screenshots of the focus in $OUT.
set -u
BUILD="$(cd "${1:?usage: tools/try_keyboard_in_x.sh BUILD_DIR}" && pwd)"
HERE="$(cd "$(dirname "$0")" && pwd)"
OUT="${OUT:-/tmp/quillmark-keys}"
rm -rf "$OUT" && mkdir -p "$OUT/reg" "$OUT/win" "$OUT/Tastatur" "$OUT/Maus"
export QUILLMARK_REGISTRY_DIR="$OUT/reg" QUILLMARK_WINDOWS_DIR="$OUT/win" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
/usr/libexec/at-spi-bus-launcher --launch-immediately &
BUS=$!
sleep 1

. "$HERE/x_driver.sh"
tree() { echo "== accessible tree: $1"; /usr/bin/python3 "$HERE/atspi_tree.py" quillmark; }
keys() { for k in "$@"; do xdotool key "$k"; sleep 0.15; done; }
TOOLTIP="Ferien am Meer"

mark() { MARK=$(wc -l <"$OUT/events"); }
heard() { echo "== heard: $1"; tail -n +$((MARK + 1)) "$OUT/events" | sed 's/^/   /'; }
/usr/bin/python3 "$HERE/atspi_tree.py" --listen >"$OUT/events" 2>/dev/null &
LISTENER=$!

# Keyboard only: access keys, Tab, letters, arrows and Space.
start "$OUT/Tastatur"
tree "introduction"
keys alt+w
sleep 0.5
mark
xdotool type --delay 30 "Ferien"
sleep 0.5
heard "typing six letters of the tooltip"
xdotool type --delay 30 "${TOOLTIP#Ferien}"
keys alt+q # no access key: types nothing
keys Menu # the text box's context menu, in German
sleep 0.5
shot context-menu
keys Escape
tree "tooltip page"
keys alt+w
sleep 1
shot focus-list-empty
mark
keys o # a letter: the first file starting with it
sleep 0.5
heard "a letter in the file list"
keys End # the last file: ordner.dll
sleep 0.5
shot focus-list
keys Tab Tab Tab Tab Tab Tab Tab Tab # to cell 0 after the three buttons
keys Down Right
mark
keys space # cell 6
sleep 0.5
heard "Space on cell 6"
shot focus-cell
keys Right
sleep 0.3
shot focus-beside-choice
keys Left
tree "icon page, cell 6 chosen"
for _ in $(seq 15); do xdotool key Tab; sleep 0.05; done # cells 7 to 19, the list, the folder box
sleep 0.3
shot focus-combo
keys Tab space # "...": the folder chooser, in German
sleep 1.5
shot folder-dialog
keys Escape
sleep 0.5
# Without a window manager nobody gives the window the focus back.
xdotool windowfocus --sync "$WID"
sleep 0.3
keys alt+s
sleep 0.3
shot copy-ticked
finish

# The same choice with the mouse.
start "$OUT/Maus"
click_at $(( $(px 4815) + 30 )) $(( $(px 4815) + 12 )) # Weiter
click_at $(( $(px 405) + 40 )) $(( $(px 810) + $(px 900) + 30 )) # the tooltip box
xdotool type --delay 30 "$TOOLTIP"
click_at $(( $(px 4815) + 30 )) $(( $(px 4815) + 12 ))
sleep 1
click_at $(( $(px 405) + 30 )) $(( $(px 810) + $(px 900) + 8 * 13 + 8 )) # ordner.dll, the ninth entry
click_cell 6
click_at $(( $(px 3935) + 8 )) $(( $(px 810) + $(px 3555) + 8 )) # the copy box
shot mouse-icon
finish

for run in Tastatur Maus; do
    echo "== $run"
    for f in "$OUT/$run" "$OUT/$run/Desktop.ini" "$OUT/$run/Desktop.ico"; do
        printf '%-12s %s\n' "$(basename "$f")" "$(getfattr --only-values -n user.DOSATTRIB "$f" 2>/dev/null | tr -d '\0' || echo none)"
    done
    sed 's/\r$//' "$OUT/$run/Desktop.ini"
done
if cmp -s "$OUT/Tastatur/Desktop.ini" "$OUT/Maus/Desktop.ini" && cmp -s "$OUT/Tastatur/Desktop.ico" "$OUT/Maus/Desktop.ico"; then
    echo "== keyboard and mouse runs left the same files"
else
    echo "!! keyboard and mouse runs differ"
fi
kill "$LISTENER" "$BUS"
