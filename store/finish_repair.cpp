// SPDX-License-Identifier: GPL-3.0-or-later
// The repair at start: completes a finish that died, where the journal is
// this user's own and the folder is still as that finish left it.
#include "store/finish_journal.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/net/smb_client.h"
#include "platform/files/shown_text.h"
#include "store/folder_settings.h"
#include "store/journal_record.h"
#include "sys/WindowsOrdner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <optional>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ctime>
#include <unistd.h>

namespace {

// The journals of finishes and of the icon page, and the records of either
// still being written.
QStringList journalNames(const QString& dir)
{
    QStringList patterns;
    for (const QString& prefix : { journal::kJournalPrefix, journal::kPageJournalPrefix })
        patterns << prefix + QStringLiteral("*.journal") << QLatin1Char('.') + prefix + QLatin1Char('*');
    return QDir(dir).entryList(patterns, QDir::Files | QDir::Hidden | QDir::System);
}

// A journal whose folder is missing (a stick not plugged in) waits this long.
constexpr time_t kKeepForMissingFolder = 30 * 24 * 3600;

// Names come from folders others write: shown escaped, never sent to the
// terminal as they are.
void warn(const QString& text)
{
    std::fputs(("quillmark: " + ShownText(text) + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

// Whether only the user running us can have written what lies in dir.
bool onlyOurs(const struct stat& st)
{
    return st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

// The journal at path when it is this user's own (a plain file, mode 0600,
// of a journal's size) and nobody holds it: open and locked, and still the
// file at path. -1 otherwise; foreign tells that it is not this user's.
int takeOver(const QByteArray& path, bool& foreign)
{
    struct stat named, held;
    foreign = false;
    if (::lstat(path.constData(), &named) != 0) return -1;
    if (!S_ISREG(named.st_mode) || named.st_uid != ::geteuid() || (named.st_mode & 0777) != 0600
        || named.st_size > journal::kMaxJournalSize) {
        foreign = true;
        return -1;
    }
    // Open for writing: a lock on NFS needs it.
    const int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 || held.st_ino != named.st_ino
        || held.st_dev != named.st_dev) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray readSmall(int fd)
{
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) return {};
    // Its size was checked; one that grew since is cut short and does not parse.
    return file.read(journal::kMaxJournalSize);
}

// Whether the folder holds one of the states the finish's own steps leave:
// otherwise someone changed it since, and that change stands.
bool untouchedSince(const JournalRecord& r, const QString& folder)
{
    const FolderSnapshot now = SnapshotFolder(folder);
    bool settings = false, iconCopy = false, bits = false;
    for (const FolderSnapshot& s : r.states) {
        settings = settings || s.settings == now.settings;
        iconCopy = iconCopy || s.iconCopy == now.iconCopy;
        bits = bits || s.folderBits == now.folderBits;
    }
    return settings && iconCopy && bits;
}

// An icon file that is gone or changed since is not the user's choice any
// more: the plan reads it once, and keeps the icon as the folder has it.
WantedCustomisation wantedFrom(const JournalRecord& r)
{
    WantedCustomisation wanted;
    wanted.tooltip = r.tooltip;
    wanted.icon = r.icon;
    if (r.icon) wanted.iconDigest = r.iconDigest;
    return wanted;
}

enum class Outcome { Done, Dropped, Kept };

Outcome repairOne(int fd, const struct stat& journalStat)
{
    const std::optional<JournalRecord> record = JournalRecord::fromJson(readSmall(fd));
    if (!record) return Outcome::Dropped;
    const QString& folder = record->folder;
    // This user's own record of a folder they chose: its server may be asked.
    net::nameServer(folder);
    // Opened once, following the one link the finish followed; everything
    // below goes through what was opened.
    int error = 0;
    const std::shared_ptr<files::FolderHandle> handle = files::openFolder(folder, error);
    if (!handle && net::isUnreachable(error)) {
        warn(net::describeError(folder, error)
            + QStringLiteral(" Der abgebrochene Abschluss in %1 wird beim nächsten Start vervollständigt.").arg(folder));
        return Outcome::Kept;
    }
    if (!handle) {
        // An unplugged stick: tried again at later starts, for a while.
        const bool stale = ::time(nullptr) - journalStat.st_mtime > kKeepForMissingFolder;
        return stale || error != ENOENT ? Outcome::Dropped : Outcome::Kept;
    }
    // A folder of this machine must be the very folder (device and inode);
    // a server's has no identity to give, and its states decide.
    if (handle->identity() != record->identity) {
        warn(QStringLiteral("%1 ist nicht mehr der Ordner des abgebrochenen Abschlusses; nichts geändert.").arg(folder));
        return Outcome::Dropped;
    }
    const files::OpenedFolder held(handle);
    // A Desktop.ini the killed finish moved aside is back before the folder is judged.
    handle->adoptLeftovers(kSettingsFileName);
    if (record->unhidden) {
        const QString copy = ResolvePathCase(IconCopyPath(folder));
        if ((GetFileAttributesA(copy) & 0x27) == kAttrArchive) SetFileAttributesA(copy, kAttrHiddenArchive);
        return Outcome::Done;
    }
    if (!untouchedSince(*record, folder)) {
        warn(QStringLiteral("%1 wurde seit dem abgebrochenen Abschluss geändert; so belassen.").arg(folder));
        return Outcome::Dropped;
    }
    ApplyCustomisation(folder, wantedFrom(*record));
    return Outcome::Done;
}

} // namespace

int RepairInterruptedFinishes()
{
    int repaired = 0;
    const QString dir = GetWindowsFolder();
    struct stat st;
    if (dir.isEmpty() || ::stat(files::nativePath(dir).constData(), &st) != 0) return repaired;
    if (!onlyOurs(st)) {
        warn(QStringLiteral("%1 gehört nicht allein diesem Benutzer; Abschlüsse darin werden nicht vervollständigt.")
                 .arg(dir));
        return repaired;
    }
    const QDir windows(dir);
    const QStringList names = journalNames(dir);
    for (const QString& name : names) {
        const QByteArray path = files::nativePath(windows.filePath(name));
        bool foreign = false;
        const int fd = takeOver(path, foreign);
        if (foreign) warn(QStringLiteral("%1 ist kein Journal dieses Benutzers; nicht gelesen.").arg(windows.filePath(name)));
        if (fd < 0) continue;
        struct stat journalStat;
        ::fstat(fd, &journalStat);
        // A hidden record was never given its name: its finish had not begun.
        const Outcome outcome = name.startsWith(QLatin1Char('.')) ? Outcome::Dropped : repairOne(fd, journalStat);
        if (outcome != Outcome::Kept) ::unlink(path.constData());
        if (outcome == Outcome::Done) ++repaired;
        ::close(fd);
    }
    return repaired;
}

void RepairInterruptedFinishesWithin(int ms)
{
    // Most starts find no journal: those need no second process.
    const QString dir = GetWindowsFolder();
    if (dir.isEmpty() || journalNames(dir).isEmpty()) return;
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        int argc = 1;
        char name[] = "quillmark";
        char* argv[] = { name, nullptr };
        // The program calls this before its toolkit starts; a caller that
        // already has an application object keeps it.
        std::optional<QCoreApplication> app;
        if (!QCoreApplication::instance()) app.emplace(argc, argv);
        RepairInterruptedFinishes();
        ::_exit(0);
    }
    // Waits on the child itself (a pidfd), not on the program's replaceable
    // clock, which is the window's.
    const int ended = int(::syscall(SYS_pidfd_open, child, 0));
    struct pollfd end { ended, POLLIN, 0 };
    if (::poll(&end, 1, ms) == 1) {
        ::waitpid(child, nullptr, 0);
    } else {
        // What it holds is left for the next start; a process stuck on a
        // mount that does not answer may not even die now: not waited for.
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, WNOHANG);
    }
    ::close(ended);
}
