// The store on a schedule table of 100,000 rows: the day-filtered open and scan, the month summary
// and one durable edit, each beside plain SQLite doing the same work on the same file.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "store/DBTables.h"

namespace {

const char* const Fields[] = {"Year", "Month", "Day", "Time", "StartTime", "EndTime", "TiTle", "MemoFile"};
const int Widths[] = {4, 2, 2, 2, 2, 2, 50, 14};
constexpr int Rows = 100000;

const char* const MonthSql =
    "SELECT Agendix.\"Year\" , Agendix.\"Month\" , \n"
    " Agendix.\"Day\" , count( Agendix.\"Day\" ) as DayCnt\n"
    "FROM \"Agendix.DB\" Agendix\n"
    "WHERE ( ( Agendix.\"Year\" = :CurYear ) AND\n"
    "  ( Agendix.\"Month\" = :CurMonth ) )\n"
    "GROUP BY\n"
    " Agendix.\"Day\" , Agendix.\"Year\" , Agendix.\"Month\"\n"
    "ORDER BY\n"
    " Agendix.\"Year\" , Agendix.\"Month\" , Agendix.\"Day\"\n";

// The date the filter and the query look at.
const std::string CurYear = "2010", CurMonth = "6", CurDay = "15";

std::unique_ptr<TTable> NewTable() {
    auto T = std::make_unique<TTable>(nullptr);
    T->SetDatabaseName("BCDEMOS");
    T->SetTableName("Agendix.DB");
    for (int I = 0; I < 8; ++I) T->FieldDefs()->AddFieldDef(Fields[I], ftString, Widths[I]);
    return T;
}

void DayFilter(TDataSet* Ds, bool& Accept) {
    Accept = Ds->FieldByName("Year")->AsString() == CurYear &&
             Ds->FieldByName("Month")->AsString() == CurMonth && Ds->FieldByName("Day")->AsString() == CurDay;
}

// 16 hourly entries on each of 6,250 days from 1 January 2000: every day of the table is full.
struct World {
    std::string Folder;
    World() {
        char Tmpl[] = "/tmp/agendix-bench-XXXXXX";
        Folder = mkdtemp(Tmpl);
        setenv("XDG_DATA_HOME", Folder.c_str(), 1);
        NewTable()->CreateTable();
        sqlite3* Db = Raw();
        sqlite3_exec(Db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* S = nullptr;
        sqlite3_prepare_v2(Db, "INSERT INTO \"Agendix.DB\" VALUES (?,?,?,?,?,?,?,?)", -1, &S, nullptr);
        int Y = 2000, M = 1, D = 1;
        auto MonthLen = [](int Y, int M) {
            static const int L[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            return M == 2 && (Y % 4 == 0 && (Y % 100 != 0 || Y % 400 == 0)) ? 29 : L[M - 1];
        };
        for (int N = 0; N < Rows; ++N) {
            int H = 6 + N % 16;
            std::string V[8] = {std::to_string(Y),
                                std::to_string(M),
                                std::to_string(D),
                                (H < 10 ? "0" : "") + std::to_string(H),
                                std::to_string(2 * (H - 6)),
                                std::to_string(2 * (H - 6) + 2),
                                "회의 일정 " + std::to_string(N),
                                std::to_string(Y) + std::to_string(M) + std::to_string(D) + ".txt"};
            for (int I = 0; I < 8; ++I) sqlite3_bind_text(S, I + 1, V[I].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(S);
            sqlite3_reset(S);
            if (N % 16 == 15 && ++D > MonthLen(Y, M)) {
                D = 1;
                if (++M > 12) M = 1, ++Y;
            }
        }
        sqlite3_finalize(S);
        sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(Db);
        // The first filtered open with keys makes the index that both sides then use.
        auto T = NewTable();
        T->OnFilterRecord = DayFilter;
        T->OnFilterKeys = [](TDataSet*, std::vector<TFilterKey>& K) {
            K = {{"Year", CurYear}, {"Month", CurMonth}, {"Day", CurDay}};
        };
        T->SetFiltered(true);
        T->Open();
    }
    ~World() { std::filesystem::remove_all(Folder); }
    // A connection set up as the store sets up its own.
    static sqlite3* Raw() {
        sqlite3* Db = nullptr;
        sqlite3_open(DatabaseFileName("BCDEMOS").c_str(), &Db);
        sqlite3_exec(Db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        return Db;
    }
};

World& TheWorld() {
    static World W;
    return W;
}

void StoreDayScan(benchmark::State& State, bool Keys) {
    TheWorld();
    auto T = NewTable();
    T->OnFilterRecord = DayFilter;
    if (Keys)
        T->OnFilterKeys = [](TDataSet*, std::vector<TFilterKey>& K) {
            K = {{"Year", CurYear}, {"Month", CurMonth}, {"Day", CurDay}};
        };
    T->SetFiltered(true);
    size_t Bytes = 0;
    for (auto _ : State) {
        T->Close();
        T->Open();
        for (T->First(); !T->Eof(); T->Next())
            Bytes += T->FieldByName("Time")->AsString().size() + T->FieldByName("Title")->AsString().size();
    }
    if (T->RecordCount() != 16) State.SkipWithError("the day should hold 16 rows");
    benchmark::DoNotOptimize(Bytes);
}

void BM_StoreDayScan(benchmark::State& State) {
    StoreDayScan(State, true);
}
void BM_StoreDayScanWithoutKeys(benchmark::State& State) {
    StoreDayScan(State, false);
}

void BM_RawDayScan(benchmark::State& State) {
    TheWorld();
    sqlite3* Db = World::Raw();
    sqlite3_stmt* S = nullptr;
    sqlite3_prepare_v3(
        Db,
        "SELECT rowid, Year, Month, Day, Time, StartTime, EndTime, TiTle, MemoFile FROM \"Agendix.DB\" "
        "WHERE Year = ?1 AND Month = ?2 AND Day = ?3 ORDER BY rowid",
        -1, SQLITE_PREPARE_PERSISTENT, &S, nullptr);
    size_t Bytes = 0;
    for (auto _ : State) {
        sqlite3_bind_text(S, 1, CurYear.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(S, 2, CurMonth.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(S, 3, CurDay.c_str(), -1, SQLITE_STATIC);
        while (sqlite3_step(S) == SQLITE_ROW) {
            std::string Time(reinterpret_cast<const char*>(sqlite3_column_text(S, 4)));
            std::string Title(reinterpret_cast<const char*>(sqlite3_column_text(S, 7)));
            Bytes += Time.size() + Title.size();
        }
        sqlite3_reset(S);
    }
    sqlite3_finalize(S);
    sqlite3_close(Db);
    benchmark::DoNotOptimize(Bytes);
}

void BM_StoreMonthQuery(benchmark::State& State) {
    TheWorld();
    TQuery Q(nullptr);
    Q.SetDatabaseName("BCDEMOS");
    Q.SQL()->SetText(MonthSql);
    auto* Year = new TStringField(nullptr);
    auto* Month = new TStringField(nullptr);
    auto* Day = new TStringField(nullptr);
    auto* Count = new TIntegerField(nullptr);
    auto* Msg = new TStringField(nullptr);
    std::unique_ptr<TField> Own[] = {std::unique_ptr<TField>(Year), std::unique_ptr<TField>(Month),
                                     std::unique_ptr<TField>(Day), std::unique_ptr<TField>(Count),
                                     std::unique_ptr<TField>(Msg)};
    const char* Names[] = {"Year", "Month", "Day", "DayCnt", "Msg"};
    for (int I = 0; I < 5; ++I) {
        Own[I]->SetFieldName(Names[I]);
        Own[I]->SetDataSet(&Q);
    }
    Msg->SetFieldKind(fkCalculated);
    Msg->SetSize(30);
    Q.OnCalcFields = [Msg, Count](TDataSet* Ds) {
        if (Ds->RecordCount() == 0) return;
        Msg->SetAsString("총 " + Count->AsString() + " 건의 일정이 있습니다.");
    };
    size_t Bytes = 0;
    for (auto _ : State) {
        Q.Close();
        Q.ParamByName("CurYear")->SetAsString(CurYear);
        Q.ParamByName("CurMonth")->SetAsString(CurMonth);
        Q.Open();
        for (Q.First(); !Q.Eof(); Q.Next()) Bytes += Day->AsString().size() + Msg->AsString().size();
    }
    if (Q.RecordCount() != 30) State.SkipWithError("June should have 30 days");
    Q.Close();
    benchmark::DoNotOptimize(Bytes);
}

void BM_RawMonthQuery(benchmark::State& State) {
    TheWorld();
    sqlite3* Db = World::Raw();
    sqlite3_stmt* S = nullptr;
    sqlite3_prepare_v3(Db, MonthSql, -1, SQLITE_PREPARE_PERSISTENT, &S, nullptr);
    size_t Bytes = 0;
    for (auto _ : State) {
        sqlite3_bind_text(S, 1, CurYear.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(S, 2, CurMonth.c_str(), -1, SQLITE_STATIC);
        while (sqlite3_step(S) == SQLITE_ROW) {
            std::string Day(reinterpret_cast<const char*>(sqlite3_column_text(S, 2)));
            std::string Msg = "총 " + std::string(reinterpret_cast<const char*>(sqlite3_column_text(S, 3))) +
                              " 건의 일정이 있습니다.";
            Bytes += Day.size() + Msg.size();
        }
        sqlite3_reset(S);
    }
    sqlite3_finalize(S);
    sqlite3_close(Db);
    benchmark::DoNotOptimize(Bytes);
}

void BM_StoreEditPost(benchmark::State& State) {
    TheWorld();
    auto T = NewTable();
    T->OnFilterRecord = DayFilter;
    T->OnFilterKeys = [](TDataSet*, std::vector<TFilterKey>& K) {
        K = {{"Year", CurYear}, {"Month", CurMonth}, {"Day", CurDay}};
    };
    T->SetFiltered(true);
    T->Open();
    int N = 0;
    for (auto _ : State) {
        T->Edit();
        T->FieldByName("Title")->SetAsString("고친 제목 " + std::to_string(++N % 2));
        T->Post();
    }
}

void BM_RawUpdate(benchmark::State& State) {
    TheWorld();
    sqlite3* Db = World::Raw();
    sqlite3_stmt* Find = nullptr;
    sqlite3_prepare_v2(Db,
                       "SELECT rowid FROM \"Agendix.DB\" WHERE Year = ?1 AND Month = ?2 AND Day = ?3 LIMIT 1",
                       -1, &Find, nullptr);
    sqlite3_bind_text(Find, 1, CurYear.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(Find, 2, CurMonth.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(Find, 3, CurDay.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(Find);
    sqlite3_int64 RowId = sqlite3_column_int64(Find, 0);
    sqlite3_finalize(Find);
    sqlite3_stmt* S = nullptr;
    sqlite3_prepare_v3(Db, "UPDATE \"Agendix.DB\" SET TiTle = ?1 WHERE rowid = ?2", -1,
                       SQLITE_PREPARE_PERSISTENT, &S, nullptr);
    int N = 0;
    for (auto _ : State) {
        std::string Title = "고친 제목 " + std::to_string(++N % 2);
        sqlite3_bind_text(S, 1, Title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(S, 2, RowId);
        if (sqlite3_step(S) != SQLITE_DONE) State.SkipWithError(sqlite3_errmsg(Db));
        sqlite3_reset(S);
    }
    sqlite3_finalize(S);
    sqlite3_close(Db);
}

}  // namespace

BENCHMARK(BM_StoreDayScan)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawDayScan)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StoreDayScanWithoutKeys)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StoreMonthQuery)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawMonthQuery)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StoreEditPost)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawUpdate)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
