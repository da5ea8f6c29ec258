# SPDX-License-Identifier: GPL-3.0-or-later
# The typed path: the full path of the last file of Wine's x86_64-windows
# folder typed into the folder box and Enter pressed; the box selects every
# file before it in turn and draws its icons. The median of 5 runs on the
# offscreen window. Sourced by bench/run.
read -r typed_seconds typed_files < <("$BUILD/bench/qm_bench_typed_path" "$WINE_DIR" 5 2>/dev/null)
figure typed_path_files "${typed_files:-0}" files
budget typed_path_median "${typed_seconds:-nan}" "<=" 1.5 s
