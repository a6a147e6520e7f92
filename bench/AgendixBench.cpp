// The schedule manager over a schedule of --rows=N entries: one spinner step with everything it
// does (the calendars move, the month summary is asked twice and the day read three times, and
// the window repaints), and its database part alone, each beside raw SQLite doing that
// database work on the same file.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <unistd.h>

#include <string>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "bench/BenchSupport.h"
#include "platform/ui/TestDriver.h"
#include "platform/ui/qt/FirstPaint.h"
#include "platform/ui/qt/QtPeer.h"

namespace {

// False when the window never painted: a window the display has not shown yet paints nothing,
// and steps timed then would leave the repaint out.
bool CreateForms() {
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(DataModule3);
    Form1->Show();
    bool Painted = false;
    AfterFirstPaint(Form1->Peer()->Widget, [&] { Painted = true; });
    for (int I = 0; I < 500 && !Painted; ++I) {
        TestDriver::ProcessEvents();
        if (!Painted) usleep(10000);
    }
    return Painted;
}

void CloseForms() {
    Application->Reset();
    Form1 = nullptr;
    Form2 = nullptr;
    DataModule3 = nullptr;
}

// The two dates a step goes between: today, and the same day of the next month.
struct TStepDate {
    std::string Year, Month, Day;
};
TStepDate StepDate(bool Next) {
    Bench::TDay T = Bench::Today();
    if (Next && ++T.Month > 12) T.Month = 1, ++T.Year;
    if (T.Day > 28) T.Day = 28;
    return {std::to_string(T.Year), std::to_string(T.Month), std::to_string(T.Day)};
}

void SpinnerStep(benchmark::State& State) {
    if (!CreateForms()) State.SkipWithError("the window never painted");
    bool Forward = true;
    for (auto _ : State) {
        Form1->UpDown1->Click(Forward ? btNext : btPrev);
        TestDriver::ProcessEvents();
        Forward = !Forward;
    }
    if (DataModule3->Table1->RecordCount() != 16) State.SkipWithError("the day should hold 16 entries");
    CloseForms();
}

// What a step asks of the data module: the summary and the day, the day again, then both again.
void SpinnerDatabase(benchmark::State& State) {
    CreateForms();
    TQuery* Query1 = DataModule3->Query1;
    TTable* Table1 = DataModule3->Table1;
    DataModule3->DataSource1->SetEnabled(false);  // the grid's own work is the window's, not the store's
    size_t Bytes = 0;
    auto Summary = [&](const TStepDate& D) {
        Query1->Close();
        Query1->ParamByName("CurYear")->SetAsString(D.Year);
        Query1->ParamByName("CurMonth")->SetAsString(D.Month);
        Query1->Open();
        for (int I = 0; I < Query1->RecordCount(); ++I)
            Bytes += Query1->RecordText(I, DataModule3->Query1Msg).size();
    };
    auto Day = [&] {
        Table1->Close();
        Table1->Open();
        for (; !Table1->Eof(); Table1->Next())
            Bytes += Table1->FieldByName("Time")->AsString().size() +
                     Table1->FieldByName("Title")->AsString().size();
    };
    bool Forward = true;
    for (auto _ : State) {
        TStepDate D = StepDate(Forward);
        Form1->Str_CurrYear = D.Year;
        Form1->Str_CurrMonth = D.Month;
        Form1->Str_CurrDay = D.Day;
        Summary(D);
        Day();
        Day();
        Summary(D);
        Day();
        Forward = !Forward;
    }
    if (Table1->RecordCount() != 16) State.SkipWithError("the day should hold 16 entries");
    benchmark::DoNotOptimize(Bytes);
    CloseForms();
}

void RawSpinnerDatabase(benchmark::State& State) {
    sqlite3* Db = nullptr;
    sqlite3_open(Bench::ScheduleFile().c_str(), &Db);
    sqlite3_exec(Db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt *Month = nullptr, *Day = nullptr;
    sqlite3_prepare_v3(Db, Bench::MonthSql, -1, SQLITE_PREPARE_PERSISTENT, &Month, nullptr);
    sqlite3_prepare_v3(Db, Bench::DaySql, -1, SQLITE_PREPARE_PERSISTENT, &Day, nullptr);
    size_t Bytes = 0;
    auto Summary = [&](const TStepDate& D) {
        sqlite3_bind_text(Month, 1, D.Year.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(Month, 2, D.Month.c_str(), -1, SQLITE_STATIC);
        while (sqlite3_step(Month) == SQLITE_ROW)
            Bytes += ("총 " + std::string(reinterpret_cast<const char*>(sqlite3_column_text(Month, 3))) +
                      " 건의 일정이 있습니다.")
                         .size();
        sqlite3_reset(Month);
    };
    auto DayRead = [&](const TStepDate& D) {
        sqlite3_bind_text(Day, 1, D.Year.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(Day, 2, D.Month.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(Day, 3, D.Day.c_str(), -1, SQLITE_STATIC);
        while (sqlite3_step(Day) == SQLITE_ROW)
            Bytes += std::string(reinterpret_cast<const char*>(sqlite3_column_text(Day, 4))).size() +
                     std::string(reinterpret_cast<const char*>(sqlite3_column_text(Day, 7))).size();
        sqlite3_reset(Day);
    };
    bool Forward = true;
    for (auto _ : State) {
        TStepDate D = StepDate(Forward);
        Summary(D);
        DayRead(D);
        DayRead(D);
        Summary(D);
        DayRead(D);
        Forward = !Forward;
    }
    sqlite3_finalize(Month);
    sqlite3_finalize(Day);
    sqlite3_close(Db);
    benchmark::DoNotOptimize(Bytes);
}

}  // namespace

int main(int argc, char** argv) {
    int Rows = Bench::Rows(argc, argv);
    Bench::UseSchedule(Rows);
    Application->Initialize(argc, argv);
    Bench::Register("spinner step, end to end (baseline: its raw database part)", SpinnerStep,
                    RawSpinnerDatabase);
    Bench::Register("spinner step, database part", SpinnerDatabase, RawSpinnerDatabase);
    Bench::RunAndReport(argc, argv, Rows, true);
    return 0;
}
