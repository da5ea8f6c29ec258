# SPDX-License-Identifier: GPL-3.0-or-later
# `quillmark-folder set` on 1,000 new folders in memory (a tooltip and a
# copied icon), side by side with the build before folders were held open
# (the parent of af93a57), three turns each in alternation, medians. The
# reference is built once from git into BENCH_DATA (Release, the command
# only); without the history its figures are left out. Sourced by bench/run.
held_reference=af93a57^
held_src="$BENCH_DATA/reference-src" held_build="$BENCH_DATA/reference-build"
if [ ! -x "$held_build/quillmark-folder" ]; then
    if ! git -C "$here/.." rev-parse -q --verify "$held_reference" >/dev/null; then
        echo "held_folder: no git history to build the reference from, so its figures are left out"
        return 0
    fi
    rm -rf "$held_src" && mkdir -p "$held_src"
    git -C "$here/.." archive "$held_reference" | tar -x -C "$held_src"
    { cmake -S "$held_src" -B "$held_build" -DCMAKE_BUILD_TYPE=Release \
        && cmake --build "$held_build" -j"$(nproc)" --target quillmark-folder; } >/dev/null 2>&1
    rm -rf "$held_src" # only the command is needed, not a second copy of the sources
fi
if [ ! -x "$held_build/quillmark-folder" ] || [ ! -x "$BUILD/quillmark-folder" ]; then
    echo "held_folder: a command is missing, so its figures are left out"
    return 0
fi

# The seconds of one run of COMMAND on 1,000 new folders; the folders that
# got no settings file are counted against it.
held_turn() {
    local parent="$SCRATCH/held" paths=() i
    rm -rf "$parent"
    for ((i = 0; i < 1000; i++)); do paths+=("$parent/Ordner $i"); done
    mkdir -p "${paths[@]}"
    seconds_of "$1" set --tooltip "Projektordner" --icon "$here/../res/icons/Ordner blau.ico" --copy "${paths[@]}"
    [ "$(find "$parent" -mindepth 2 -maxdepth 2 -name Desktop.ini | wc -l)" = 1000 ] || echo " (incomplete)" >&2
}
held_median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
held_ours=() held_theirs=()
for _ in 1 2 3; do
    held_ours+=("$(held_turn "$BUILD/quillmark-folder")")
    held_theirs+=("$(held_turn "$held_build/quillmark-folder")")
done
held_a=$(printf '%s\n' "${held_ours[@]}" | held_median)
held_b=$(printf '%s\n' "${held_theirs[@]}" | held_median)
figure held_folder_set_1000 "$held_a" s
figure held_folder_reference_set_1000 "$held_b" s
ratio held_folder_against_unheld "$held_a" "$held_b" ">=" 1.0
rm -rf "${SCRATCH:?}/held"
