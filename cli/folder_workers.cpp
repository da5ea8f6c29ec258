// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_workers.h"

#include "platform/files/shown_text.h"

#include <QDataStream>
#include <QIODevice>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Outcomes that wait for an earlier folder, per worker: the bound of what
// the walking process holds when one folder is slow.
constexpr quint64 kWaitingPerWorker = 64;
constexpr quint32 kMaxFrame = 256u << 20;
constexpr int kWorkerFd = 3;

enum class Kind : quint8 { Setup, Job, Outcome, CannotConnect };

// The stop signals: their count, and the workers' pids for the second one,
// which ends them from the handler.
volatile std::sig_atomic_t g_stopSignal = 0;
std::atomic<int> g_stops { 0 };
constexpr int kMaxPids = 256;
std::atomic<pid_t> g_pids[kMaxPids];

void onStopSignal(int signal)
{
    g_stopSignal = signal;
    if (g_stops.fetch_add(1) == 0) return;
    for (auto& pid : g_pids)
        if (const pid_t p = pid.load(); p > 0) ::kill(p, SIGKILL);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void catchSignals(void (*handler)(int), int flags)
{
    struct sigaction a {};
    a.sa_handler = handler;
    a.sa_flags = flags; // no SA_RESTART: a wait for a pipe ends and looks at the flag
    sigemptyset(&a.sa_mask);
    ::sigaction(SIGINT, &a, nullptr);
    ::sigaction(SIGTERM, &a, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

// Reads exactly size bytes; a stop signal ends the wait when asked to.
bool readAll(int fd, char* data, std::size_t size, bool stoppable)
{
    while (size) {
        const ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR && !(stoppable && g_stops.load())) continue;
        if (n <= 0) return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool writeFrame(int fd, const QByteArray& payload)
{
    const quint32 size = quint32(payload.size());
    return writeAll(fd, reinterpret_cast<const char*>(&size), sizeof size)
        && writeAll(fd, payload.constData(), payload.size());
}

bool readFrame(int fd, QByteArray& payload, bool stoppable)
{
    quint32 size = 0;
    if (!readAll(fd, reinterpret_cast<char*>(&size), sizeof size, stoppable) || size > kMaxFrame) return false;
    payload.resize(qsizetype(size));
    return readAll(fd, payload.data(), size, stoppable);
}

QDataStream& operator<<(QDataStream& s, const net::Entry& e)
{
    return s << e.name << e.directory << e.size << quint32(e.attributes);
}

QDataStream& operator>>(QDataStream& s, net::Entry& e)
{
    quint32 attributes = 0;
    s >> e.name >> e.directory >> e.size >> attributes;
    e.attributes = attributes;
    return s;
}

void writeEntries(QDataStream& s, const std::vector<net::Entry>& entries)
{
    s << quint32(entries.size());
    for (const net::Entry& e : entries)
        s << e;
}

std::vector<net::Entry> readEntries(QDataStream& s)
{
    quint32 count = 0;
    s >> count;
    std::vector<net::Entry> entries;
    for (quint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i)
        s >> entries.emplace_back();
    return entries;
}

// The listing that holds a folder's own entry (its bits); none for a share's root.
QString parentOf(const QString& folder)
{
    const QString clean = net::cleanNetworkPath(folder);
    return clean.count(u'\\') > 3 ? net::networkParent(clean) : QString();
}

QString shareRootOf(const QString& folder)
{
    const QStringList parts = net::cleanNetworkPath(folder).split(u'\\', Qt::SkipEmptyParts);
    return QStringLiteral("\\\\") + parts.value(0) + u'\\' + parts.value(1);
}

QString endedText(int status)
{
    if (WIFSIGNALED(status))
        return QStringLiteral("Arbeitsprozess beendet (Signal %1)").arg(WTERMSIG(status));
    return QStringLiteral("Arbeitsprozess beendet (Status %1)").arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

} // namespace

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

void CatchStopSignals()
{
    catchSignals(onStopSignal, 0);
}

bool StopRequested()
{
    return g_stops.load() > 0;
}

void EndByStopSignal()
{
    const int signal = g_stopSignal ? int(g_stopSignal) : SIGTERM;
    std::fflush(nullptr);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    ::_exit(128 + signal);
}

FolderWorkers::FolderWorkers(
    int jobs, QStringList arguments, net::SignIn signIn, FolderTask task, OutcomePrinter print)
    : jobs_(jobs)
    , arguments_(std::move(arguments))
    , signIn_(std::move(signIn))
    , task_(std::move(task))
    , print_(std::move(print))
{
}

FolderWorkers::~FolderWorkers()
{
    finish();
    while (!workers_.empty())
        retire(workers_.size() - 1, false);
}

// A worker: the same program with the hidden argument, in a process group of
// its own (Ctrl-C reaches the walking process, which tells the workers), its
// pipe on descriptor 3 and nothing on its standard input and output.
bool FolderWorkers::start()
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
    static const char* const argv[] = { "quillmark-folder", kWorkerArgument, nullptr };
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls that are safe in the child of a process with threads.
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(pair[1], kWorkerFd);
        ::close_range(kWorkerFd + 1, ~0U, 0); // the walking process's connections stay its own
        ::execv("/proc/self/exe", const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(pair[1]);
    if (pid < 0) {
        ::close(pair[0]);
        return false;
    }
    Worker w;
    w.pid = pid;
    w.fd = pair[0];
    for (auto& slot : g_pids) {
        pid_t none = 0;
        if (slot.compare_exchange_strong(none, pid)) break;
    }
    QByteArray setup;
    QDataStream s(&setup, QIODevice::WriteOnly);
    s << quint8(Kind::Setup) << arguments_ << signIn_.domain << signIn_.user << signIn_.password
      << signIn_.kerberos;
    workers_.push_back(std::move(w));
    if (writeFrame(workers_.back().fd, setup)) return true;
    retire(workers_.size() - 1, false);
    return false;
}

// The job with the listings the worker does not hold yet: the folder's own,
// and its parent's, which holds the folder's bits. A parent's listing is in
// the walk's listing scope, so asking for it costs no round trip.
bool FolderWorkers::send(Worker& w, Job job)
{
    QByteArray frame;
    QDataStream s(&frame, QIODevice::WriteOnly);
    s << quint8(Kind::Job) << job.turn << job.folder;
    const QString parent = parentOf(job.folder), key = parent.toLower();
    std::vector<net::Entry> siblings;
    const bool withParent = !parent.isEmpty() && key != w.heldParent && net::list(parent, siblings) == 0;
    s << (withParent ? parent : QString());
    writeEntries(s, siblings);
    s << job.listed;
    writeEntries(s, job.listing);
    if (!writeFrame(w.fd, frame)) return false;
    if (withParent) w.heldParent = key;
    w.busy = true;
    w.job = std::move(job);
    return true;
}

// To an idle worker, preferably one that holds the folder's parent; a new
// one while fewer than allowed run; else the walking process does it.
void FolderWorkers::place(Job job)
{
    const QString key = parentOf(job.folder).toLower();
    for (;;) {
        auto idle = std::find_if(workers_.begin(), workers_.end(),
            [&](const Worker& w) { return !w.busy && !key.isEmpty() && w.heldParent == key; });
        if (idle == workers_.end())
            idle = std::find_if(workers_.begin(), workers_.end(), [](const Worker& w) { return !w.busy; });
        if (idle != workers_.end()) {
            if (send(*idle, job)) return;
            retire(std::size_t(idle - workers_.begin()), false);
            continue;
        }
        if (int(workers_.size()) < jobs_) {
            if (start()) continue;
            jobs_ = int(workers_.size());
        }
        if (jobs_ == 0) return settle(task_(job.folder), job.turn); // the walk's own listings serve it
        pump(true);
    }
}

void FolderWorkers::hand(const QString& folder, const std::vector<net::Entry>* listing)
{
    if (StopRequested()) return forwardStop();
    while (!again_.empty())
        place(std::exchange(again_.front(), {})), again_.pop_front();
    while (next_ - printed_ >= kWaitingPerWorker * quint64(std::max(jobs_, 1)) && !workers_.empty()
        && !StopRequested())
        pump(true);
    Job job;
    job.turn = next_++;
    job.folder = folder;
    job.listed = listing != nullptr;
    if (listing) job.listing = *listing;
    place(std::move(job));
}

void FolderWorkers::add(FolderOutcome outcome)
{
    settle(std::move(outcome), next_++);
}

void FolderWorkers::finish()
{
    for (;;) {
        if (StopRequested()) forwardStop();
        while (!again_.empty() && !StopRequested())
            place(std::exchange(again_.front(), {})), again_.pop_front();
        if (std::none_of(workers_.begin(), workers_.end(), [](const Worker& w) { return w.busy; })) break;
        pump(true);
    }
    // After a stop, what never came back is left out: those folders were
    // not begun, or their worker was ended.
    if (StopRequested()) {
        for (auto& [turn, outcome] : waiting_)
            print_(outcome);
        waiting_.clear();
    }
}

// Once: every worker finishes or abandons its folder between two of them.
void FolderWorkers::forwardStop()
{
    if (stopForwarded_) return;
    stopForwarded_ = true;
    for (const Worker& w : workers_)
        ::kill(w.pid, SIGTERM);
    again_.clear();
}

void FolderWorkers::pump(bool wait)
{
    std::vector<pollfd> fds;
    for (const Worker& w : workers_)
        fds.push_back({ w.fd, POLLIN, 0 });
    if (fds.empty()) return;
    if (::poll(fds.data(), fds.size(), wait ? 1000 : 0) <= 0) return;
    for (std::size_t i = fds.size(); i-- > 0;)
        if (fds[i].revents) receive(i);
}

void FolderWorkers::receive(std::size_t index)
{
    Worker& w = workers_[index];
    QByteArray frame;
    if (!readFrame(w.fd, frame, false)) return retire(index, true);
    QDataStream s(frame);
    quint8 kind = 0;
    quint64 turn = 0;
    s >> kind >> turn;
    if (Kind(kind) == Kind::CannotConnect) {
        // Most likely the server's connection limit: the folder goes to a
        // worker that is connected, and no more workers are started.
        QString why;
        s >> why;
        again_.push_back(std::move(w.job));
        w.busy = false;
        retire(index, false);
        if (!std::exchange(limitSaid_, true))
            std::fputs(QStringLiteral("quillmark-folder: Ein Arbeitsprozess bekam keine Verbindung (%1), vielleicht "
                                      "wegen der Grenze des Servers (max connections); seine Ordner übernehmen die "
                                      "anderen.\n")
                           .arg(ShownText(why))
                           .toUtf8()
                           .constData(),
                stderr);
        jobs_ = int(workers_.size());
        return;
    }
    FolderOutcome o;
    s >> o.folder >> o.visited >> o.out >> o.err >> o.json >> o.failures >> o.changed;
    if (s.status() != QDataStream::Ok || turn != w.job.turn) return retire(index, true);
    w.busy = false;
    w.job = {};
    settle(std::move(o), turn);
}

// A worker that ended: its folder fails with the cause, and a new one may
// take its place.
void FolderWorkers::retire(std::size_t index, bool died)
{
    Worker w = std::move(workers_[index]);
    workers_.erase(workers_.begin() + std::ptrdiff_t(index));
    ::close(w.fd);
    if (!died && !w.busy) ::kill(w.pid, SIGTERM); // it ends between two folders
    int status = 0;
    while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) { }
    for (auto& slot : g_pids) {
        pid_t mine = w.pid;
        if (slot.compare_exchange_strong(mine, 0)) break;
    }
    if (w.busy) settle(FailedOutcome(w.job.folder, endedText(status)), w.job.turn);
}

void FolderWorkers::settle(FolderOutcome outcome, quint64 turn)
{
    waiting_.emplace(turn, std::move(outcome));
    for (auto at = waiting_.begin(); at != waiting_.end() && at->first == printed_; at = waiting_.begin()) {
        print_(at->second);
        waiting_.erase(at);
        ++printed_;
    }
}

namespace {

// The worker's loop: one folder at a time, with the listings that came with
// it kept as if fetched here.
int workerLoop(int fd, const FolderTask& task)
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
        quint64 turn = 0;
        QString folder, parent;
        s >> kind >> turn >> folder >> parent;
        std::vector<net::Entry> siblings = readEntries(s);
        bool listed = false;
        s >> listed;
        std::vector<net::Entry> listing = readEntries(s);
        if (s.status() != QDataStream::Ok || Kind(kind) != Kind::Job) return 3;
        if (turn + 1 == dieAt) ::raise(SIGKILL);
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
                r << quint8(Kind::CannotConnect) << turn << net::describeError(folder, error);
                writeFrame(fd, reply);
                return 0;
            }
            reached.insert(share);
        }
        if (listed) net::keepListing(folder, std::move(listing));
        const FolderOutcome o = task(folder);
        net::forgetListing(folder);
        r << quint8(Kind::Outcome) << turn << o.folder << o.visited << o.out << o.err << o.json << o.failures
          << o.changed;
        if (!writeFrame(fd, reply)) break;
    }
    return 0;
}

} // namespace

int RunFolderWorker(const WorkerPreparer& prepare)
{
    // The first stop signal ends the loop between two folders, the second
    // ends the worker.
    catchSignals([](int signal) { g_stopSignal = signal, g_stops.fetch_add(1); }, SA_RESETHAND);
    // Outside the terminal's foreground group: what the library may print
    // must not stop the worker (stty tostop).
    ::signal(SIGTTOU, SIG_IGN);
    QByteArray frame;
    if (!readFrame(kWorkerFd, frame, true)) return 0;
    QDataStream s(frame);
    quint8 kind = 0;
    QStringList arguments;
    net::SignIn signIn;
    s >> kind >> arguments >> signIn.domain >> signIn.user >> signIn.password >> signIn.kerberos;
    if (s.status() != QDataStream::Ok || Kind(kind) != Kind::Setup) return 3;
    const FolderTask task = prepare(arguments, signIn);
    if (!task) return 2;
    const int status = workerLoop(kWorkerFd, task);
    ::close(kWorkerFd);
    return status;
}
