#pragma once
// Folder data (names, tooltips, icon references, resource names) as the
// commands print it in text: a folder name may hold anything but '/' and
// NUL, and a Desktop.ini anything at all, so none of it may reach a
// terminal as a control sequence. --json carries the exact text instead.
#include <QString>

// text with each control character (C0, DEL, C1) and each character that
// reorders or breaks the line (bidi marks, embeddings, overrides and
// isolates, line and paragraph separators) written as an escape: \n, \t,
// \r, \xHH below U+0100, \uHHHH above. A backslash is doubled only where it
// would otherwise start an escape (before x, u, n, t, r, a backslash or an
// escaped character), so Windows paths read as they are and every shown
// text still decodes to one original.
QString ShownText(const QString& text);
