// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-folder: shows, sets and clears the customisation of folders
// without a window, for servers and scripts. The same engine as the
// wizard's finish; the registry and the recent-folders file stay untouched.
//
//   quillmark-folder show [--json] [--recursive | --preview FILE.png] FOLDER...
//   quillmark-folder set [--tooltip TEXT | --no-tooltip] [--icon FILE[,INDEX] | --no-icon] [--copy]
//                        [--linux-icon | --no-linux-icon]
//                        [--recursive] [--dry-run] FOLDER...
//   quillmark-folder clear [--recursive] [--dry-run] FOLDER...
//   quillmark-folder mirror [--recursive] FOLDER...
//
// A FOLDER on a server is \\server\share\path or smb://server/share/path;
// -U [DOMAIN\]USER[%PASSWORD], -A FILE (smbclient's format) and
// --use-kerberos say how to sign in there, PASSWD gives the password;
// --timeout SECONDS bounds each call to a server.
//
// Exit status: 0 every folder done, 1 some failed (each named on stderr),
// 2 the command line was refused before anything was touched.
#include "cli/folder_changes.h"
#include "cli/folder_options.h"
#include "cli/folder_preview.h"
#include "cli/folder_report.h"
#include "cli/folder_mirror.h"
#include "cli/folder_walk.h"
#include "cli/folder_workers.h"
#include "platform/files/shown_text.h"
#include "platform/files/case_paths.h"
#include "platform/files/file_attributes.h"
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/files/samba_shares.h"
#include "platform/net/smb_client.h"
#include "store/folder_customisation.h"
#include "store/linux_icon.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <thread>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[]
    = "Aufruf: quillmark-folder show [--json] [--recursive | --preview BILD.png] ORDNER...\n"
      "       quillmark-folder set [--tooltip TEXT | --no-tooltip] [--icon DATEI[,INDEX] | --no-icon]\n"
      "                            [--copy] [--linux-icon | --no-linux-icon] [--recursive] [--dry-run] ORDNER...\n"
      "       quillmark-folder clear [--recursive] [--dry-run] ORDNER...\n"
      "       quillmark-folder mirror [--recursive] ORDNER...\n"
      "ORDNER auf einem Server: \\\\server\\freigabe\\pfad oder smb://server/freigabe/pfad,\n"
      "angemeldet mit -A DATEI, PASSWD=... -U [DOMÄNE\\]BENUTZER oder --use-kerberos;\n"
      "--timeout SEKUNDEN: so lange wartet jeder Aufruf an einen Server (sonst 10);\n"
      "--jobs N: so viele Ordner auf Servern zugleich, jeder mit eigener Verbindung (sonst 8).\n";

void say(std::FILE* to, const QString& text)
{
    std::fputs(text.toUtf8().constData(), to);
}

// The count, the rate and the current folder on one line of the terminal,
// at most ten times a second; nothing when stderr is no terminal.
class Progress {
public:
    explicit Progress(bool wanted)
        : shown_(wanted && ::isatty(STDERR_FILENO))
    {
        clock_.start();
    }
    void step(const QString& folder)
    {
        ++count_;
        if (!shown_ || clock_.elapsed() < last_ + 100) return;
        last_ = clock_.elapsed();
        QString line = QString::number(count_) + QStringLiteral(" Ordner, ")
            + QString::number(count_ * 1000.0 / std::max<qint64>(last_, 1), 'f', 0) + QStringLiteral("/s: ")
            + ShownText(folder);
        if (line.size() > 78) line = line.left(38) + QStringLiteral("…") + line.right(39);
        say(stderr, QStringLiteral("\r\033[K") + line);
        dirty_ = true;
    }
    void clear()
    {
        if (dirty_) std::fputs("\r\033[K", stderr);
        dirty_ = false;
    }
    int count() const { return count_; }
    double seconds() const { return clock_.elapsed() / 1000.0; }

private:
    bool shown_;
    bool dirty_ = false;
    int count_ = 0;
    qint64 last_ = 0;
    QElapsedTimer clock_;
};

