// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry/hive_file.h"

#include "platform/files/file_replace.h"
#include "platform/files/native_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

struct Faults {
    int read = 0;
    int write = 0;
};

std::mutex g_mutex;
std::map<HKEY, Faults> g_faults;
std::function<void(const QString&)> g_observer;

Faults faultsFor(HKEY root)
{
    std::lock_guard lock(g_mutex);
    const auto it = g_faults.find(root);
    return it == g_faults.end() ? Faults {} : it->second;
}

void observe(const QString& path)
{
    std::function<void(const QString&)> observer;
    {
        std::lock_guard lock(g_mutex);
        observer = g_observer;
    }
    if (observer) observer(path);
}

LSTATUS fromErrno(int e)
{
    switch (e) {
    case 0:
        return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_OUTOFMEMORY;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

QString envPath(const char* name)
{
    return files::fromNative(qgetenv(name));
}

// Reads the whole hive; a missing hive, or one that is no regular file,
// reads as no bytes. A link to it is followed: dotfile managers keep the
// user's settings that way. Returns an errno.
int readHive(HKEY root, QByteArray& bytes)
{
    bytes.clear();
    if (const int fault = faultsFor(root).read) return fault;
    const int err = files::readRegularFile(
        files::nativePath(HiveFile::path(root)), bytes, files::Links::Follow, HiveFile::kMaxHiveSize);
    return err == ENOENT || err == ENOTDIR ? 0 : err;
}

// Creates the folder and the folders above it that are missing: the
// user's for this user alone, the machine's readable by all.
int makeFolders(const QString& folder, mode_t mode)
{
    const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        struct stat st;
        if (::stat(files::nativePath(current).constData(), &st) == 0) continue;
        observe(current);
        if (::mkdir(files::nativePath(current).constData(), mode) < 0 && errno != EEXIST) return errno;
    }
    return 0;
}

} // namespace

namespace RegistryPlatform {

QString hivePath(HKEY root)
{
    return HiveFile::path(root);
}

void setReadFault(HKEY root, int errnoValue)
{
    std::lock_guard lock(g_mutex);
    g_faults[root].read = errnoValue;
}

void setWriteFault(HKEY root, int errnoValue)
{
    std::lock_guard lock(g_mutex);
    g_faults[root].write = errnoValue;
}

void setWriteObserver(std::function<void(const QString& path)> observer)
{
    std::lock_guard lock(g_mutex);
    g_observer = std::move(observer);
}

} // namespace RegistryPlatform

