# SPDX-License-Identifier: GPL-3.0-or-later
# `quillmark-folder show --preview` of one folder customised with a tooltip
# and an icon of the bundled ordner.dll: the whole command, start to PNG
# written, median of 11 runs. Sourced by bench/run.
preview_command="$BUILD/quillmark-folder"
if [ ! -x "$preview_command" ]; then
    echo "preview: $preview_command is not built, so its figure is left out"
    return 0
fi
preview_folder="$SCRATCH/Vorschau"
mkdir -p "$preview_folder"
"$preview_command" set --tooltip "Projektordner mit Plänen und Fotos" \
    --icon "$here/../res/icons/ordner.dll,3" --copy "$preview_folder" >/dev/null
preview_times=()
for _ in $(seq 11); do
    preview_times+=("$(seconds_of "$preview_command" show --preview "$SCRATCH/vorschau.png" "$preview_folder")")
done
preview_median=$(printf '%s\n' "${preview_times[@]}" | sort -n | sed -n 6p)
if [ -s "$SCRATCH/vorschau.png" ]; then
    budget preview_one_folder_ms "$(awk -v s="$preview_median" 'BEGIN { printf "%.1f", s * 1000 }')" "<=" 100 ms
else
    echo "preview: no picture was written"
    # shellcheck disable=SC2034 # read by bench/run
    missed=1
fi
rm -rf "$preview_folder" "$SCRATCH/vorschau.png"
