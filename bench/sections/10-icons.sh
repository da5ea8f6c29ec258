# Icons: the grid's work on shell32.dll, and dumping every group against
# icoutils. Sourced by bench/run.
shell32="$WINE_DIR/shell32.dll"

# Count + extract, decode and draw the first 20 large icons; the median of
# 15 repetitions, wall and CPU time.
medians=$(QM_BENCH_ICON_FILE="$shell32" "$BUILD/bench/qm_bench_icons" --benchmark_repetitions=15 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null \
    | awk -F, '$1 ~ /_median"?$/ { printf "%.3f %.3f", $3, $4 }')
budget icons_first20_large_median "${medians%% *}" "<=" 1 ms
figure icons_first20_large_cpu_median "${medians##* }" ms

# Every group as PNG, side by side with wrestool + icotool on the same file,
# both writing into the scratch folder.
dump_ours() { "$BUILD/quillmark-icons" dump "$shell32" "$SCRATCH/ours"; }
dump_theirs() {
    mkdir -p "$SCRATCH/ico" "$SCRATCH/png" && wrestool -x -t14 "$shell32" -o "$SCRATCH/ico/" \
        && icotool -x -o "$SCRATCH/png/" "$SCRATCH/ico/"*.ico
}
ours=$(seconds_of dump_ours)
figure icons_dump_pngs "$(ls "$SCRATCH/ours" | wc -l)" files
theirs=$(seconds_of dump_theirs)
figure icons_dump_quillmark "$ours" s
figure icons_dump_icoutils "$theirs" s
ratio icons_dump "$ours" "$theirs" ">=" 20
rm -rf "$SCRATCH"/*
ours_cpu=$(cpu_seconds_of dump_ours)
rm -rf "$SCRATCH"/*
theirs_cpu=$(cpu_seconds_of dump_theirs)
rm -rf "$SCRATCH"/*
figure icons_dump_quillmark_cpu "$ours_cpu" s
figure icons_dump_icoutils_cpu "$theirs_cpu" s
