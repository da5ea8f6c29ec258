// SPDX-License-Identifier: GPL-3.0-or-later
// The worker's side: one folder's step of the walk at a time, as handed.
#include "cli/folder_workers.h"
#include "cli/worker_pipe.h"

#include "platform/files/native_names.h"
#include "platform/files/shown_text.h"

#include <QDataStream>
#include <QIODevice>
#include <QSet>

#include <algorithm>
#include <csignal>
#include <unistd.h>

using namespace workerpipe;

QString FailedLine(const QString& folder, const QString& why)
{
    return QStringLiteral("quillmark-folder: ") + ShownText(folder) + QStringLiteral(": ") + ShownText(why)
        + QLatin1Char('\n');
}

FolderOutcome FailedOutcome(const QString& folder, const QString& why)
{
    FolderOutcome o;
    o.folder = folder;
    o.err = FailedLine(folder, why);
    o.failures = 1;
    return o;
}

FolderStep StepNetworkFolder(const QString& folder, bool recursive, const FolderTask& task)
{
    FolderStep step;
    const auto failed = [&](int error) {
        step.outcome = FailedOutcome(folder, net::describeError(folder, error));
        step.outcome.visited = false;
        step.listing.clear();
        return std::move(step);
    };
    net::Entry entry;
    if (const int error = net::stat(folder, entry); error && error != ENOENT) return failed(error);
    // Listed before it is visited: a folder that cannot be listed is named
    // once, with the server's cause.
    if (recursive && entry.directory)
        if (const int error = net::list(folder, step.listing)) return failed(error);
    step.outcome = task(folder);
    for (const net::Entry& e : step.listing)
        if (e.directory) step.below << e.name;
    // In byte order of the names, as a walk in one process takes them.
    std::sort(step.below.begin(), step.below.end(),
        [](const QString& a, const QString& b) { return files::nativePath(a) < files::nativePath(b); });
    net::forgetListing(folder);
    return step;
}

namespace {

// The worker's loop: one folder at a time, with its parent's listing kept
// as if fetched here.
int workerLoop(int fd, const FolderTask& task, bool recursive)
{
    const net::ListingScope scope;
    // The tests' worker that dies mid-run: the one handed the run's Nth folder.
    const quint64 dieAt = quint64(qEnvironmentVariableIntValue("QUILLMARK_TEST_WORKER_KILL_AT"));
    QString heldParent;
    QSet<QString> reached; // shares this worker is connected to
    while (!StopRequested()) {
        QByteArray frame;
        if (!readFrame(fd, frame, true)) break;
        QDataStream s(frame);
        quint8 kind = 0;
        quint64 number = 0;
        QString folder, parent;
        s >> kind >> number >> folder >> parent;
        std::vector<net::Entry> siblings = readEntries(s);
        if (s.status() != QDataStream::Ok || Kind(kind) != Kind::Job) return 3;
        if (number == dieAt) ::raise(SIGKILL);
        if (!parent.isEmpty()) {
            if (!heldParent.isEmpty()) net::forgetListing(heldParent);
            net::keepListing(parent, std::move(siblings));
            heldParent = parent;
        }
        QByteArray reply;
        QDataStream r(&reply, QIODevice::WriteOnly);
        const QString share = shareRootOf(folder).toLower();
        net::Entry root;
        if (!reached.contains(share)) {
            if (const int error = net::stat(shareRootOf(folder), root)) {
                r << quint8(Kind::CannotConnect) << net::describeError(folder, error);
                writeFrame(fd, reply);
                return 0;
            }
            reached.insert(share);
        }
        const FolderStep step = StepNetworkFolder(folder, recursive, task);
        const FolderOutcome& o = step.outcome;
        r << quint8(Kind::Outcome) << o.folder << o.visited << o.out << o.err << o.json << o.failures << o.changed
          << step.below;
        writeEntries(r, step.listing);
        if (!writeFrame(fd, reply)) break;
    }
    return 0;
}

} // namespace

int RunFolderWorker(const WorkerPreparer& prepare)
{
    // The first stop signal ends the loop between two folders, the second
    // ends the worker.
    catchWorkerSignals();
    // Outside the terminal's foreground group: what the library may print
    // must not stop the worker (stty tostop).
    ::signal(SIGTTOU, SIG_IGN);
    QByteArray frame;
    if (!readFrame(kFd, frame, true)) return 0;
    QDataStream s(frame);
    quint8 kind = 0;
    QStringList arguments;
    net::SignIn signIn;
    s >> kind >> arguments >> signIn.domain >> signIn.user >> signIn.password >> signIn.kerberos;
    if (s.status() != QDataStream::Ok || Kind(kind) != Kind::Setup) return 3;
    bool recursive = false;
    const FolderTask task = prepare(arguments, signIn, recursive);
    if (!task) return 2;
    const int status = workerLoop(kFd, task, recursive);
    ::close(kFd);
    return status;
}

