// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/net/call_thread.h"

#include "platform/net/smb_client.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

namespace net {

namespace {

thread_local CallWaiter t_waiter;

// Calls to the library run one after another on a thread of their own,
// which holds the run's one library context, so a run signs in once and
// keeps its connections. Its caller waits for a call at most the limit
// once the call has begun; one still running then is left to end there
// (the library's own timeout, whole seconds and at least one, ends it
// soon), its result dropped. A call owns what it reads and writes. Never
// destroyed, as the thread may outlive the program's statics.
struct CallThread {
    struct Job {
        std::function<int()> call;
        int result = 0;
        bool begun = false, done = false;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<Job>> jobs;
    std::thread thread;
    bool stopping = false;

    void serve()
    {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !jobs.empty() || stopping; });
                if (jobs.empty()) return; // its library context goes with it
                job = jobs.front();
                jobs.pop_front();
                job->begun = true;
            }
            changed.notify_all();
            const int result = job->call();
            {
                std::lock_guard lock(mutex);
                job->result = result;
                job->done = true;
            }
            changed.notify_all();
            // After the library's first call, so that this runs before the
            // clean-up at exit that the library set up.
            static std::once_flag once;
            std::call_once(once, [] { std::atexit(stopAtExit); });
        }
    }

    // At the program's end the thread ends too, unless a call given up on
    // still runs in the library (the program then ends with _exit): a
    // thread left inside the library at exit is more than the leak
    // checker of the sanitised builds can walk, and the library's
    // context is freed where it was made.
    static void stopAtExit();

    // The call's result, or ETIMEDOUT when it ran longer than ms.
    int run(const QString& server, std::function<int()> call, int ms)
    {
        auto job = std::make_shared<Job>();
        job->call = std::move(call);
        std::unique_lock lock(mutex);
        if (!thread.joinable()) thread = std::thread([this] { serve(); });
        jobs.push_back(job);
        changed.notify_all();
        // A call before it, left running, ends within the library's own timeout.
        wait(lock, server, [&] { return job->begun; }, std::numeric_limits<int>::max());
        if (!wait(lock, server, [&] { return job->done; }, ms)) {
            left = job;
            return ETIMEDOUT;
        }
        return job->result;
    }

    // Waits for ended, at most ms, the thread's own way.
    bool wait(std::unique_lock<std::mutex>& lock, const QString& server, const std::function<bool()>& ended, int ms)
    {
        if (ended()) return true;
        if (!t_waiter) {
            if (ms == std::numeric_limits<int>::max()) {
                changed.wait(lock, ended);
                return true;
            }
            return changed.wait_for(lock, std::chrono::milliseconds(ms), ended);
        }
        const CallWaiter waiter = t_waiter;
        lock.unlock();
        waiter(server, [&] { std::lock_guard again(mutex); return ended(); }, ms);
        lock.lock();
        return ended();
    }

    std::shared_ptr<Job> left; // the last call given up on
    bool leftRunning()
    {
        std::lock_guard lock(mutex);
        return left && !left->done;
    }
};
CallThread& g_callThread = *new CallThread;

void CallThread::stopAtExit()
{
    {
        std::lock_guard lock(g_callThread.mutex);
        if (g_callThread.left && !g_callThread.left->done) return;
        g_callThread.stopping = true;
    }
    g_callThread.changed.notify_all();
    g_callThread.thread.join();
}

} // namespace

int runOnCallThread(const QString& server, std::function<int()> call, int ms)
{
    return g_callThread.run(server, std::move(call), ms);
}

void setCallWaiter(CallWaiter waiter)
{
    t_waiter = std::move(waiter);
}

bool callLeftRunning()
{
    return g_callThread.leftRunning();
}

} // namespace net