// Every file is replaced whole, as the wizard does; the flush to the disk is
// made once per file system every so many folders and at the end, instead of
// twice per file, which on a disk costs more than all the rest.
class Flusher {
public:
    explicit Flusher(const QStringList& folders)
    {
        files::setSyncEachReplace(false);
        QSet<dev_t> seen;
        for (const QString& folder : folders) {
            struct stat st;
            const int fd = ::open(files::nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0 && ::fstat(fd, &st) == 0 && !seen.contains(st.st_dev)) {
                seen.insert(st.st_dev);
                fds_.push_back(fd);
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    ~Flusher()
    {
        flush();
        for (const int fd : fds_)
            ::close(fd);
        files::setSyncEachReplace(true);
    }
    void step()
    {
        if (++count_ % kEvery == 0) flush();
    }
    void flush()
    {
        for (const int fd : fds_)
            ::syncfs(fd);
    }

private:
    static constexpr int kEvery = 256;
    std::vector<int> fds_;
    int count_ = 0;
};

// The picture of the folder as Explorer shows it, written to the file the
// user named (its name kept as the bytes given); why not, when it is not.
QString writePreview(const FolderView& view, const QString& file)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!FolderPreview(view).save(&buffer, "PNG")) return QStringLiteral("Das Bild ließ sich nicht zeichnen.");
    const auto error = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    const int fd = ::open(files::nativePath(file).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return error();
    if (::write(fd, png.constData(), std::size_t(png.size())) != png.size()) {
        const QString why = error();
        ::close(fd);
        return why;
    }
    return ::close(fd) == 0 ? QString() : error();
}

// Every folder's outcome, printed in the order of the walk. Folders on a
// server go to worker processes when more than one job is allowed and there
// may be more than one folder; the rest is done here.
void runFolders(const FolderOptions& o, const QStringList& arguments, const FolderTask& task,
    const OutcomePrinter& print)
{
    const auto here = [&](const QStringList& folders) {
        WalkFolders(
            folders, o.recursive,
            [&](const QString& folder, const std::shared_ptr<files::FolderHandle>& handle) {
                const files::OpenedFolder held(handle);
                print(task(folder));
            },
            [&](const QString& folder, const QString& why) {
                FolderOutcome failed = FailedOutcome(folder, why);
                failed.visited = false; // a folder the walk could not read counts as one of the run's
                print(failed);
            });
    };
    const bool several = o.recursive || o.folders.size() > 1;
    if (o.jobs == 1 || !several || o.preview
        || std::none_of(o.onServer.cbegin(), o.onServer.cend(), [](bool server) { return server; }))
        return here(o.folders);
    CatchStopSignals();
    FolderWorkers workers(o.jobs, o.recursive, arguments, o.signIn, task, print,
        [&](const QString& folder) { here({ folder }); });
    for (qsizetype i = 0; i < o.folders.size(); ++i)
        workers.add(o.folders[i], o.onServer.value(i));
    workers.run();
}

FolderOutcome showOne(const FolderOptions& o, const QString& folder)
{
    if (!files::isDirectory(folder)) return FailedOutcome(folder, QStringLiteral("kein Ordner"));
    FolderOutcome r;
    r.folder = folder;
    const FolderView report = ViewFolder(folder);
    const LinuxIconState linuxView
        = ViewLinuxIcon(folder, StoredCustomisation { report.tooltip, report.iconFile, report.iconIndex });
    if (const QString why = o.preview ? writePreview(report, *o.preview) : QString(); !why.isEmpty()) {
        r.err = FailedLine(*o.preview, why);
        r.failures = 1;
    }
    if (o.json)
        r.json = QJsonDocument(ReportJson(report, &linuxView)).toJson(QJsonDocument::Compact);
    else
        r.out = ReportText(report, &linuxView);
    return r;
}

int show(const FolderOptions& o, const QStringList& arguments)
{
    int failures = 0;
    JsonArrayWriter json;
    runFolders(o, arguments, [&](const QString& folder) { return showOne(o, folder); },
        [&](const FolderOutcome& r) {
            failures += r.failures;
            say(stderr, r.err);
            say(stdout, r.out);
            if (!r.json.isEmpty()) json.add(r.json);
        });
    if (o.json) json.end();
    return failures ? 1 : 0;
}

FolderOutcome changeOne(const FolderOptions& o, const QString& folder)
{
    const FolderChange c = o.dryRun ? PlanChange(folder, o.wanted) : MakeChange(folder, o.wanted);
    if (!c.error.isEmpty()) return FailedOutcome(folder, c.error);
    FolderOutcome r;
    r.folder = folder;
    if (c.what.isEmpty()) return r;
    r.changed = 1;
    if (o.dryRun)
        r.out = ShownText(folder) + QStringLiteral(": ") + ShownText(c.what.join(QStringLiteral("; ")))
            + QLatin1Char('\n');
    return r;
}

int change(const FolderOptions& o, const QStringList& arguments)
{
    Progress progress(true);
    std::optional<Flusher> flusher;
    if (!o.dryRun) flusher.emplace(o.folders);
    int failures = 0, changed = 0, unread = 0;
    runFolders(
        o, arguments,
        [&](const QString& folder) {
            if (flusher) flusher->step();
            return changeOne(o, folder);
        },
        [&](const FolderOutcome& r) {
            if (r.visited)
                progress.step(r.folder);
            else
                ++unread;
            failures += r.failures;
            changed += r.changed;
            if (!r.err.isEmpty() || !r.out.isEmpty()) progress.clear();
            say(stderr, r.err);
            say(stdout, r.out);
        });
    flusher.reset();
    progress.clear();
    const QString done = o.dryRun ? QStringLiteral("würden geändert") : QStringLiteral("geändert");
    say(stdout,
        QStringLiteral("%1 Ordner, %2 %3, %4 fehlgeschlagen, in %5 s.\n")
            .arg(QString::number(progress.count() + unread), QString::number(changed), done,
                QString::number(failures), QString::number(progress.seconds(), 'f', 2)));
    return failures ? 1 : 0;
}

// Each folder whose Desktop.ini names an icon gets it for Linux too; what
// Linux cannot show from here is listed with the reason.
int mirror(const FolderOptions& o)
{
    Progress progress(true);
    Flusher flusher(o.folders);
    int failures = 0, mirrored = 0, left = 0;
    WalkFolders(
        o.folders, o.recursive,
        [&](const QString& folder, const std::shared_ptr<files::FolderHandle>& handle) {
            progress.step(folder);
            flusher.step();
            const files::OpenedFolder held(handle);
            const MirrorResult r = MirrorFolder(folder);
            if (r.kind == MirrorResult::Kind::NoIcon || r.kind == MirrorResult::Kind::Unchanged) return;
            progress.clear();
            if (r.kind == MirrorResult::Kind::Failed) {
                say(stderr, FailedLine(folder, r.text));
                ++failures;
                return;
            }
            const bool done = r.kind == MirrorResult::Kind::Mirrored;
            (done ? mirrored : left)++;
            say(stdout,
                ShownText(folder) + (done ? QStringLiteral(": Icon=") : QStringLiteral(": ausgelassen: "))
                    + ShownText(r.text) + u'\n');
        },
        [&](const QString& folder, const QString& why) {
            progress.clear();
            say(stderr, FailedLine(folder, why));
            ++failures;
        });
    progress.clear();
    say(stdout,
        QStringLiteral("%1 Ordner, %2 gespiegelt, %3 ausgelassen, %4 fehlgeschlagen, in %5 s.\n")
            .arg(QString::number(progress.count()), QString::number(mirrored), QString::number(left),
                QString::number(failures), QString::number(progress.seconds(), 'f', 2)));
    return failures ? 1 : 0;
}

// A worker's options: the run's command line as the walking process took it.
FolderTask workerTask(const QStringList& arguments, const net::SignIn& signIn, bool& recursive)
{
    const ParsedOptions parsed = ParseFolderOptions(arguments);
    if (!parsed.options) return {};
    auto o = std::make_shared<FolderOptions>(*parsed.options);
    recursive = o->recursive;
    o->signIn = signIn;
    files::setChosenFolders(o->folders);
    net::setSignIn(QString(), o->signIn);
    if (o->timeoutMs) net::setTimeout(*o->timeoutMs);
    if (o->verb == FolderVerb::Show) return [o](const QString& folder) { return showOne(*o, folder); };
    return [o](const QString& folder) { return changeOne(*o, folder); };
}

} // namespace

int main(int argc, char** argv)
{
    // Only the preview draws text, and it needs no display for that.
    const bool drawing = std::any_of(argv + 1, argv + argc,
        [](const char* a) { return std::strncmp(a, "--preview", 9) == 0 && (!a[9] || a[9] == '='); });
    if (drawing) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The folder's view needs this machine's Samba shares (testparm runs
    // for tens of milliseconds), the picture its fonts: both are read at once.
    std::thread sharesAhead;
    if (drawing) sharesAhead = std::thread([] { files::sambaSharePaths(); });
    std::unique_ptr<QCoreApplication> app
        = drawing ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], kWorkerArgument) == 0) {
        const int status = RunFolderWorker(workerTask);
        std::fflush(nullptr);
        if (net::callLeftRunning()) ::_exit(status);
        return status;
    }
    if (drawing) {
        PreparePreviewFonts();
        sharesAhead.join();
    }
    // Folder names are bytes: Qt's own argument list would replace the ones
    // that are not UTF-8.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << files::fromNative(QByteArray(argv[i]));
    if (arguments.size() == 1
        && (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const ParsedOptions parsed = ParseFolderOptions(arguments);
    HidePasswords(parsed, argc, argv);
    if (!parsed.options) {
        say(stderr, QStringLiteral("quillmark-folder: ") + ShownText(parsed.error) + QLatin1Char('\n'));
        std::fputs(kUsage, stderr);
        return 2;
    }
    // The folders the user named are followed when they are links; the
    // folders found below them never are.
    files::setChosenFolders(parsed.options->folders);
    net::setSignIn(QString(), parsed.options->signIn);
    if (parsed.options->timeoutMs) net::setTimeout(*parsed.options->timeoutMs);
    const FolderVerb verb = parsed.options->verb;
    const int status = verb == FolderVerb::Show ? show(*parsed.options, arguments)
        : verb == FolderVerb::Mirror            ? mirror(*parsed.options)
                                                : change(*parsed.options, arguments);
    if (StopRequested()) EndByStopSignal();
    if (net::callLeftRunning()) {
        std::fflush(nullptr);
        ::_exit(status);
    }
    return status;
}
