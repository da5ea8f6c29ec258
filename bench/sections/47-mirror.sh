# SPDX-License-Identifier: GPL-3.0-or-later
# `quillmark-folder mirror --recursive` over 1,000 folders customised as
# Windows writes them, in memory (SCRATCH): half name a bundled .ico
# relatively, half an icon of the bundled ordner.dll; both hold a PNG image,
# so each folder gets a hidden image. gvfs's metadata is left out
# (GIO_USE_VFS=local): it lives in the real home. Sourced by bench/run.
mirror_command="$BUILD/quillmark-folder"
if [ ! -x "$mirror_command" ]; then
    echo "mirror: $mirror_command is not built, so its figure is left out"
    return 0
fi
mirror_root="$SCRATCH/Laufwerk"
mkdir -p "$mirror_root/Symbole" "$mirror_root/Ordner"
cp "$here/../res/icons/Ordner blau.ico" "$here/../res/icons/ordner.dll" "$mirror_root/Symbole/"
for ((i = 0; i < 1000; i++)); do
    mkdir "$mirror_root/Ordner/$i"
    if ((i % 2)); then
        printf '[.ShellClassInfo]\r\nIconResource=..\\..\\Symbole\\ordner.dll,3\r\n' >"$mirror_root/Ordner/$i/Desktop.ini"
    else
        printf '[.ShellClassInfo]\r\nIconFile=..\\..\\Symbole\\Ordner blau.ico\r\nIconIndex=0\r\n' \
            >"$mirror_root/Ordner/$i/Desktop.ini"
    fi
done
mirror_seconds=$(GIO_USE_VFS=local seconds_of "$mirror_command" mirror --recursive "$mirror_root/Ordner")
mirror_written=$(find "$mirror_root/Ordner" -mindepth 2 -maxdepth 2 -name .directory | wc -l)
budget mirror_written "$mirror_written" ">=" 1000 folders
budget mirror_recursive_1000_folders "$mirror_seconds" "<=" 2 s
rm -rf "$mirror_root"
