# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up: process start to the first paint of the introduction page,
# against an empty Qt window of the same size started the same way, in
# turns; both programs end themselves after their first paint. The budgets
# hold under Xvfb, a real X server; the offscreen figures follow for
# reference (the empty window there never even loads a font). Sourced by
# bench/run.
startup_store=$(mktemp -d)

# Prints the turns on one platform: lines "quillmark SECONDS KB" and
# "empty SECONDS KB".
startup_turns() {
    local platform=$1
    local run=(env QUILLMARK_REGISTRY_DIR="$startup_store/registry" QUILLMARK_WINDOWS_DIR="$startup_store/windows"
        XDG_CONFIG_HOME="$startup_store/config" XDG_DATA_HOME="$startup_store/data")
    if [ "$platform" = offscreen ]; then
        run+=(QT_QPA_PLATFORM=offscreen)
    else
        run+=(xvfb-run -a -s "-screen 0 1280x1024x24")
    fi
    "${run[@]}" "$here/window/startup_turns.sh" "$BUILD/bench/qm_bench_launch" "$BUILD/quillmark" \
        "$BUILD/bench/qm_bench_empty_window" "${STARTUP_RUNS:-11}"
}

# The median of the seconds of one program's lines.
startup_median() {
    awk -v who="$1" '$1 == who { print $2 }' <<<"$2" | sort -n \
        | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "nan" }'
}

# The wizard's highest peak resident set over its starts, in megabytes.
startup_peak_mb() {
    awk '$1 == "quillmark" && $3 > m { m = $3 } END { printf "%.1f", m / 1024 }' <<<"$1"
}

if command -v xvfb-run >/dev/null; then
    startup_lines=$(startup_turns xcb)
    startup_ours=$(startup_median quillmark "$startup_lines")
    startup_theirs=$(startup_median empty "$startup_lines")
    figure startup_quillmark_median_xcb "$startup_ours" s
    figure startup_empty_window_median_xcb "$startup_theirs" s
    ratio startup_quillmark_over_empty_window_xcb "$startup_theirs" "$startup_ours" "<=" 1.5
    budget startup_quillmark_peak_rss_xcb "$(startup_peak_mb "$startup_lines")" "<=" 40 MB
else
    echo "xvfb-run is missing: the start-up budgets are not checked" >&2
    missed=1
fi

startup_lines=$(startup_turns offscreen)
figure startup_quillmark_median_offscreen "$(startup_median quillmark "$startup_lines")" s
figure startup_empty_window_median_offscreen "$(startup_median empty "$startup_lines")" s
figure startup_quillmark_peak_rss_offscreen "$(startup_peak_mb "$startup_lines")" MB
rm -rf "$startup_store"
