# SPDX-License-Identifier: GPL-3.0-or-later
# A share on a server: `quillmark-folder set --recursive` with a tooltip and
# an icon of the share's library over 1,000 folders of a share, against one
# smbclient process doing the same writes and setmode calls from a command
# list; both on a private smbd on 127.0.0.1, then both again through
# slow-link (1 ms each way, a 2 ms round trip as on a LAN), which counts the
# round trips. quillmark-folder writes what Windows reads alone
# (--no-linux-icon, as smbclient does), with its default number of workers
# and with --jobs 1; with the relay, 10,000 folders as well, against ten
# times the 1,000. Then the Linux icon on top, for an icon of the library
# (an image written into each folder) and for an .ico of the share (only
# .directory). Needs root (smbd), smbd and smbclient. Sourced by bench/run.
share_folders=${SHARE_FOLDERS:-1000}
share_base=$share_folders
slow_link="$here/../../shared/tools/slow-link"
[ -x "$slow_link" ] || slow_link="${SLOW_LINK:-}"
if [ "$(id -u)" != 0 ] || ! command -v smbd >/dev/null || ! command -v smbclient >/dev/null \
    || [ ! -x "$BUILD/quillmark-folder" ]; then
    echo "share: needs root, smbd, smbclient and quillmark-folder, so its figures are left out"
    return 0
fi
share_dir="$SCRATCH/samba"
share_port=$((20000 + RANDOM % 20000))
mkdir -p "$share_dir"/{private,privat,lock,state,cache,pid,ncalrpc,binddns,share/Bibliothek}
sed -e "s|@DIR@|$share_dir|g" -e "s|@PORT@|$share_port|g" "$here/../tests/data/fs/smb.conf" >"$share_dir/smb.conf"
cp "$here/../res/icons/ordner.dll" "$share_dir/share/Bibliothek/"
setsid smbd --foreground --no-process-group --configfile="$share_dir/smb.conf" >/dev/null 2>&1 &
share_smbd=$!
# share_timer: a command the runs are started under (GNU time, with the relay).
share_timer=()
share_client() { # PORT COMMANDS (one -c argument; "-": the command list on stdin)
    if [ "$2" = - ]; then
        "${share_timer[@]}" smbclient --configfile="$share_dir/smb.conf" //127.0.0.1/share -p "$1" -N -t 30 >/dev/null 2>&1
    else
        smbclient --configfile="$share_dir/smb.conf" //127.0.0.1/share -p "$1" -N -t 30 -c "$2" >/dev/null 2>&1
    fi
}
for _ in $(seq 50); do share_client "$share_port" ls && break; sleep 0.2; done

# A fresh tree of folders (Baum/Ordner N) for each run.
share_tree() {
    rm -rf "$share_dir/share/Baum" && mkdir -p "$share_dir/share/Baum"
    (cd "$share_dir/share/Baum" && seq -f "Ordner %g" 1 "$share_folders" | xargs -d '\n' mkdir)
}
# The settings file the command writes, for smbclient to put.
share_tree
QUILLMARK_SMB_CONF="$share_dir/smb.conf" "$BUILD/quillmark-folder" set --tooltip "Projekt" \
    --icon "smb://127.0.0.1:$share_port/share/Bibliothek/ordner.dll,3" \
    "smb://127.0.0.1:$share_port/share/Baum/Ordner 1" >/dev/null 2>&1
cp "$share_dir/share/Baum/Ordner 1/Desktop.ini" "$share_dir/Desktop.ini"
# An .ico that Linux file managers read as it is (bitmaps only): the image
# the run just wrote for the library's icon.
cp "$share_dir/share/Baum/Ordner 1/.quillmark.ico" "$share_dir/share/Bibliothek/Projekt.ico"
share_commands="$share_dir/commands"
for ((i = 1; i <= share_folders; i++)); do
    printf 'put "%s" "Baum\\Ordner %d\\Desktop.ini"\nsetmode "Baum\\Ordner %d\\Desktop.ini" +hs\nsetmode "Baum\\Ordner %d" +r\n' \
        "$share_dir/Desktop.ini" "$i" "$i" "$i"
done >"$share_commands"

share_icon=ordner.dll,3
share_ours() { # PORT [OPTION...]
    local port=$1
    shift
    QUILLMARK_SMB_CONF="$share_dir/smb.conf" "${share_timer[@]}" "$BUILD/quillmark-folder" set --recursive \
        --tooltip "Projekt" --icon "smb://127.0.0.1:$port/share/Bibliothek/$share_icon" "$@" \
        "smb://127.0.0.1:$port/share/Baum"
}
share_windows() { share_ours "$1" --no-linux-icon; }
share_windows_one() { share_ours "$1" --no-linux-icon --jobs 1; }
# One process reading the list, one command per line (a single -c argument
# of 3,000 commands is longer than the kernel takes).
share_theirs() { # PORT
    share_client "$1" - <"$share_commands"
}
# Folders that came out read-only with a settings file, so that a run that
# did nothing cannot pass for a fast one.
share_done() {
    find "$share_dir/share/Baum" -mindepth 2 -maxdepth 2 -name Desktop.ini | wc -l
}
# NAME SIDE PORT: the run's seconds.
share_run() {
    share_tree
    figure "share_${1}_seconds" "$(seconds_of "share_$2" "$3")" s
    figure "share_${1}_written" "$(share_done)" folders
}
share_run quillmark windows "$share_port"
share_run quillmark_jobs_1 windows_one "$share_port"
share_run smbclient theirs "$share_port"

