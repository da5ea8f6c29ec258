#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Another user of a shared folder races `quillmark-folder set`, run by root
# as administrators run it (tools/race_swap.py is the other user):
#   1. the new Desktop.ini swapped for a link to a private file of root's
#      while it is written, the old Desktop.ini being the other user's, with
#      an ACL that grants them the file and 40 extended attributes;
#   2. the icon source swapped between the icon and a link to the private
#      file during `set --icon ... --copy --recursive` over 300 folders.
# After each of ATTEMPTS attempts (100 unless given) the private file must
# be unchanged (bytes, mode, every extended attribute) and every Desktop.ico
# must hold the icon's bytes. Needs root and python3.
# Usage: tools/try_races.sh BUILD_DIR [ATTEMPTS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: tools/try_races.sh BUILD_DIR [ATTEMPTS]}" && pwd)"
attempts=${2:-100}
[ "$(id -u)" = 0 ] || { echo "needs root" >&2; exit 2; }
id rival >/dev/null 2>&1 || useradd --system --no-create-home rival
rival_uid=$(id -u rival)
work=$(mktemp -d /tmp/quillmark-races.XXXXXX)
chmod 755 "$work"
trap 'pkill -u rival -f race_swap.py || true; rm -rf "$work"' EXIT
private="$work/privat"
printf 'nur fuer root\n' >"$private"
chmod 600 "$private"
state() { # what may never change about the private file
    sha256sum "$private"
    stat -c '%a %u %g %i' "$private"
    getfattr -d -m - --absolute-names "$private" 2>/dev/null || true
}
before=$(state)
swapper="$work/race_swap.py"
cp "$here/race_swap.py" "$swapper"
chmod 755 "$swapper"

# 1. The new Desktop.ini swapped for a link.
shared="$work/geteilt"
mkdir "$shared" && chmod 1777 "$shared"
python3 - "$shared/Desktop.ini" "$rival_uid" <<'EOF'
import os, struct, sys
path, uid = sys.argv[1], int(sys.argv[2])
open(path, "w").write("[.ShellClassInfo]\r\nInfoTip=alt\r\n")
os.chown(path, uid, uid)
os.chmod(path, 0o660)
# user::rw- user:rival:rw- group::r-- mask::rw- other::r--
acl = struct.pack("<I", 2) + b"".join(struct.pack("<HHI", *e) for e in (
    (0x01, 6, 0xFFFFFFFF), (0x02, 6, uid), (0x04, 4, 0xFFFFFFFF), (0x10, 6, 0xFFFFFFFF), (0x20, 4, 0xFFFFFFFF)))
os.setxattr(path, "system.posix_acl_access", acl)
for i in range(40):
    os.setxattr(path, "user.feld%d" % i, b"x" * 64)
EOF
runuser -u rival -- python3 "$swapper" temporary "$shared" "$private" &
sleep 0.5
changed=0 failed=0
for ((i = 1; i <= attempts; i++)); do
    "$build/quillmark-folder" set --tooltip "neu $i" "$shared" >/dev/null 2>&1 || failed=$((failed + 1))
    [ "$(state)" = "$before" ] || { changed=$((changed + 1)); printf 'nur fuer root\n' >"$private"; chmod 600 "$private"; }
done
pkill -u rival -f "race_swap.py temporary" || true
echo "new file swapped: $attempts attempts, private file changed in $changed, set failed in $failed"

# 2. The icon source swapped between the icon and a link.
tree="$work/baum"
mkdir -p "$tree" && chmod 1777 "$tree"
(cd "$tree" && seq -f "Ordner %g" 1 300 | xargs -d '\n' mkdir)
icon="$work/quelle/symbol.ico"
mkdir -p "$(dirname "$icon")" && chmod 1777 "$(dirname "$icon")"
cp "$here/../res/icons/Ordner blau.ico" "$icon"
chown rival "$icon"
good=$(sha256sum <"$icon")
runuser -u rival -- python3 "$swapper" source "$icon" "$private" &
sleep 0.5
foreign=0 copies=0
for ((i = 1; i <= attempts; i++)); do
    find "$tree" -name Desktop.ico -delete
    "$build/quillmark-folder" set --icon "$icon" --copy --recursive "$tree" >/dev/null 2>&1 || true
    while IFS= read -r -d '' copy; do
        copies=$((copies + 1))
        [ "$(sha256sum <"$copy")" = "$good" ] || foreign=$((foreign + 1))
    done < <(find "$tree" -name Desktop.ico -print0)
    [ "$(state)" = "$before" ] || { changed=$((changed + 1)); printf 'nur fuer root\n' >"$private"; chmod 600 "$private"; }
done
echo "icon source swapped: $attempts attempts, $copies copies made, $foreign not the icon's bytes, private file changed in $changed in all"
[ "$changed" = 0 ] && [ "$foreign" = 0 ]
