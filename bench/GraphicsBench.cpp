#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/ui/Forms.h"

// Canvas operations next to a plain fill or memmove of the same pixels, so the ratio shows what
// the canvas adds on top of moving memory.
namespace {

void BM_FillRect100(benchmark::State& State) {
    TBitmap B;
    B.SetSize(100, 100);
    TCanvas* C = B.Canvas();
    bool Odd = false;
    for (auto _ : State) {
        C->Brush()->SetColor((Odd = !Odd) ? clRed : clBlue);
        C->FillRect(Rect(0, 0, 100, 100));
        benchmark::DoNotOptimize(B.Bits());
    }
    State.SetBytesProcessed(State.iterations() * 100 * 100 * 4);
}
BENCHMARK(BM_FillRect100);

// The floor under FillRect: the same 10,000 pixels stored by a plain loop over the memory.
void BM_Fill100Floor(benchmark::State& State) {
    std::vector<uint32_t> Pixels(100 * 100);
    bool Odd = false;
    for (auto _ : State) {
        std::fill(Pixels.begin(), Pixels.end(), (Odd = !Odd) ? 0xFF0000u : 0x0000FFu);
        benchmark::DoNotOptimize(Pixels.data());
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(State.iterations() * 100 * 100 * 4);
}
BENCHMARK(BM_Fill100Floor);

void BM_ScrollLeft3(benchmark::State& State) {
    TBitmap B;
    B.SetSize(1000, 200);
    TCanvas* C = B.Canvas();
    for (auto _ : State) {
        C->CopyRect(Rect(0, 0, 997, 200), C, Rect(3, 0, 1000, 200));
        benchmark::DoNotOptimize(B.Bits());
    }
    State.SetBytesProcessed(State.iterations() * 997 * 200 * 4);
}
BENCHMARK(BM_ScrollLeft3);

void BM_MemmoveLeft3(benchmark::State& State) {
    TBitmap B;
    B.SetSize(1000, 200);
    for (auto _ : State) {
        for (int Y = 0; Y < 200; ++Y) std::memmove(B.ScanLine(Y), B.ScanLine(Y) + 3, 997 * 4);
        benchmark::DoNotOptimize(B.Bits());
    }
    State.SetBytesProcessed(State.iterations() * 997 * 200 * 4);
}
BENCHMARK(BM_MemmoveLeft3);

// A calendar cell: the day number centred in a 22 x 15 cell on a solid brush.
void BM_TextRectCell(benchmark::State& State) {
    TBitmap B;
    B.SetSize(22 * 7, 15 * 7);
    TCanvas* C = B.Canvas();
    C->Font()->SetName("MS Sans Serif");
    C->Font()->SetHeight(-11);
    const int X = (22 - C->TextWidth("12")) / 2, Y = (15 - C->TextHeight("12")) / 2;
    for (auto _ : State) {
        C->TextRect(Rect(22, 15, 44, 30), 22 + X, 15 + Y, "12");
        benchmark::DoNotOptimize(B.Bits());
    }
}
BENCHMARK(BM_TextRectCell)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    Application->Initialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
