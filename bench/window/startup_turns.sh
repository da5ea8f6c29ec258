#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the wizard and the empty window in turns, RUNS times each after one
# warm-up start of both, and prints "quillmark SECONDS KILOBYTES" and
# "empty SECONDS KILOBYTES" per start. Both end after their first paint.
#
# Usage: startup_turns.sh LAUNCH QUILLMARK EMPTY_WINDOW RUNS
set -u
launch=$1 quillmark=$2 empty=$3 runs=$4
export QUILLMARK_EXIT_AFTER_SHOW=1
"$launch" "$quillmark" >/dev/null
"$launch" "$empty" >/dev/null
for ((i = 0; i < runs; ++i)); do
    echo "quillmark $("$launch" "$quillmark")"
    echo "empty $("$launch" "$empty")"
done
