#include "store/finish_journal.h"

#include "platform/app.h"
#include "platform/files/file_attributes.h"
#include "sys/WindowsOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A journal is a few hundred bytes; anything larger is not ours.
constexpr qint64 kMaxJournalSize = 64 * 1024;

// One name for every build of the wizard, so that any start finds the
// journal of any finish.
const QString kJournalPrefix = QStringLiteral("quillmark-finish-");

QByteArray toJson(const QString& folder, const WantedCustomisation& wanted)
{
    // A start may run in another working folder: paths are kept whole.
    QJsonObject o { { QStringLiteral("folder"), QFileInfo(folder).absoluteFilePath() },
        { QStringLiteral("tooltip"), wanted.tooltip.value_or(QString()) } };
    if (wanted.icon) {
        o.insert(QStringLiteral("iconFile"), QFileInfo(wanted.icon->file).absoluteFilePath());
        o.insert(QStringLiteral("iconIndex"), wanted.icon->index);
        o.insert(QStringLiteral("copy"), wanted.icon->copy);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool fromJson(const QByteArray& text, QString& folder, WantedCustomisation& wanted)
{
    const QJsonObject o = QJsonDocument::fromJson(text).object();
    folder = o.value(QStringLiteral("folder")).toString();
    if (folder.isEmpty()) return false;
    wanted.tooltip = o.value(QStringLiteral("tooltip")).toString();
    if (o.contains(QStringLiteral("iconFile")))
        wanted.icon = IconChoice { o.value(QStringLiteral("iconFile")).toString(),
            o.value(QStringLiteral("iconIndex")).toString(), o.value(QStringLiteral("copy")).toBool() };
    return true;
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

// The journal file at path when nobody holds it: open and locked, and still
// the file at path (a finish may have replaced it in between); -1 otherwise.
int takeOver(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat held, now;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)
        || ::lstat(path.constData(), &now) != 0 || now.st_ino != held.st_ino || now.st_dev != held.st_dev) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray readSmall(int fd)
{
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) return {};
    return file.read(kMaxJournalSize);
}

} // namespace

FinishJournal::FinishJournal(FinishJournal&& other) noexcept
    : folder_(std::move(other.folder_))
    , path_(std::move(other.path_))
    , fd_(std::exchange(other.fd_, -1))
{
}

FinishJournal& FinishJournal::operator=(FinishJournal&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        folder_ = std::move(other.folder_);
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

FinishJournal FinishJournal::begin(const QString& folder, const WantedCustomisation& wanted)
{
    FinishJournal journal;
    journal.folder_ = folder;
    if (!journal.record(wanted)) return {};
    return journal;
}

void FinishJournal::update(const WantedCustomisation& wanted)
{
    if (isOpen()) record(wanted);
}

// Written under a lock into a file of its own, then moved over the journal,
// so a start finds either the old record or the new one, whole.
bool FinishJournal::record(const WantedCustomisation& wanted)
{
    const QString dir = GetWindowsFolder();
    if (dir.isEmpty() || !QDir().mkpath(dir)) return false;
    // ".quillmark-finish-XXXXXX" while it is written, then without the dot
    // and with ".journal".
    QByteArray pending
        = QFile::encodeName(dir + QStringLiteral("/.") + kJournalPrefix + QStringLiteral("XXXXXX"));
    const int fd = ::mkostemp(pending.data(), O_CLOEXEC);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX) != 0 || !writeAll(fd, toJson(folder_, wanted))) {
        ::unlink(pending.constData());
        ::close(fd);
        return false;
    }
    if (path_.isEmpty())
        path_ = dir + QLatin1Char('/') + kJournalPrefix + QFile::decodeName(pending.right(6))
            + QStringLiteral(".journal");
    if (::rename(pending.constData(), QFile::encodeName(path_).constData()) != 0) {
        ::unlink(pending.constData());
        ::close(fd);
        return false;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return true;
}

void FinishJournal::end()
{
    if (!isOpen()) return;
    ::unlink(QFile::encodeName(path_).constData());
    ::close(std::exchange(fd_, -1));
}

int RepairInterruptedFinishes()
{
    const QString dir = GetWindowsFolder();
    if (dir.isEmpty()) return 0;
    const QDir windows(dir);
    int repaired = 0;
    const QStringList names = windows.entryList({ kJournalPrefix + QStringLiteral("*.journal"),
                                                    QLatin1Char('.') + kJournalPrefix + QLatin1Char('*') },
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(windows.filePath(name));
        const int fd = takeOver(path);
        if (fd < 0) continue;
        // A record never moved into place belongs to a finish that had not begun.
        QString folder;
        WantedCustomisation wanted;
        if (!name.startsWith(QLatin1Char('.')) && fromJson(readSmall(fd), folder, wanted)) {
            // The folder was the one the user named, as for the finish itself.
            files::setChosenFolders({ folder, App::command(), App::path() });
            ApplyCustomisation(folder, wanted);
            files::setChosenFolders({ App::command(), App::path() });
            ++repaired;
        }
        ::unlink(path.constData());
        ::close(fd);
    }
    return repaired;
}
