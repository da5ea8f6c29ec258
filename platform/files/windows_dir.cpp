// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files/windows_dir.h"

#include <QDir>

#include <pwd.h>
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
    if (dir.isEmpty() || !QDir().mkpath(dir)) return 0;
    if (qsizetype(size) <= dir.size()) return UINT(dir.size() + 1);
    buffer = dir;
    return UINT(dir.size());
}
