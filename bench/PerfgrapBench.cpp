#include <benchmark/benchmark.h>

#include "controls/Perfgrap.h"

namespace {

class Graph : public TPerformanceGraph {
  public:
    using TPerformanceGraph::Replay;
    using TPerformanceGraph::TPerformanceGraph;
};

// Three series as a sampler would add them; the 950 keeps the scale at 1000, so that every
// Update draws one band and never replays.
void Sample(TPerformanceGraph& G, int N) {
    G.DataPoint(clRed, 100 + N * 37 % 300);
    G.DataPoint(clLime, 400 + N * 53 % 400);
    G.DataPoint(clYellow, 950);
}

// A graph of the given size whose ring is full.
void Prepare(TPerformanceGraph& G, const benchmark::State& State) {
    G.SetBounds(0, 0, static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    G.SetStepSize(static_cast<int>(State.range(2)));
    G.SetGraphKind(State.range(3) ? pgLine : pgBar);
    G.Refresh();
    for (int N = 0; N < G.HistoryCount() + 5; ++N) {
        Sample(G, N);
        G.Update();
    }
}

void BM_Update(benchmark::State& State) {
    Graph G(nullptr);
    Prepare(G, State);
    int N = 0;
    for (auto _ : State) {
        Sample(G, N++);
        G.Update();
    }
    State.counters["bands"] = G.HistoryCount();
}

void BM_Replay(benchmark::State& State) {
    Graph G(nullptr);
    Prepare(G, State);
    for (auto _ : State) G.Replay();
    State.counters["bands"] = G.HistoryCount();
}

// Width, height, step, line kind. Steps 1 and 10 on the same size vary the history tenfold.
BENCHMARK(BM_Update)
    ->ArgNames({"w", "h", "step", "line"})
    ->Args({100, 100, 3, 1})
    ->Args({100, 100, 3, 0})
    ->Args({1000, 200, 3, 1})
    ->Args({1000, 200, 3, 0})
    ->Args({1000, 200, 1, 1})
    ->Args({1000, 200, 10, 1})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Replay)
    ->ArgNames({"w", "h", "step", "line"})
    ->Args({1000, 200, 3, 1})
    ->Args({1000, 200, 3, 0})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