namespace HiveFile {

QString rootName(HKEY root)
{
    if (root == HKEY_CURRENT_USER) return QStringLiteral("HKEY_CURRENT_USER");
    if (root == HKEY_LOCAL_MACHINE) return QStringLiteral("HKEY_LOCAL_MACHINE");
    return QString();
}

QString folder(HKEY root)
{
    if (rootName(root).isEmpty()) return QString();
    const QString shared = envPath("QUILLMARK_REGISTRY_DIR");
    if (!shared.isEmpty()) return QDir::cleanPath(QDir(shared).absolutePath());
    if (root == HKEY_LOCAL_MACHINE) return QStringLiteral("/etc/quillmark");
    QString config = envPath("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        const QString home = envPath("HOME");
        config = (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config + QStringLiteral("/quillmark"));
}

QString path(HKEY root)
{
    const QString name = rootName(root);
    return name.isEmpty() ? QString() : folder(root) + u'/' + name + QStringLiteral(".reg");
}

namespace {
// Keys that every Windows installation has and that programs write into
// without creating them. A machine hive holds them from the start.
void addSystemKeys(HKEY root, Hive::Document& doc)
{
    if (root != HKEY_LOCAL_MACHINE) return;
    for (const char* key : { "Software\\Classes\\Directory\\shell", "Software\\Classes\\Folder\\shell" })
        doc.createKey(QString::fromLatin1(key), QString());
}
} // namespace

LSTATUS load(HKEY root, Hive::Document& doc)
{
    const QString name = rootName(root);
    if (name.isEmpty()) return ERROR_INVALID_HANDLE;
    QByteArray bytes;
    if (const int err = readHive(root, bytes)) return err == EFBIG ? ERROR_BADDB : fromErrno(err);
    doc = Hive::Document::parse(bytes, name);
    addSystemKeys(root, doc);
    return ERROR_SUCCESS;
}

LSTATUS checkWritable(HKEY root)
{
    if (rootName(root).isEmpty()) return ERROR_INVALID_HANDLE;
    if (const int fault = faultsFor(root).write) return fromErrno(fault);
    const QByteArray file = files::nativePath(path(root));
    if (::access(file.constData(), F_OK) == 0 && ::access(file.constData(), W_OK) < 0)
        return fromErrno(errno);
    // The temporary file and the rename need the folder, or the first folder above it that exists.
    QString dir = folder(root);
    while (::access(files::nativePath(dir).constData(), F_OK) < 0 && dir != QStringLiteral("/"))
        dir = QFileInfo(dir).path();
    if (::access(files::nativePath(dir).constData(), W_OK | X_OK) < 0) return fromErrno(errno);
    return ERROR_SUCCESS;
}

namespace {

// The new text of the hive, or nullopt with status saying why not: a
// failed read, a hive we could not write back as it was, a change that
// failed or changed nothing, or one that would lose something.
std::optional<QByteArray> changedHive(HKEY root, const std::optional<QByteArray>& current,
    const QString& keyPath, const QString& valueName, const HiveFile::Change& change, LSTATUS& status)
{
    const QString name = HiveFile::rootName(root);
    if (const int fault = faultsFor(root).read) {
        status = fromErrno(fault);
        return std::nullopt;
    }
    const QByteArray before = current.value_or(QByteArray());
    Hive::Document doc = Hive::Document::parse(before, name);
    if (!doc.writable() || doc.serialize() != before) {
        status = ERROR_BADDB;
        return std::nullopt;
    }
    const Hive::Document old = doc;
    addSystemKeys(root, doc);
    bool changed = false;
    status = change(doc, changed);
    if (status != ERROR_SUCCESS || !changed) return std::nullopt;
    const QByteArray after = doc.serialize();
    if (!Hive::Document::parse(after, name).holdsEverythingOf(old, keyPath, valueName)) {
        status = ERROR_BADDB;
        return std::nullopt;
    }
    return after;
}

} // namespace

LSTATUS update(HKEY root, const QString& keyPath, const QString& valueName, const Change& change)
{
    if (const LSTATUS s = checkWritable(root)) return s;
    if (const int err = makeFolders(folder(root), root == HKEY_CURRENT_USER ? 0700 : 0755)) return fromErrno(err);
    const QString lockPath = path(root) + QStringLiteral(".lock");
    observe(lockPath);
    // Read anew under the lock: another process may have changed the hive meanwhile.
    const files::FileLock lock(files::nativePath(lockPath));
    if (!lock.held()) return fromErrno(lock.error());
    files::ReplaceOptions options;
    options.followLinks = true;
    options.refuseReadOnly = false; // whether we may write it was asked above
    options.maxCurrentSize = kMaxHiveSize;
    // The machine hive is read by every user, a user's hive by its owner only.
    options.newFileMode = root == HKEY_LOCAL_MACHINE ? 0644 : 0600;
    options.onTemporary = [](const QByteArray& temp) { observe(files::fromNative(temp)); };
    observe(path(root));
    LSTATUS status = ERROR_SUCCESS;
    int err = 0;
    const auto result = files::replaceFile(
        path(root),
        [&](const std::optional<QByteArray>& current) {
            return changedHive(root, current, keyPath, valueName, change, status);
        },
        options, &err);
    if (result == files::ReplaceResult::Failed && status == ERROR_SUCCESS)
        return err == EFBIG ? ERROR_BADDB : fromErrno(err);
    return status;
}

} // namespace HiveFile
