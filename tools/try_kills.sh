#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kills the wizard's finish at random moments and checks that one later start
# of the wizard leaves the folder in the state the finish meant: the state an
# uninterrupted finish leaves from the same start, byte for byte and bit for
# bit. The rows are those of the final-state table; the folder starts either
# empty or customised before (another tooltip, another icon copied).
#
# Usage: tools/try_kills.sh [RUNS]      (default 200; builds build-kills/ unless KILLS_BUILD is set)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-200}
# KILLS_BUILD names a build that already has the three programs (one with
# -DQUILLMARK_TOOLS=ON, such as build-test) instead.
build=${KILLS_BUILD:-$top/build-kills}
if [ -z "${KILLS_BUILD:-}" ]; then
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_TESTS=OFF -DQUILLMARK_TOOLS=ON >/dev/null || exit 1
    cmake --build "$build" --target quillmark quillmark-folder finish_driver -j "$(nproc)" >/dev/null || exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_HOME="$work/home/.local/share" QUILLMARK_REGISTRY_DIR="$work/registry"
export QUILLMARK_WINDOWS_DIR="$work/windows" QUILLMARK_SMB_CONF=
icons="$work/Symbole"
folder="$work/Mein Ordner"
mkdir -p "$icons" "$work/home"
cp "$top/res/icons/ordner.dll" "$top/res/icons/Archiv.ico" "$top/res/icons/Ordner Bilder.ico" "$icons/"

rows=("Hallo|ordner.dll|3|0" "Hallo|ordner.dll|3|1" "Hallo||0|0" "|Archiv.ico|0|0" "|Archiv.ico|0|1" "||0|0")

prepare() { # START: 0 empty, 1 customised before
    rm -rf "$folder" "$QUILLMARK_WINDOWS_DIR"/*.journal
    mkdir -p "$folder"
    if [ "$1" = 1 ]; then
        "$build/quillmark-folder" set --tooltip "Vorher" --icon "$icons/Ordner Bilder.ico" --copy "$folder" >/dev/null
        printf '[ViewState]\r\nMode=4\r\n' >>"$folder/Desktop.ini"
    fi
}

# The folder's entries, their bytes and their stored attribute bits.
snapshot() {
    (cd "$folder" && for f in . $(ls -A); do
        printf '%s %s %s\n' "$f" "$(getfattr --only-values -n user.DOSATTRIB "$f" 2>/dev/null)" \
            "$([ -f "$f" ] && md5sum <"$f" | cut -c1-32)"
    done)
}

drive() { # ROW [DELAY_US]
    IFS='|' read -r tooltip file cell copy <<<"$1"
    "$build/tools/finish_driver" "$folder" "$icons" "$tooltip" "$file" "$cell" "$copy" ${2:+"$2"} 2>/dev/null
}

declare -A meant start took
for s in 0 1; do
    for r in "${!rows[@]}"; do
        prepare "$s"
        start[$s]=$(snapshot)
        us=$(drive "${rows[$r]}") || { echo "row $r from start $s: the finish did not run"; exit 1; }
        meant[$s.$r]=$(snapshot)
        took[$s.$r]=$us
    done
done

untouched=0 finished=0 middle=0 good=0 bad=0 journals=0
for ((i = 0; i < runs; i++)); do
    s=$((i % 2)) r=$(((i / 2) % ${#rows[@]}))
    prepare "$s"
    # Uniform over the finish's own length, measured above.
    delay=$((RANDOM * 32768 + RANDOM))
    delay=$((delay % (took[$s.$r] + 1)))
    drive "${rows[$r]}" "$delay" >/dev/null
    after=$(snapshot)
    ls "$QUILLMARK_WINDOWS_DIR"/*.journal >/dev/null 2>&1 && journals=$((journals + 1))
    if [ "$after" = "${start[$s]}" ]; then untouched=$((untouched + 1))
    elif [ "$after" = "${meant[$s.$r]}" ]; then finished=$((finished + 1))
    else middle=$((middle + 1)); fi
    QUILLMARK_EXIT_AFTER_SHOW=1 timeout 60 "$build/quillmark" "$work/home" >/dev/null 2>&1
    if [ "$(snapshot)" = "${meant[$s.$r]}" ]; then good=$((good + 1))
    else
        bad=$((bad + 1))
        echo "run $i (row $r, start $s, killed after ${delay} us): not the state the finish meant"
        diff <(echo "${meant[$s.$r]}") <(snapshot) | sed 's/^/    /'
    fi
done
echo "finish lengths (us): $(for k in "${!took[@]}"; do printf '%s ' "${took[$k]}"; done)"
echo "$runs kills: $middle in the middle of the finish, $untouched before its first change," \
    "$finished after its last; $journals left a journal"
echo "after one start: $good in the state the finish meant, $bad not"
[ "$bad" = 0 ]
