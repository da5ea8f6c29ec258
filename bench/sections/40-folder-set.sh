# SPDX-License-Identifier: GPL-3.0-or-later
# Many folders at once: `quillmark-folder set` with a tooltip and a copied
# icon (one of the bundled .ico files), on 1,000 new empty folders named on
# the command line, then on 1,000 more through --recursive on their parent,
# both in memory (SCRATCH), and once more on the build folder's disk, where
# the flushes to the disk count. Sourced by bench/run.
folder_set="$BUILD/quillmark-folder"
if [ ! -x "$folder_set" ]; then
    echo "folder_set: $folder_set is not built, so its figures are left out"
    return 0
fi

# Prints the paths of 1,000 new empty folders under PARENT.
folder_set_make() {
    local i paths=()
    for ((i = 0; i < 1000; i++)); do
        paths+=("$1/Ordner $i")
    done
    mkdir -p "${paths[@]}" && printf '%s\n' "${paths[@]}"
}
# The command on the arguments; a failure is noted in a file, since the
# timing keeps no exit status.
folder_set_run() {
    "$folder_set" set --tooltip "Projektordner" --icon "$here/../res/icons/Ordner blau.ico" --copy "$@" \
        || touch "$SCRATCH/folder-set-failed"
}
# The figures of one run: NAME SECONDS PARENT. The folders under PARENT
# that got a settings file are counted, so that a run doing nothing or
# failing cannot pass for a fast one.
folder_set_figures() {
    local written
    written=$(find "$3" -mindepth 2 -maxdepth 2 -iname desktop.ini | wc -l)
    figure "${1}_seconds" "$2" s
    figure "${1}_rate" "$(awk -v s="$2" -v n="$written" 'BEGIN { printf "%.0f", (s > 0 ? n / s : 0) }')" \
        folders/s
    budget "${1}_written" "$written" ">=" 1000 folders
    if [ -e "$SCRATCH/folder-set-failed" ]; then
        echo "$1: quillmark-folder set failed"
        # shellcheck disable=SC2034 # read by bench/run
        missed=1
        rm -f "$SCRATCH/folder-set-failed"
    fi
}

mapfile -t folder_set_list < <(folder_set_make "$SCRATCH/listed")
folder_set_seconds=$(seconds_of folder_set_run "${folder_set_list[@]}")
folder_set_figures folder_set "$folder_set_seconds" "$SCRATCH/listed"
budget folder_set_1000_folders "$folder_set_seconds" "<=" 2 s

folder_set_make "$SCRATCH/recursive" >/dev/null
folder_set_seconds=$(seconds_of folder_set_run --recursive "$SCRATCH/recursive")
folder_set_figures folder_set_recursive "$folder_set_seconds" "$SCRATCH/recursive"
rm -rf "${SCRATCH:?}"/*

folder_set_disk="$BUILD/folder-set-disk"
rm -rf "$folder_set_disk"
folder_set_make "$folder_set_disk" >/dev/null
folder_set_seconds=$(seconds_of folder_set_run --recursive "$folder_set_disk")
folder_set_figures folder_set_disk "$folder_set_seconds" "$folder_set_disk"
budget folder_set_disk_1000_folders "$folder_set_seconds" "<=" 2 s
rm -rf "$folder_set_disk"
