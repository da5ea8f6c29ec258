// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What quillmark-icons and its drawing helper share: messages and opening
// the file that holds the icons.
#include "platform/icons/icon_file.h"

#include <QString>
#include <QStringList>

namespace icons_command {

// The command's arguments after the program's name, each file name as the
// bytes the kernel gives (see files::fromNative).
QStringList arguments(int argc, char** argv);
// Prints the usage to stderr; exit status 2.
int usage();
// Prints "quillmark-icons: MESSAGE" to stderr, escaped; exit status 1.
int fail(const QString& message);
// Opens FILE for reading; a message and false when it cannot.
bool openFile(const QString& path, icons::IconFile& file, QString& error);
// Opens FILE for a dump into DIR: the file must hold icons, and DIR is made.
// The exit status of a failure, or 0.
int openForDump(const QString& path, const QString& dir, icons::IconFile& file);

} // namespace icons_command
