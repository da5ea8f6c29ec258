// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Folders on servers done by several processes at once. This machine's
// Samba client library keeps per-thread state that a second thread breaks,
// so each worker is a process of its own (the same program, started again),
// with its own library context and connection. The walking process hands
// each folder, with the listings it already holds, to an idle worker and
// prints the outcomes in the order of the walk: what is printed, and the
// exit status, do not depend on the number of workers.
#include "platform/net/smb_client.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <list>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What one folder adds to the run's output, exactly as printed.
struct FolderOutcome {
    QString folder;
    bool visited = true; // false: the walk could not read it
    QString out, err; // for stdout and stderr
    QByteArray json; // show --json: the folder's object, compact
    int failures = 0;
    int changed = 0;
};

// The line that names a failed folder and why; the reason may quote folder
// data too.
QString FailedLine(const QString& folder, const QString& why);
FolderOutcome FailedOutcome(const QString& folder, const QString& why);

using FolderTask = std::function<FolderOutcome(const QString& folder)>;
using OutcomePrinter = std::function<void(const FolderOutcome&)>;

// Ctrl-C and SIGTERM: the first asks the run to stop (workers finish their
// folder), the second ends it at once, workers included.
void CatchStopSignals();
bool StopRequested();
// Ends the process with the signal that stopped it, as if uncaught.
[[noreturn]] void EndByStopSignal();

// One folder's step of a walk over a server, as a one-process walk takes
// it: its entry, its listing when the walk goes below it, the task, and the
// names of the folders below (sorted). A folder that cannot be read is the
// outcome, not visited, with nothing below.
struct FolderStep {
    FolderOutcome outcome;
    QStringList below;
    std::vector<net::Entry> listing; // the folder's, for the bits of those below
};
FolderStep StepNetworkFolder(const QString& folder, bool recursive, const FolderTask& task);

class FolderWorkers {
public:
    // arguments: the command line from the verb on, passwords included; it
    // reaches the workers through their pipes only. The task is the
    // parent's own, for folders no worker could take; local walks a folder
    // of this machine and prints as it goes.
    FolderWorkers(int jobs, bool recursive, QStringList arguments, net::SignIn signIn, FolderTask task,
        OutcomePrinter print, std::function<void(const QString&)> local);
    ~FolderWorkers();
    FolderWorkers(const FolderWorkers&) = delete;
    FolderWorkers& operator=(const FolderWorkers&) = delete;

    // A folder the user named, in the order named; onServer as its name was taken.
    void add(const QString& folder, bool onServer);
    // Walks every folder named and prints each outcome in walk order.
    void run();

private:
    struct Node {
        QString folder;
        Node* parent = nullptr;
        bool local = false;
        bool handed = false;
        std::optional<FolderOutcome> outcome; // done, not yet printed
        // Known once done; printed ones leave. A list: an empty deque takes
        // half a kilobyte, per folder of a wide tree.
        std::list<std::unique_ptr<Node>> below;
        std::vector<net::Entry> listing; // kept until every folder below is handed out
        std::size_t waiting = 0; // folders below not handed out yet
        bool counted = false; // its parent's waiting counts it no more
    };
    struct Worker {
        int pid = -1;
        int fd = -1;
        Node* node = nullptr; // the folder it works on
        QString heldParent; // the listing of a parent it keeps, by key
    };
    bool start();
    bool send(Worker& w, Node* node);
    void handOut();
    void place(Node* node);
    void pump();
    void receive(std::size_t index);
    void retire(std::size_t index, bool died);
    void done(Node* node, FolderStep step);
    bool printReady();
    void forwardStop();

    int jobs_;
    bool recursive_;
    QStringList arguments_;
    net::SignIn signIn_;
    FolderTask task_;
    OutcomePrinter print_;
    std::function<void(const QString&)> local_;
    std::vector<Worker> workers_;
    Node top_; // the named folders are below it
    std::vector<Node*> ready_; // known, not handed out; the last first
    std::vector<Node*> path_; // the printing walk: from a named folder to the next to print
    std::size_t handedUnprinted_ = 0;
    quint64 handed_ = 0; // folders handed out so far
    QHash<QString, bool> shares_; // whether this process reaches a share, by \\server\share in lower case
    QString ownHeldParent_; // the listing kept here, for folders no worker takes
    bool stopForwarded_ = false;
    bool limitSaid_ = false;
};

// The hidden first argument that makes the program a worker; its pipe is
// descriptor 3.
inline constexpr char kWorkerArgument[] = "--arbeitsprozess";
// The worker's side: reads the run's command line and sign-in from the
// pipe, gets its task and whether the walk goes below each folder from
// prepare (no task: the command line is refused),
// then does the folders it is handed until the pipe closes or a stop signal
// comes. Returns the exit status.
using WorkerPreparer
    = std::function<FolderTask(const QStringList& arguments, const net::SignIn& signIn, bool& recursive)>;
int RunFolderWorker(const WorkerPreparer& prepare);
