// SPDX-License-Identifier: GPL-3.0-or-later
// The walking process's side: the workers, the walk's tree and the printing
// in walk order.
#include "cli/folder_workers.h"
#include "cli/worker_pipe.h"

#include "platform/files/shown_text.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace workerpipe;

namespace {

// Outcomes that wait for an earlier folder, per worker: the bound of what
// the walking process holds when one folder is slow.
constexpr std::size_t kWaitingPerWorker = 64;

QString endedText(int status)
{
    if (WIFSIGNALED(status))
        return QStringLiteral("Arbeitsprozess beendet (Signal %1)").arg(WTERMSIG(status));
    return QStringLiteral("Arbeitsprozess beendet (Status %1)").arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

} // namespace

FolderWorkers::FolderWorkers(int jobs, bool recursive, QStringList arguments, net::SignIn signIn, FolderTask task,
    OutcomePrinter print, std::function<void(const QString&)> local)
    : jobs_(jobs)
    , recursive_(recursive)
    , arguments_(std::move(arguments))
    , signIn_(std::move(signIn))
    , task_(std::move(task))
    , print_(std::move(print))
    , local_(std::move(local))
{
}

FolderWorkers::~FolderWorkers()
{
    while (!workers_.empty())
        retire(workers_.size() - 1, false);
}

void FolderWorkers::add(const QString& folder, bool onServer)
{
    auto node = std::make_unique<Node>();
    node->folder = folder;
    node->parent = &top_;
    node->local = !onServer;
    top_.below.push_back(std::move(node));
}

void FolderWorkers::run()
{
    const net::ListingScope scope; // for folders done here
    for (auto at = top_.below.rbegin(); at != top_.below.rend(); ++at)
        if (!(*at)->local) ready_.push_back(at->get());
    while (!printReady()) {
        if (StopRequested()) forwardStop();
        handOut();
        if (printReady()) break;
        pump();
    }
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
        ::dup2(pair[1], kFd);
        ::close_range(kFd + 1, ~0U, 0); // the walking process's connections stay its own
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
    rememberPid(pid);
    QByteArray setup;
    QDataStream s(&setup, QIODevice::WriteOnly);
    s << quint8(Kind::Setup) << arguments_ << signIn_.domain << signIn_.user << signIn_.password
      << signIn_.kerberos;
    workers_.push_back(std::move(w));
    if (writeFrame(workers_.back().fd, setup)) return true;
    retire(workers_.size() - 1, false);
    return false;
}

// The job, with the listing of the folder's parent (its bits) unless the
// worker holds it already.
bool FolderWorkers::send(Worker& w, Node* node)
{
    QByteArray frame;
    QDataStream s(&frame, QIODevice::WriteOnly);
    s << quint8(Kind::Job) << handed_ << node->folder;
    const Node* parent = node->parent;
    const QString key = parent->folder.toLower();
    const bool withParent = parent != &top_ && !parent->listing.empty() && key != w.heldParent;
    s << (withParent ? parent->folder : QString());
    writeEntries(s, withParent ? parent->listing : std::vector<net::Entry>());
    if (!writeFrame(w.fd, frame)) return false;
    if (withParent) w.heldParent = key;
    w.node = node;
    return true;
}

// The walk's next folders to idle workers (new ones while fewer than
// allowed run; this process itself when none can connect). At most 64 per
// worker wait to be printed; beyond that only the one printing waits for.
void FolderWorkers::handOut()
{
    const std::size_t window = kWaitingPerWorker * std::size_t(std::max(jobs_, 1));
    while (!StopRequested()) {
        Node* node = nullptr;
        if (handedUnprinted_ < window) {
            if (ready_.empty()) return;
            node = ready_.back();
        } else {
            const Node* parent = path_.empty() ? &top_ : path_.back();
            node = parent->below.empty() ? nullptr : parent->below.front().get();
            if (!node || node->handed || node->local || node->outcome) return;
        }
        // A share this process cannot reach either (a dead server) is left
        // to it: its folders fail as they would in one process, at once
        // once the server has let one call run out.
        const QString share = shareRootOf(node->folder);
        auto reachable = shares_.constFind(share.toLower());
        if (reachable == shares_.cend()) {
            net::Entry root;
            reachable = shares_.insert(share.toLower(), net::stat(share, root) == 0);
        }
        const QString key = node->parent->folder.toLower();
        auto idle = workers_.end();
        if (*reachable) {
            idle = std::find_if(workers_.begin(), workers_.end(),
                [&](const Worker& w) { return !w.node && node->parent != &top_ && w.heldParent == key; });
            if (idle == workers_.end())
                idle = std::find_if(workers_.begin(), workers_.end(), [](const Worker& w) { return !w.node; });
            if (idle == workers_.end() && int(workers_.size()) < jobs_) {
                if (start())
                    idle = workers_.end() - 1;
                else
                    jobs_ = int(workers_.size());
            }
            if (idle == workers_.end() && jobs_ > 0) return; // every worker busy
        }
        if (const auto at = std::find(ready_.rbegin(), ready_.rend(), node); at != ready_.rend())
            ready_.erase(std::next(at).base());
        node->handed = true;
        ++handedUnprinted_;
        ++handed_;
        if (idle == workers_.end()) {
            place(node);
        } else if (!send(*idle, node)) {
            retire(std::size_t(idle - workers_.begin()), false);
            node->handed = false;
            --handedUnprinted_;
            ready_.push_back(node);
            continue;
        }
        // The parent's listing goes once every folder below it is handed out.
        if (Node* parent = node->parent; parent != &top_ && !node->counted && --parent->waiting == 0)
            std::vector<net::Entry>().swap(parent->listing);
        node->counted = true;
    }
}

// Done here: no worker could connect.
void FolderWorkers::place(Node* node)
{
    const Node* parent = node->parent;
    if (const QString key = parent->folder.toLower();
        parent != &top_ && !parent->listing.empty() && key != ownHeldParent_) {
        if (!ownHeldParent_.isEmpty()) net::forgetListing(ownHeldParent_);
        net::keepListing(parent->folder, parent->listing);
        ownHeldParent_ = key;
    }
    done(node, StepNetworkFolder(node->folder, recursive_, task_));
}

// The folder's outcome waits for its turn; the folders below join the walk,
// the first of them next.
void FolderWorkers::done(Node* node, FolderStep step)
{
    node->outcome = std::move(step.outcome);
    if (StopRequested()) return;
    node->listing = std::move(step.listing);
    const QString here = net::cleanNetworkPath(node->folder) + u'\\';
    for (const QString& name : std::as_const(step.below)) {
        auto child = std::make_unique<Node>();
        child->folder = here + name;
        child->parent = node;
        node->below.push_back(std::move(child));
    }
    node->waiting = node->below.size();
    if (!node->waiting) std::vector<net::Entry>().swap(node->listing);
    for (auto at = node->below.rbegin(); at != node->below.rend(); ++at)
        ready_.push_back(at->get());
}

// Prints what is done in walk order, up to the first folder not done;
// printed folders leave the tree. True when every folder is printed.
bool FolderWorkers::printReady()
{
    for (;;) {
        Node* parent = path_.empty() ? &top_ : path_.back();
        if (parent->below.empty()) {
            if (path_.empty()) return true;
            path_.pop_back();
            (path_.empty() ? top_ : *path_.back()).below.pop_front();
            continue;
        }
        Node* next = parent->below.front().get();
        if (next->local || (StopRequested() && !next->handed)) {
            if (next->local && !StopRequested()) local_(next->folder);
            parent->below.pop_front();
            continue;
        }
        if (!next->outcome) return false;
        print_(*next->outcome);
        next->outcome.reset();
        --handedUnprinted_;
        path_.push_back(next);
    }
}

// Once: every worker finishes its folder and ends; nothing more is handed out.
void FolderWorkers::forwardStop()
{
    if (stopForwarded_) return;
    stopForwarded_ = true;
    for (const Worker& w : workers_)
        ::kill(w.pid, SIGTERM);
    ready_.clear();
}

void FolderWorkers::pump()
{
    std::vector<pollfd> fds;
    for (const Worker& w : workers_)
        fds.push_back({ w.fd, POLLIN, 0 });
    if (::poll(fds.data(), fds.size(), 1000) <= 0) return;
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
    s >> kind;
    Node* node = std::exchange(w.node, nullptr);
    if (Kind(kind) == Kind::CannotConnect && node) {
        // Most likely the server's connection limit: the folder goes back to
        // the walk, and no more workers are started.
        QString why;
        s >> why;
        node->handed = false;
        --handedUnprinted_;
        ready_.push_back(node);
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
    FolderStep step;
    FolderOutcome& o = step.outcome;
    s >> o.folder >> o.visited >> o.out >> o.err >> o.json >> o.failures >> o.changed >> step.below;
    step.listing = readEntries(s);
    if (s.status() != QDataStream::Ok || Kind(kind) != Kind::Outcome || !node || o.folder != node->folder) {
        w.node = node;
        return retire(index, true);
    }
    done(node, std::move(step));
}

// A worker that ended. Its folder fails with the cause; the walk goes on
// below it from a listing made here, and a new worker may take its place.
void FolderWorkers::retire(std::size_t index, bool died)
{
    Worker w = std::move(workers_[index]);
    workers_.erase(workers_.begin() + std::ptrdiff_t(index));
    ::close(w.fd);
    if (!died && !w.node) ::kill(w.pid, SIGTERM); // it ends between two folders
    int status = 0;
    while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) { }
    forgetPid(w.pid);
    if (!w.node) return;
    FolderStep step;
    step.outcome = FailedOutcome(w.node->folder, endedText(status));
    if (recursive_ && !StopRequested() && net::list(w.node->folder, step.listing) == 0) {
        for (const net::Entry& e : step.listing)
            if (e.directory) step.below << e.name;
        step.below.sort();
    }
    net::forgetListing(w.node->folder);
    done(w.node, std::move(step));
}

