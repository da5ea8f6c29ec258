// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program once, its output discarded, and prints its wall time in
// seconds and its peak resident set in kilobytes: "SECONDS KILOBYTES".
// The exit status is the program's.
//
// Usage: qm_bench_launch PROGRAM [ARGUMENT...]
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
double now()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const double start = now();
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child) return 2;
    std::printf("%.4f %ld\n", now() - start, usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
