// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/finish_journal.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "store/journal_record.h"
#include "sys/WindowsOrdner.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder as the journal names it: its whole path (a start may run in
// another working folder) and the identity of what was opened.
JournalRecord recordOf(const QString& folder, const files::FolderHandle& handle)
{
    JournalRecord r;
    r.folder = files::absolutePath(folder);
    r.identity = handle.identity();
    return r;
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
    // A nameless file gets its name through /proc; without /proc the hidden name stands in.
    int fd = ::access("/proc/self/fd", X_OK) == 0 ? ::open(native.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600) : -1;
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
    if (plan.refused != CustomisationRefused::None || !plan.handle) return opened;
    JournalRecord r = recordOf(plan.folder, *plan.handle);
    r.tooltip = wanted.tooltip.value_or(QString());
    if (wanted.icon) {
        r.icon = *wanted.icon;
        r.icon->file = files::absolutePath(wanted.icon->file);
        r.iconDigest = plan.iconDigest;
    }
    r.states = plan.states;
    opened.record(r.toJson(), journal::kJournalPrefix);
    return opened;
}

FinishJournal FinishJournal::unhidden(const QString& folder)
{
    int error = 0;
    const auto handle = files::heldOrOpened(folder, error);
    if (!handle) return {};
    JournalRecord r = recordOf(folder, *handle);
    r.unhidden = true;
    FinishJournal opened;
    opened.record(r.toJson(), journal::kPageJournalPrefix);
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
