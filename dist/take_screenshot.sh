#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the AppStream screenshot: the introduction page of the real window,
# under an X server of its own. Run as
#   xvfb-run -a -s "-screen 0 800x600x24" dist/take_screenshot.sh BUILD_DIR
# (needs xdotool and ImageMagick's import); writes dist/screenshots/einfuehrung.png.
set -eu
BUILD="$(cd "${1:?usage: dist/take_screenshot.sh BUILD_DIR}" && pwd)"
out="$(cd "$(dirname "$0")" && pwd)/screenshots/einfuehrung.png"
# A fixed folder: the introduction page shows its path, and the picture is
# to come out the same every time.
scratch=/tmp/quillmark-screenshot
rm -rf "$scratch" && mkdir -p "$scratch"
trap 'kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/Urlaub 2026"
export QUILLMARK_REGISTRY_DIR="$scratch/reg" QUILLMARK_WINDOWS_DIR="$scratch/win"
"$BUILD/quillmark" "$scratch/Urlaub 2026" &
pid=$!
for _ in $(seq 50); do
    wid=$(xdotool search --onlyvisible --name "Morvane Quillmark" 2>/dev/null | head -1) && [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "${wid:-}" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 1
import -window "$wid" "$out"
echo "$out"
