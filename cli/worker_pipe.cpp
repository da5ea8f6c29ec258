// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/worker_pipe.h"

#include "cli/folder_workers.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr quint32 kMaxFrame = 256u << 20;

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

} // namespace

namespace workerpipe {

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

QString shareRootOf(const QString& folder)
{
    const QStringList parts = net::cleanNetworkPath(folder).split(u'\\', Qt::SkipEmptyParts);
    return QStringLiteral("\\\\") + parts.value(0) + u'\\' + parts.value(1);
}

void catchWorkerSignals()
{
    catchSignals([](int signal) { g_stopSignal = signal, g_stops.fetch_add(1); }, SA_RESETHAND);
}

void rememberPid(pid_t pid)
{
    for (auto& slot : g_pids) {
        pid_t none = 0;
        if (slot.compare_exchange_strong(none, pid)) break;
    }
}

void forgetPid(pid_t pid)
{
    for (auto& slot : g_pids) {
        pid_t mine = pid;
        if (slot.compare_exchange_strong(mine, 0)) break;
    }
}

} // namespace workerpipe

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
