#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package that `make package` built, without installing it:
# lintian, the launcher and the AppStream file, the files the package must
# hold, and the programs started from the package unpacked into a temporary
# root. Usage: check_package.sh PACKAGE_DIR (exit 77: no package built).
set -u
deb=$(ls "${1:?usage: check_package.sh PACKAGE_DIR}"/quillmark_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
    echo "no package in $1: run make package first"
    exit 77
fi
failed=0
fail() { echo "FAIL: $*"; failed=1; }

lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian reports errors or warnings"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/pkg" || exit 1
share="$root/pkg/usr/share"
for f in bin/quillmark bin/quillmark-icons bin/quillmark-folder share/quillmark/side.bmp share/quillmark/title.bmp \
    share/quillmark/quillmark.ico share/quillmark/icons/ordner.dll \
    share/icons/hicolor/{16x16,32x32,48x48}/apps/quillmark.png \
    share/man/man1/quillmark.1.gz share/man/man1/quillmark-icons.1.gz share/man/man1/quillmark-folder.1.gz \
    share/kio/servicemenus/quillmark-dolphin.desktop share/nemo/actions/quillmark.nemo_action \
    share/file-manager/actions/quillmark-actions.desktop \
    share/nautilus-python/extensions/quillmark_nautilus.py; do
    [ -f "$root/pkg/usr/$f" ] || fail "the package lacks /usr/$f"
done
# Samba's client library is loaded with the module at the first network folder.
ls "$root"/pkg/usr/lib/*/quillmark/quillmark-smb.so >/dev/null && dpkg-deb -f "$deb" Depends | grep -q libsmbclient \
    || fail "the package lacks the Samba module or its dependency on libsmbclient"
# On a Wayland desktop the window runs natively only with Qt's Wayland plugin.
dpkg-deb -f "$deb" Recommends | grep -qw qt6-wayland || fail "the package does not recommend qt6-wayland"
# The service menus and actions are not desktop entries (Type=Service,
# Type=Action); only the launcher follows that format.
desktop-file-validate "$share"/applications/*.desktop || fail "the launcher is not a valid desktop entry"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "the AppStream file is not valid"

# Started from the unpacked tree, the wizard must open its pictures under
# share/quillmark, found from where the executable lies.
export QT_QPA_PLATFORM=offscreen QUILLMARK_EXIT_AFTER_SHOW=1 HOME="$root/home"
export XDG_CONFIG_HOME="$root/home/.config" XDG_DATA_HOME="$root/home/.local/share"
export QUILLMARK_REGISTRY_DIR="$root/registry" QUILLMARK_WINDOWS_DIR="$root/windows"
mkdir -p "$root/home/Mein Ordner"
strace -f -qq -e trace=openat -o "$root/trace" \
    timeout 60 "$root/pkg/usr/bin/quillmark" "$root/home/Mein Ordner" || fail "quillmark did not start and end"
for f in side.bmp title.bmp quillmark.ico; do
    grep -qE "\"$share/quillmark/$f\", O_RDONLY[^)]*\) = [0-9]+$" "$root/trace" \
        || fail "quillmark did not open $share/quillmark/$f"
done
count=$("$root/pkg/usr/bin/quillmark-icons" count "$share/quillmark/icons/ordner.dll")
[ "$count" = 40 ] || fail "quillmark-icons counts '$count' icons in the bundled ordner.dll, not 40"
# The folder command needs no display.
mkdir -p "$root/home/Projekt"
env -u DISPLAY -u QT_QPA_PLATFORM "$root/pkg/usr/bin/quillmark-folder" set --tooltip Projekt \
    --icon "$share/quillmark/icons/ordner.dll,3" "$root/home/Projekt" >/dev/null \
    && grep -q '^IconResource=.*ordner.dll,3' "$root/home/Projekt/Desktop.ini" \
    || fail "quillmark-folder did not customise a folder without a display"
exit $failed
