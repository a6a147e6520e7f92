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
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

extern char** environ;

namespace {
// The processor time a process has used so far, all its threads, in nanoseconds: on a busy
// machine this stays what the program itself costs while the time to the window grows.
double CpuTime(pid_t Pid) {
    double Ns = 0;
    std::error_code Ec;
    for (auto& Task : std::filesystem::directory_iterator("/proc/" + std::to_string(Pid) + "/task", Ec)) {
        std::ifstream In(Task.path() / "schedstat");
        double Run = 0;
        if (In >> Run) Ns += Run;
    }
    return Ns;
}

struct TStart {
    double Ns = -1, CpuNs = 0;
};

// Starts Program with AGENDIX_READY_FD=3, waits for its "ready" line and ends it; the time from
// the start to that line and the processor time used until then, in nanoseconds; a negative time
// when the line never came.
TStart StartUntilReady(const char* Program) {
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0) return {};
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
    TStart Result;
    if (Rc == 0) {
        char Buf[16] = {};
        if (read(Pipe[0], Buf, sizeof Buf - 1) > 0 && std::strncmp(Buf, "ready", 5) == 0) {
            Result.Ns =
                std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - Start).count();
            Result.CpuNs = CpuTime(Pid);
        }
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    close(Pipe[0]);
    return Result;
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
    std::vector<double> Agendix, Baseline, AgendixCpu, BaselineCpu;
    for (int I = -2; I < Runs; ++I) {  // two rounds to warm the caches, not counted
        TStart A = StartUntilReady(AGENDIX_PROGRAM);
        TStart B = StartUntilReady(MINIMAL_PROGRAM);
        if (A.Ns < 0 || B.Ns < 0) {
            std::fprintf(stderr, "a program did not say it had painted\n");
            return 1;
        }
        if (I < 0) continue;
        Agendix.push_back(A.Ns), Baseline.push_back(B.Ns);
        AgendixCpu.push_back(A.CpuNs), BaselineCpu.push_back(B.CpuNs);
    }
    std::printf("start-up, %d runs each: agendix %.1f ms, minimal Qt window %.1f ms\n", Runs,
                Median(Agendix) / 1e6, Median(Baseline) / 1e6);
    Bench::PrintRow("start-up to the filled window", Rows, Median(Agendix), Median(Baseline));
    Bench::PrintRow("start-up, processor time until then", Rows, Median(AgendixCpu), Median(BaselineCpu));
    return 0;
}
