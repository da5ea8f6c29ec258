#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries quillmark-folder as an administrator would over SSH, without a
# display, on a tree of 500 folders in a Samba share served by a private smbd
# on 127.0.0.1, and checks what a Windows client sees through smbclient's
# allinfo: the folders read-only, Desktop.ini and Desktop.ico hidden, then
# everything gone again after clear.
#
# Usage: tools/try_folder_command_on_share.sh BUILD_DIR   (a build with quillmark-folder; run as root)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: tools/try_folder_command_on_share.sh BUILD_DIR}" && pwd)
q() { env -u DISPLAY -u WAYLAND_DISPLAY "$build/quillmark-folder" "$@"; }
work=$(mktemp -d)
port=$((20000 + RANDOM % 20000))
mkdir -p "$work"/{private,lock,state,cache,pid,ncalrpc,binddns,windows} "$work/share/Bibliothek"
sed -e "s|@DIR@|$work|g" -e "s|@PORT@|$port|g" "$top/tests/data/fs/smb.conf" >"$work/smb.conf"
# In a session of its own: smbd signals its whole process group when it ends.
setsid smbd --foreground --no-process-group --configfile="$work/smb.conf" &
smbd_pid=$!
trap 'kill $smbd_pid 2>/dev/null; wait $smbd_pid 2>/dev/null; rm -rf "$work"' EXIT
client() { smbclient --configfile="$work/smb.conf" //127.0.0.1/share -p "$port" -N -t 10 -c "$1" 2>/dev/null; }
for _ in $(seq 50); do client ls >/dev/null && break; sleep 0.2; done
export QUILLMARK_SMB_CONF="$work/smb.conf" QUILLMARK_WINDOWS_DIR="$work/windows"

# 1 + 20 + 480 folders; blanks and umlauts in the names, as on real shares.
cp "$top/res/icons/ordner.dll" "$work/share/Bibliothek/"
folders=("Projekte")
for g in $(seq -w 1 20); do
    folders+=("Projekte/Gruppe $g")
    for p in $(seq -w 1 24); do folders+=("Projekte/Gruppe $g/Projekt $p Ä"); done
done
for f in "${folders[@]}"; do mkdir -p "$work/share/$f"; done
echo "tree: ${#folders[@]} folders"

# allinfo of every folder and of one file in each; counts the attribute words seen.
attributes_seen() { # FILE ("" for the folder itself)
    local commands=""
    for f in "${folders[@]}"; do commands+="allinfo \"${f//\//\\}${1:+\\$1}\";"; done
    client "$commands" | sed -n 's/^attributes: .*(\([0-9a-f]*\))$/\1/p' | sort | uniq -c | sed 's/^ */    /'
}

echo "== set --recursive with a tooltip and an icon of the share's library"
q set --recursive --tooltip "Projekt" --icon "$work/share/Bibliothek/ordner.dll,3" "$work/share/Projekte"
echo "   status $?"
echo "   folders as the client sees them (hex attribute word, count):"; attributes_seen ""
echo "   Desktop.ini as the client sees it:"; attributes_seen Desktop.ini
client 'get "Projekte\Gruppe 07\Projekt 13 Ä\Desktop.ini" -' | sed 's/\r$//; s/^/    /'

echo "== show: how many Windows will show, and why not where not"
q show --recursive --json "$work/share/Projekte" \
    | python3 -c 'import json,sys,collections; a=json.load(sys.stdin); print("   ", len(a), "folders,", collections.Counter((o["windowsShows"], o["reason"], o["storage"]) for o in a))'

echo "== set --recursive with an icon outside the share: a copy is the only way"
q set --recursive --icon "$top/res/icons/Ordner blau.ico" "$work/share/Projekte/Gruppe 03"
echo "   status $?"
client 'allinfo "Projekte\Gruppe 03\Projekt 05 Ä\Desktop.ico"' | grep '^attributes' | sed 's/^/    /'

echo "== set --no-tooltip on one folder: the icon stays"
q set --no-tooltip "$work/share/Projekte/Gruppe 01"
q show "$work/share/Projekte/Gruppe 01" | sed 's/^/    /'

echo "== clear --recursive --dry-run, then clear --recursive"
before=$(find "$work/share" -printf '%p %s\n' | sort | md5sum)
q clear --recursive --dry-run "$work/share/Projekte" | tail -1 | sed 's/^/    /'
[ "$before" = "$(find "$work/share" -printf '%p %s\n' | sort | md5sum)" ] && echo "    the dry run changed nothing"
q clear --recursive "$work/share/Projekte"
echo "   status $?"
echo "   folders as the client sees them:"; attributes_seen ""
echo "   Desktop.ini files left: $(find "$work/share/Projekte" -name Desktop.ini | wc -l)"
