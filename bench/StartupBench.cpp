// Start-up as whole processes: Agendix over a schedule of --rows=N entries against the minimal
// Qt window, on the same display, started in turn, until each says it has painted. Prints the
// medians and their ratio.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

extern char** environ;

namespace {
// Starts Program with AGENDIX_READY_FD=3, waits for its "ready" line and ends it; the time from
// the start to that line in nanoseconds, or a negative value when it never came.
double StartUntilReady(const char* Program) {
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_adddup2(&Actions, Pipe[1], 3);
    setenv("AGENDIX_READY_FD", "3", 1);
    char* Argv[] = {const_cast<char*>(Program), nullptr};
    auto Start = std::chrono::steady_clock::now();
    pid_t Pid = 0;
    int Rc = posix_spawn(&Pid, Program, &Actions, nullptr, Argv, environ);
    posix_spawn_file_actions_destroy(&Actions);
    close(Pipe[1]);
    double Ns = -1;
    if (Rc == 0) {
        char Buf[16] = {};
        if (read(Pipe[0], Buf, sizeof Buf - 1) > 0 && std::strncmp(Buf, "ready", 5) == 0)
            Ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - Start).count();
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    close(Pipe[0]);
    return Ns;
}

double Median(std::vector<double> V) {
    std::sort(V.begin(), V.end());
    return V.empty() ? 0 : V.size() % 2 ? V[V.size() / 2] : (V[V.size() / 2 - 1] + V[V.size() / 2]) / 2;
}
}  // namespace

int main(int argc, char** argv) {
    int Rows = Bench::Rows(argc, argv);
    int Runs = argc > 1 ? std::atoi(argv[1]) : 10;
    Bench::UseSchedule(Rows);
    std::vector<double> Agendix, Baseline;
    for (int I = -2; I < Runs; ++I) {  // two rounds to warm the caches, not counted
        double A = StartUntilReady(AGENDIX_PROGRAM);
        double B = StartUntilReady(MINIMAL_PROGRAM);
        if (A < 0 || B < 0) {
            std::fprintf(stderr, "a program did not say it had painted\n");
            return 1;
        }
        if (I >= 0) Agendix.push_back(A), Baseline.push_back(B);
    }
    std::printf("start-up, %d runs each: agendix %.1f ms, minimal Qt window %.1f ms\n", Runs,
                Median(Agendix) / 1e6, Median(Baseline) / 1e6);
    Bench::PrintRow("start-up to the filled window", Rows, Median(Agendix), Median(Baseline));
    return 0;
}
