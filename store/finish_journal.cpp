// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/finish_journal.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "sys/WindowsOrdner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {


QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

QJsonObject folderIdentity(const QString& folder)
{
    // A start may run in another working folder: paths are kept whole.
    // The text for people; the bytes, which the repair uses, for names that are not UTF-8.
    const QString absolute = files::absolutePath(folder);
    QJsonObject o { { QStringLiteral("folder"), files::withReplacement(absolute) },
        { QStringLiteral("folderBytes"), hex(files::nativePath(absolute)) } };
    struct stat st;
    if (::stat(files::nativePath(folder).constData(), &st) == 0) {
        o.insert(QStringLiteral("device"), QString::number(st.st_dev));
        o.insert(QStringLiteral("inode"), QString::number(st.st_ino));
    }
    return o;
}

QByteArray toJson(const CustomisationPlan& plan, const WantedCustomisation& wanted)
{
    QJsonObject o = folderIdentity(plan.folder);
    o.insert(QStringLiteral("tooltip"), wanted.tooltip.value_or(QString()));
    if (wanted.icon) {
        const QString file = files::absolutePath(wanted.icon->file);
        o.insert(QStringLiteral("iconFile"), files::withReplacement(file));
        o.insert(QStringLiteral("iconFileBytes"), hex(files::nativePath(file)));
        o.insert(QStringLiteral("iconIndex"), wanted.icon->index);
        o.insert(QStringLiteral("copy"), wanted.icon->copy);
        o.insert(QStringLiteral("chosen"), wanted.icon->chosen);
        o.insert(QStringLiteral("iconDigest"), hex(IconFileDigest(file)));
    }
    QJsonArray states;
    for (const FolderSnapshot& s : plan.states)
        states.append(QJsonObject { { QStringLiteral("settings"), hex(s.settings) },
            { QStringLiteral("iconCopy"), hex(s.iconCopy) }, { QStringLiteral("bits"), int(s.folderBits) } });
    o.insert(QStringLiteral("states"), states);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) return false;
        done += n;
    }
    return ::fsync(fd) == 0;
}

void syncFolder(const QByteArray& dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

QByteArray newJournalName(const QString& dir, const QString& prefix)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString tag;
    for (int i = 0; i < 6; ++i)
        tag += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
    return files::nativePath(dir + QLatin1Char('/') + prefix + tag + QStringLiteral(".journal"));
}

// Writes json into a file that has no name yet, locks it, and only then
// gives it its name: no start can find a journal whose finish is not
// holding it. Where the file system has no nameless files, a hidden name
// stands in while it is written.
int publish(const QString& dir, const QByteArray& json, const QString& prefix, QString& path)
{
    const QByteArray native = files::nativePath(dir);
    int fd = ::open(native.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    QByteArray pending;
    if (fd < 0) {
        pending = files::nativePath(dir + QStringLiteral("/.") + prefix + QStringLiteral("XXXXXX"));
        fd = ::mkostemp(pending.data(), O_CLOEXEC);
    }
    if (fd < 0) return -1;
    // A lock on a descriptor open for writing also holds on NFS.
    bool placed = files::lockExclusive(fd) == 0 && writeAll(fd, json);
    for (int attempt = 0; placed && attempt < 100; ++attempt) {
        const QByteArray name = newJournalName(dir, prefix);
        const int done = pending.isEmpty()
            ? ::linkat(AT_FDCWD, QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), AT_FDCWD,
                name.constData(), AT_SYMLINK_FOLLOW)
            : ::renameat2(AT_FDCWD, pending.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE);
        if (done == 0) {
            path = files::fromNative(name);
            syncFolder(native);
            return fd;
        }
        placed = errno == EEXIST;
    }
    if (!pending.isEmpty()) ::unlink(pending.constData());
    ::close(fd);
    return -1;
}

} // namespace

FinishJournal::FinishJournal(FinishJournal&& other) noexcept
    : path_(std::move(other.path_))
    , fd_(std::exchange(other.fd_, -1))
{
}

FinishJournal& FinishJournal::operator=(FinishJournal&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FinishJournal::~FinishJournal()
{
    // Left in place: a journal not ended belongs to a finish that did not end.
    if (fd_ >= 0) ::close(fd_);
}

FinishJournal FinishJournal::begin(const CustomisationPlan& plan, const WantedCustomisation& wanted)
{
    FinishJournal opened;
    if (plan.refused == CustomisationRefused::None) opened.record(toJson(plan, wanted), journal::kJournalPrefix);
    return opened;
}

FinishJournal FinishJournal::unhidden(const QString& folder)
{
    QJsonObject o = folderIdentity(folder);
    o.insert(QStringLiteral("unhidden"), true);
    FinishJournal opened;
    opened.record(QJsonDocument(o).toJson(QJsonDocument::Compact), journal::kPageJournalPrefix);
    return opened;
}

bool FinishJournal::record(const QByteArray& json, const QString& prefix)
{
    // GetWindowsFolder makes the folder, for this user alone.
    const QString dir = GetWindowsFolder();
    if (dir.isEmpty()) return false;
    fd_ = publish(dir, json, prefix, path_);
    return fd_ >= 0;
}

void FinishJournal::end()
{
    if (!isOpen()) return;
    ::unlink(files::nativePath(path_).constData());
    ::close(std::exchange(fd_, -1));
}
