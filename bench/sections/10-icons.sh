# SPDX-License-Identifier: GPL-3.0-or-later
# Icons: the grid's work on shell32.dll, and every image of every group
# written as PNG against icoutils. Sourced by bench/run.
shell32="$WINE_DIR/shell32.dll"

# Count + extract, decode and draw the first 20 large icons; the median of
# 15 repetitions, wall and CPU time.
medians=$(QM_BENCH_ICON_FILE="$shell32" "$BUILD/bench/qm_bench_icons" --benchmark_repetitions=15 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null \
    | awk -F, '$1 ~ /_median"?$/ { printf "%.3f %.3f", $3, $4 }')
budget icons_first20_large_median "${medians%% *}" "<=" 1 ms
figure icons_first20_large_cpu_median "${medians##* }" ms

# Every image of every group as PNG, side by side with wrestool + icotool
# on the same file, both writing into the scratch folder under the same
# names. Each run starts from empty output folders.
dump_ours() { "$BUILD/quillmark-icons" dump --all "$shell32" "$SCRATCH/ours"; }
dump_theirs() {
    mkdir -p "$SCRATCH/ico" "$SCRATCH/png" && wrestool -x -t14 "$shell32" -o "$SCRATCH/ico/" \
        && icotool -x -o "$SCRATCH/png/" "$SCRATCH/ico/"*.ico
}
# The median over ICONS_RUNS runs (default 5) of `timer COMMAND`; OUT
# names the folders the command writes, emptied before each run.
icons_median() {
    local timer=$1 out i
    read -ra out <<<"$2"
    shift 2
    for ((i = 0; i < ${ICONS_RUNS:-5}; i++)); do
        rm -rf "${out[@]/#/$SCRATCH/}"
        "$timer" "$@"
        echo
    done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
ours=$(icons_median seconds_of ours dump_ours)
theirs=$(icons_median seconds_of "ico png" dump_theirs)
figure icons_dump_all_quillmark_median "$ours" s
figure icons_dump_all_icoutils_median "$theirs" s
ratio icons_dump_all "$ours" "$theirs" ">=" 20
figure icons_dump_all_quillmark_cpu_median "$(icons_median cpu_seconds_of ours dump_ours)" s
figure icons_dump_all_icoutils_cpu_median "$(icons_median cpu_seconds_of "ico png" dump_theirs)" s

# The output of the last runs: the same names on both sides, and the same
# pixels wherever icotool wrote an image.
figure icons_dump_all_pngs "$(find "$SCRATCH/ours" -name '*.png' | wc -l)" files
read -r not_shared compared differing < <("$BUILD/bench/qm_bench_compare_pngs" "$SCRATCH/ours" \
    "$SCRATCH/png" 2>/dev/null | awk '{ v[$1] = $2 }
        END { if (NR == 4) print v["only_first"] + v["only_second"], v["compared"], v["differing"] }')
budget icons_dump_all_names_not_shared "${not_shared:-nan}" "<=" 0 files
figure icons_dump_all_compared "${compared:-nan}" images
figure icons_dump_all_differing "${differing:-nan}" images
rm -rf "${SCRATCH:?}"/*
