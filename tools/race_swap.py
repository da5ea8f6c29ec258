#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The other user of a shared folder, racing the folder command (tools/try_races.sh).

race_swap.py temporary FOLDER TARGET
    Watches FOLDER (inotify) and swaps every new temporary file of a
    replacement (".<name>.qmtmp-...") for a symbolic link to TARGET, as soon
    as it appears.
race_swap.py source ICON TARGET
    Swaps ICON again and again between the icon file it is and a symbolic
    link to TARGET, each swap one rename, until killed.
"""
import ctypes
import os
import struct
import sys

IN_CREATE = 0x100


def swap_temporaries(folder, target):
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init1(0)
    if fd < 0 or libc.inotify_add_watch(fd, folder.encode(), IN_CREATE) < 0:
        sys.exit("inotify: %s" % os.strerror(ctypes.get_errno()))
    while True:
        data = os.read(fd, 65536)
        at = 0
        while at < len(data):
            _, _, _, length = struct.unpack_from("iIII", data, at)
            name = data[at + 16:at + 16 + length].rstrip(b"\0")
            at += 16 + length
            if b".qmtmp-" not in name:
                continue
            path = os.path.join(folder.encode(), name)
            try:
                os.unlink(path)
                os.symlink(target, path)
            except OSError:
                pass


def swap_source(icon, target):
    real, link = icon + ".echt", icon + ".link"
    os.link(icon, real)
    while True:
        for prepared in (link, real + ".2"):
            try:
                if prepared == link:
                    os.symlink(target, link)
                else:
                    os.link(real, prepared)
                os.rename(prepared, icon)
            except OSError:
                pass


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ("temporary", "source"):
        sys.exit(__doc__)
    (swap_temporaries if sys.argv[1] == "temporary" else swap_source)(sys.argv[2], sys.argv[3])
