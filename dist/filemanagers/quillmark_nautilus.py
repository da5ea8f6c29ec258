# SPDX-License-Identifier: GPL-3.0-or-later
"""The folder entry "Beschriften..." in Nautilus: starts Quillmark on the folder."""
from gi.repository import GLib, GObject, Nautilus


class QuillmarkMenu(GObject.GObject, Nautilus.MenuProvider):
    def get_file_items(self, *args):
        # Nautilus 43 and later pass (files), earlier versions (window, files).
        files = args[-1]
        if len(files) != 1:
            return []
        folder = files[0]
        scheme = folder.get_uri_scheme()
        if not folder.is_directory() or scheme not in ("file", "smb"):
            return []
        item = Nautilus.MenuItem(
            name="Quillmark::Beschriften",
            label="Beschriften...",
            tip="Diesen Ordner mit Quillmark beschriften",
            icon="quillmark",
        )
        # A folder on a share goes as its smb:// URI, which Quillmark opens itself.
        target = folder.get_location().get_path() if scheme == "file" else folder.get_uri()
        item.connect("activate", self._start, target)
        return [item]

    def get_background_items(self, *args):
        return []

    @staticmethod
    def _start(_item, path):
        # The path is one argument of its own: blanks and quotes stay as they are.
        GLib.spawn_async(["quillmark", path], flags=GLib.SpawnFlags.SEARCH_PATH)
