# SPDX-License-Identifier: GPL-3.0-or-later
# The wizard driven with xdotool in a real X session: sourced by the try_*
# scripts, which set BUILD (the build folder) and OUT (screenshots).

px() { echo $(( ($1 + 7) / 15 )); }
wait_window() { # prints the id of the visible window titled $1, waiting up to five seconds
    local id=""
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
start() { # the wizard on folder $1 (default: $TARGET)
    TARGET="${1:-$TARGET}"
    "$BUILD/quillmark" "$TARGET" &
    PID=$!
    WID=$(wait_window "Morvane Quillmark")
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
rerun() { # Next, Next, Next on folder $1 (default: $TARGET), with screenshots named $2-*
    start "${1:-$TARGET}"
    xdotool key alt+w && sleep 0.5
    shot "$2-tooltip"
    xdotool key alt+w && sleep 1.5
    shot "$2-icon"
    finish
}
