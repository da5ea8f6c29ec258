// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/icons_command.h"

#include "platform/files/shown_text.h"
#include "platform/files/native_names.h"

#include <QDir>

#include <cstdio>
#include <sys/stat.h>

namespace icons_command {

QStringList arguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << files::fromNative(QByteArray(argv[i]));
    return args;
}

int usage()
{
    std::fputs("usage: quillmark-icons count FILE\n"
               "       quillmark-icons list FILE\n"
               "       quillmark-icons extract FILE INDEX SIZE OUT.png   (SIZE 32: large, 16: small)\n"
               "       quillmark-icons dump FILE DIR\n"
               "       quillmark-icons dump --all FILE DIR\n",
        stderr);
    return 2;
}

// The message may quote a file name or a resource name: shown escaped.
int fail(const QString& message)
{
    std::fprintf(stderr, "quillmark-icons: %s\n", ShownText(message).toUtf8().constData());
    return 1;
}

bool openFile(const QString& path, icons::IconFile& file, QString& error)
{
    if (struct stat st; ::stat(files::nativePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = QStringLiteral("%1: no such file").arg(path);
        return false;
    }
    if (!file.open(path)) {
        error = QStringLiteral("%1: cannot be read").arg(path);
        return false;
    }
    return true;
}

int openForDump(const QString& path, const QString& dir, icons::IconFile& file)
{
    QString error;
    if (!openFile(path, file, error)) return fail(error);
    if (file.count() == 0) return fail(QStringLiteral("%1: holds no icons").arg(path));
    if (!QDir().mkpath(dir)) return fail(QStringLiteral("%1: cannot be created").arg(dir));
    return 0;
}

} // namespace icons_command
