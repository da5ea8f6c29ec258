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
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
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

class FolderWorkers {
public:
    // arguments: the command line from the verb on, passwords included; it
    // reaches the workers through their pipes only. The task is the
    // parent's own, for folders no worker could take.
    FolderWorkers(int jobs, QStringList arguments, net::SignIn signIn, FolderTask task, OutcomePrinter print);
    ~FolderWorkers();
    FolderWorkers(const FolderWorkers&) = delete;
    FolderWorkers& operator=(const FolderWorkers&) = delete;

    // A folder on a server for a worker, with its listing when the walk
    // holds one; waits while every worker is busy or too many outcomes wait.
    void hand(const QString& folder, const std::vector<net::Entry>* listing);
    // An outcome made by the walking process itself, printed in its turn.
    void add(FolderOutcome outcome);
    // Waits for every folder handed out and prints the rest.
    void finish();

private:
    struct Job {
        quint64 turn = 0;
        QString folder;
        bool listed = false;
        std::vector<net::Entry> listing;
    };
    struct Worker {
        int pid = -1;
        int fd = -1;
        bool busy = false;
        Job job;
        QString heldParent; // the listing of a parent it keeps, by key
    };
    bool start();
    bool send(Worker& w, Job job);
    void place(Job job);
    void pump(bool wait);
    void receive(std::size_t index);
    void retire(std::size_t index, bool died);
    void settle(FolderOutcome outcome, quint64 turn);
    void forwardStop();

    int jobs_;
    QStringList arguments_;
    net::SignIn signIn_;
    FolderTask task_;
    OutcomePrinter print_;
    std::vector<Worker> workers_;
    std::deque<Job> again_; // folders a worker could not take
    std::map<quint64, FolderOutcome> waiting_; // done, printed after earlier ones
    quint64 next_ = 0, printed_ = 0;
    bool stopForwarded_ = false;
    bool limitSaid_ = false;
};

// The hidden first argument that makes the program a worker; its pipe is
// descriptor 3.
inline constexpr char kWorkerArgument[] = "--arbeitsprozess";
// The worker's side: reads the run's command line and sign-in from the
// pipe, gets its task from prepare (nothing: the command line is refused),
// then does the folders it is handed until the pipe closes or a stop signal
// comes. Returns the exit status.
using WorkerPreparer = std::function<FolderTask(const QStringList& arguments, const net::SignIn& signIn)>;
int RunFolderWorker(const WorkerPreparer& prepare);
