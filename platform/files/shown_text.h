// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Folder data (names, tooltips, icon references, resource names) as the
// program prints it in text (the commands, the repair's warnings): a folder name may hold anything but '/' and
// NUL, and a Desktop.ini anything at all, so none of it may reach a
// terminal as a control sequence. --json carries the exact text instead
// (and a path's exact bytes where its name is not UTF-8).
#include <QString>

// text with each control character (C0, DEL, C1) and each character that
// reorders or breaks the line (bidi marks, embeddings, overrides and
// isolates, line and paragraph separators, surrogates standing alone)
// written as an escape: \n, \t, \r, \xHH below U+0080, \uHHHH for the
// rest. A byte of a file name that is not UTF-8 (U+DC80+byte, see
// files::fromNative) is \xHH with the byte's value, so \x80 to \xff
// always mean raw bytes. A backslash is doubled only where it
// would otherwise start an escape (before x, u, n, t, r, a backslash or an
// escaped character), so Windows paths read as they are and every shown
// text still decodes to one original.
QString ShownText(const QString& text);
