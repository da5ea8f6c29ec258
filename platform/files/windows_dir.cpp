// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/windows_dir.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString homeFolder()
{
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::getuid())) home = QString::fromUtf8(pw->pw_dir);
    }
    return home;
}

QString windowsFolder()
{
    QString dir = qEnvironmentVariable("QUILLMARK_WINDOWS_DIR");
    if (dir.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        // A relative XDG_DATA_HOME is invalid and is ignored.
        if (data.isEmpty() || !data.startsWith(u'/')) {
            const QString home = homeFolder();
            if (home.isEmpty()) return {};
            data = home + QStringLiteral("/.local/share");
        }
        dir = data + QStringLiteral("/quillmark");
    }
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
}

} // namespace

namespace files {

QString windowsFolderPath()
{
    return windowsFolder();
}

int makeOwnFolder(const QString& dir)
{
    QString current;
    for (const QString& part : dir.split(u'/', Qt::SkipEmptyParts)) {
        current += u'/' + part;
        if (::mkdir(QFile::encodeName(current).constData(), 0700) < 0 && errno != EEXIST) return errno;
    }
    struct stat st;
    const QByteArray native = QFile::encodeName(dir);
    if (::stat(native.constData(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    if (st.st_uid == ::geteuid() && (st.st_mode & S_IWGRP) && !(st.st_mode & S_IWOTH)
        && ::chmod(native.constData(), st.st_mode & 0755) != 0)
        return errno;
    return 0;
}

bool isProgramFile(const QString& path)
{
    const QString dir = windowsFolder();
    const qsizetype slash = path.lastIndexOf(u'/');
    return !dir.isEmpty() && slash > 0 && QDir::cleanPath(path.left(slash)) == QDir::cleanPath(dir);
}

} // namespace files

UINT GetWindowsDirectoryA(QString& buffer, UINT size)
{
    const QString dir = windowsFolder();
    if (dir.isEmpty() || files::makeOwnFolder(dir) != 0) return 0;
    if (qsizetype(size) <= dir.size()) return UINT(dir.size() + 1);
    buffer = dir;
    return UINT(dir.size());
}
