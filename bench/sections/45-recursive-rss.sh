# SPDX-License-Identifier: GPL-3.0-or-later
# A recursive `quillmark-folder set` over 10,000 and 100,000 folders on
# this machine's disk (100 and 1,000 folders of 100 each), with a tooltip
# and an icon named relatively: its time and its peak resident set. The walk keeps only the current
# path's listings, so the peak must not grow with the folders: the bound is
# 32 MB, and 100,000 may take at most 1.25 times the peak of 10,000.
# Sourced by bench/run.
rss_set="$BUILD/quillmark-folder"
if [ ! -x "$rss_set" ]; then
    echo "recursive_rss: $rss_set is not built, so its figures are left out"
    return 0
fi

# Makes PARENT with TOPS folders of 100 folders each.
rss_make() {
    python3 - "$1" "$2" <<'PY'
import os, sys
for top in range(int(sys.argv[2])):
    for sub in range(100):
        os.makedirs(f"{sys.argv[1]}/Bereich {top}/Ordner {sub}")
PY
}

# Runs the command over PARENT; prints "SECONDS PEAK_KB WRITTEN".
rss_run() {
    local out
    out=$(/usr/bin/time -f '%e %M' "$rss_set" set --tooltip "Projektordner" \
        --icon "$here/../res/icons/Ordner blau.ico" --recursive "$1" 2>&1 >/dev/null | tail -1)
    echo "$out $(find "$1" -mindepth 3 -maxdepth 3 -name Desktop.ini | wc -l)"
}

rss_dir="$BUILD/recursive-rss"
for rss_tops in 100 1000; do
    rm -rf "$rss_dir"
    rss_make "$rss_dir" "$rss_tops"
    read -r rss_seconds rss_kb rss_written <<<"$(rss_run "$rss_dir")"
    rss_folders=$((rss_tops * 100))
    figure "recursive_set_${rss_folders}_seconds" "$rss_seconds" s
    budget "recursive_set_${rss_folders}_written" "$rss_written" ">=" "$rss_folders" folders
    rss_mb=$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')
    budget "recursive_set_${rss_folders}_peak_rss" "$rss_mb" "<=" 32 MB
    [ "$rss_tops" = 100 ] && rss_small_mb=$rss_mb
done
budget recursive_set_peak_rss_growth "$(awk -v a="$rss_mb" -v b="$rss_small_mb" 'BEGIN { printf "%.2f", a / b }')" \
    "<=" 1.25 times
rm -rf "$rss_dir"
