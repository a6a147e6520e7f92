#include <benchmark/benchmark.h>

#include "controls/Cgauges.h"
#include "platform/ui/Forms.h"

namespace {

class BenchGauge : public TCGauge {
  public:
    using TCGauge::Paint;
    using TCGauge::TCGauge;
};

// One whole paint of a 100 x 100 gauge at 60 %, text included.
void BM_GaugePaint(benchmark::State& State) {
    BenchGauge G(nullptr);
    G.SeTCGaugeKind(static_cast<TCGaugeKind>(State.range(0)));
    G.SetProgress(60);
    G.Refresh();
    for (auto _ : State) {
        G.Paint();
        benchmark::DoNotOptimize(G.Surface()->Bits());
    }
    static const char* const Names[] = {"gkText", "gkHorizontalBar", "gkVerticalBar", "gkPie", "gkNeedle"};
    State.SetLabel(Names[State.range(0)]);
}
BENCHMARK(BM_GaugePaint)->DenseRange(gkText, gkNeedle)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    Application->Initialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