# Through the relay: SIDE NAME. Sets share_seconds, share_trips and
# share_peak_kb (the largest process of the run, from GNU time).
share_slow() {
    local relay_port=$((share_port + 1)) relay
    "$slow_link" "$relay_port" "$share_port" --delay-ms 1.0 --stats "$share_dir/$1.stats" 2>/dev/null &
    relay=$!
    # Python starts slowly on a busy machine: wait until the relay listens.
    for _ in $(seq 100); do ss -ltn 2>/dev/null | grep -q ":$relay_port " && break; sleep 0.1; done
    share_tree
    share_timer=(/usr/bin/time -f '%e %M' -o "$share_dir/time")
    "share_$1" "$relay_port" >/dev/null 2>&1
    share_timer=()
    read -r share_seconds share_peak_kb < <(tail -1 "$share_dir/time")
    kill "$relay"; wait "$relay" 2>/dev/null
    share_trips=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["round_trips"])' "$share_dir/$1.stats")
    figure "share_${2}_2ms_${share_folders}_seconds" "$share_seconds" s
    figure "share_${2}_2ms_${share_folders}_written" "$(share_done)" folders
    figure "share_${2}_round_trips_per_folder$([ "$share_folders" = "$share_base" ] || echo "_$share_folders")" \
        "$(awk -v t="$share_trips" -v n="$share_folders" 'BEGIN { printf "%.1f", t / n }')" trips
}

if [ -n "$slow_link" ] && [ -x "$slow_link" ] && [ -x /usr/bin/time ]; then
    # Side by side: the default number of workers, one process, smbclient.
    share_slow windows quillmark
    share_ours_seconds=$share_seconds share_ours_trips=$share_trips share_small_kb=$share_peak_kb
    figure "share_quillmark_2ms_${share_folders}_peak_rss" "$(awk -v k="$share_peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')" MB
    share_slow windows_one quillmark_jobs_1
    share_one_trips=$share_trips
    share_slow theirs smbclient
    budget share_quillmark_2ms_1000_folders "$share_ours_seconds" "<=" 10 s
    budget share_round_trips_per_folder \
        "$(awk -v t="$share_ours_trips" -v n="$share_folders" 'BEGIN { printf "%.1f", t / n }')" "<=" 10 trips
    budget share_round_trips_against_smbclient \
        "$(awk -v a="$share_ours_trips" -v b="$share_trips" 'BEGIN { printf "%.2f", a / b }')" "<=" 1 x
    # The Linux icon on top: what it adds to the same run in one process
    # (what a worker's start costs stays out), for the library's icon and
    # for an .ico of the share that Linux reads as it is.
    share_linux_one() { share_ours "$1" --jobs 1; }
    share_slow linux_one quillmark_linux_icon_jobs_1
    budget share_linux_icon_extra_trips_per_folder "$(awk -v a="$share_trips" -v b="$share_one_trips" \
        -v n="$share_folders" 'BEGIN { printf "%.1f", (a - b) / n }')" "<=" 3 trips
    share_icon=Projekt.ico
    share_slow windows_one quillmark_ico_jobs_1
    share_ico_trips=$share_trips
    share_slow linux_one quillmark_ico_linux_icon_jobs_1
    budget share_linux_icon_extra_trips_per_folder_ico "$(awk -v a="$share_trips" -v b="$share_ico_trips" \
        -v n="$share_folders" 'BEGIN { printf "%.1f", (a - b) / n }')" "<=" 3 trips
    share_icon=ordner.dll,3
    # Ten times the folders: the time against ten times the 1,000, and the
    # largest process's peak against the 1,000's.
    share_folders=$((share_folders * 10))
    share_slow windows quillmark
    budget share_quillmark_2ms_ten_times_ratio \
        "$(awk -v a="$share_seconds" -v b="$share_ours_seconds" 'BEGIN { printf "%.2f", a / (10 * b) }')" \
        "<=" 1.1 x
    figure share_quillmark_2ms_${share_folders}_peak_rss \
        "$(awk -v k="$share_peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')" MB
    budget share_quillmark_peak_rss_growth \
        "$(awk -v a="$share_peak_kb" -v b="$share_small_kb" 'BEGIN { printf "%.2f", a / b }')" "<=" 1.2 x
else
    echo "share: slow-link (../shared/tools/slow-link or SLOW_LINK) or GNU time not found, so the delayed runs are left out"
fi
kill "$share_smbd" 2>/dev/null
wait "$share_smbd" 2>/dev/null
