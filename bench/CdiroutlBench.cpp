#include <benchmark/benchmark.h>

#include <QApplication>

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/Cdiroutl.h"
#include "platform/rtl/Files.h"

// Opening a folder of many subdirectories, and walking to a directory many levels down, against
// what the file system itself costs for the same: readdir + stat + sort of the folder, and
// resolving the deep path once. Everything lies on the private C: drive of a fresh data folder.
namespace {

namespace fs = std::filesystem;

constexpr int kDepth = 600;

std::string Big(int64_t N) {
    return "big" + std::to_string(N);
}

AnsiString DeepPath() {
    AnsiString P = "c:";
    for (int I = 0; I < kDepth; ++I) P += "\\d";
    return P;
}

void MakeFolders() {
    Drives::EnsureDriveC();
    const std::string C = Drives::DriveRoot('C');
    for (int N : {1000, 5000, 20000})
        for (int I = 0; I < N; ++I)  // mixed case, so that the case-forced order differs from readdir's
            fs::create_directories(C + "/" + Big(N) + "/" + (I % 3 ? "Dir" : "dir") +
                                   std::to_string(I * 7919 % N));
    std::string Deep = C;
    for (int I = 0; I < kDepth; ++I) Deep += "/d";
    fs::create_directories(Deep);
}

// Times Act on a new outline that Prepare has set up; creating and destroying it is not timed.
template <class P, class A>
void OnNewOutlines(benchmark::State& State, P Prepare, A Act) {
    for (auto _ : State) {
        State.PauseTiming();
        auto O = std::make_unique<TCDirectoryOutline>(nullptr);
        Prepare(*O);
        State.ResumeTiming();
        Act(*O);
        State.PauseTiming();
        O.reset();
        State.ResumeTiming();
    }
}

void BM_Expand(benchmark::State& State) {
    const AnsiString Folder = "c:\\" + Big(State.range(0));
    OnNewOutlines(
        State, [&](TCDirectoryOutline& O) { O.SetDirectory(Folder); },
        [](TCDirectoryOutline& O) {
            TOutlineNode* Item = O.Items(O.SelectedItem());
            Item->SetExpanded(true);
            benchmark::DoNotOptimize(Item->ItemCount());
        });
}

void BM_ReaddirStatSort(benchmark::State& State) {
    const std::string Folder = Drives::DriveRoot('C') + "/" + Big(State.range(0));
    for (auto _ : State) {
        std::vector<std::string> Names;
        DIR* D = opendir(Folder.c_str());
        while (dirent* E = readdir(D)) {
            struct stat St;
            if (E->d_name[0] != '.' && fstatat(dirfd(D), E->d_name, &St, 0) == 0 && S_ISDIR(St.st_mode))
                Names.emplace_back(E->d_name);
        }
        closedir(D);
        std::sort(Names.begin(), Names.end());
        benchmark::DoNotOptimize(Names.data());
    }
}

void BM_Walk(benchmark::State& State) {
    const AnsiString Path = DeepPath();
    OnNewOutlines(
        State, [](TCDirectoryOutline&) {},
        [&](TCDirectoryOutline& O) {
            O.SetDirectory(Path);
            benchmark::DoNotOptimize(O.SelectedItem());
        });
}

void BM_ResolveOnce(benchmark::State& State) {
    const AnsiString Path = DeepPath();
    for (auto _ : State) benchmark::DoNotOptimize(Drives::ToNative(Path));
}

BENCHMARK(BM_Expand)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaddirStatSort)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveOnce)->Unit(benchmark::kMillisecond);

// Keeps each run's time as well as printing it, for the ratios at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& Runs) override {
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Iteration)
                Times[R.benchmark_name()] = {R.GetAdjustedRealTime(), R.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(Runs);
    }
    std::map<std::string, std::pair<double, double>> Times;  // real, CPU
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char Template[] = "/tmp/agendix-bench-XXXXXX";
    if (!mkdtemp(Template)) return 1;
    setenv("XDG_DATA_HOME", Template, 1);
    int Result = 0;
    {
        QApplication App(argc, argv);
        MakeFolders();
        benchmark::Initialize(&argc, argv);
        TRatioReporter Reporter;
        benchmark::RunSpecifiedBenchmarks(&Reporter);
        benchmark::Shutdown();
        auto Ratio = [&](const std::string& A, const std::string& B) {
            auto IA = Reporter.Times.find(A), IB = Reporter.Times.find(B);
            if (IA != Reporter.Times.end() && IB != Reporter.Times.end() && IB->second.first > 0)
                std::printf("%-18s %8.2f x (CPU %6.2f x) %s\n", A.c_str(),
                            IA->second.first / IB->second.first, IA->second.second / IB->second.second,
                            B.c_str());
        };
        std::printf("\nGoal: within 3 x the baseline.\n");
        for (const char* N : {"1000", "5000", "20000"})
            Ratio(std::string("BM_Expand/") + N, std::string("BM_ReaddirStatSort/") + N);
        Ratio("BM_Walk", "BM_ResolveOnce");
    }
    std::error_code Ec;
    fs::remove_all(Template, Ec);
    return Result;
}
