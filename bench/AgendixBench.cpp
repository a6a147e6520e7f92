// The schedule manager over a table of 100,000 entries: one spinner step with everything it
// refreshes, and start-up to the main window shown and filled.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "platform/rtl/Dates.h"
#include "platform/ui/TestDriver.h"

namespace {
void CreateForms() {
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(DataModule3);
    Form1->Show();
    TestDriver::ProcessEvents();
}

void CloseForms() {
    Application->Reset();
    Form1 = nullptr;
    Form2 = nullptr;
    DataModule3 = nullptr;
}

// 100,000 entries, sixteen a day from 1 January 2000 on (about 17 years), stored once.
void FillTable() {
    CreateForms();
    TQuery Q(nullptr);
    Q.SetDatabaseName("BCDEMOS");
    Q.SQL()->SetText(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999), "
        "d(i, day) AS (SELECT i, date('2000-01-01', '+' || (i / 16) || ' days') FROM n) "
        "INSERT INTO \"Agendix.DB\" (\"Year\", \"Month\", \"Day\", \"Time\", \"StartTime\", \"EndTime\", "
        "\"TiTle\", \"MemoFile\") "
        "SELECT CAST(CAST(strftime('%Y', day) AS INTEGER) AS TEXT), CAST(CAST(strftime('%m', day) AS INTEGER) AS TEXT), "
        "CAST(CAST(strftime('%d', day) AS INTEGER) AS TEXT), printf('%02d', 6 + i % 16), "
        "CAST(2 * (i % 16) AS TEXT), CAST(2 * (i % 16) + 2 AS TEXT), 'Entry ' || i, '' FROM d");
    Q.ExecSQL();
    CloseForms();
}

void BM_SpinnerStep(benchmark::State& State) {
    CreateForms();
    bool Forward = true;
    for (auto _ : State) {
        Form1->UpDown1->Click(Forward ? btNext : btPrev);
        Forward = !Forward;
    }
    State.counters["entries_on_day"] = DataModule3->Table1->RecordCount();
    CloseForms();
}
BENCHMARK(BM_SpinnerStep)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_StartUp(benchmark::State& State) {
    for (auto _ : State) {
        CreateForms();
        State.PauseTiming();
        CloseForms();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);
}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string Data = (std::filesystem::temp_directory_path() / "agendix-bench-XXXXXX").string();
    if (!mkdtemp(Data.data())) return 1;
    setenv("XDG_DATA_HOME", Data.c_str(), 1);
    SetDateClock([] { return EncodeDate(2005, 6, 15); });
    Application->Initialize(argc, argv);
    FillTable();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Data);
    return 0;
}
