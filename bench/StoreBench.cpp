// The schedule store against raw SQLite doing the same work on the same file, at the table size
// given by --rows=N: the table opened while the date is still empty, a day read, the month
// summary, a save and a delete.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "bench/BenchSupport.h"
#include "store/DBTables.h"

namespace {

const char* const Fields[] = {"Year", "Month", "Day", "Time", "StartTime", "EndTime", "TiTle", "MemoFile"};
const int Widths[] = {4, 2, 2, 2, 2, 2, 50, 14};

// The date the filter and the query look at: today, the middle of the schedule.
std::string CurYear, CurMonth, CurDay;

// The table as the data module declares it: persistent fields, the day filter and its keys.
std::unique_ptr<TTable> DayTable(const std::string& Year, const std::string& Month, const std::string& Day) {
    auto T = std::make_unique<TTable>(nullptr);
    T->SetDatabaseName("BCDEMOS");
    T->SetTableName("Agendix.DB");
    for (int I = 0; I < 8; ++I) {
        auto* F = new TStringField(T.get());
        F->SetFieldName(Fields[I]);
        F->SetSize(Widths[I]);
        F->SetDataSet(T.get());
    }
    T->OnFilterRecord = [Year, Month, Day](TDataSet* Ds, bool& Accept) {
        Accept = Ds->FieldByName("Year")->AsString() == Year &&
                 Ds->FieldByName("Month")->AsString() == Month && Ds->FieldByName("Day")->AsString() == Day;
    };
    T->OnFilterKeys = [Year, Month, Day](TDataSet*, std::vector<TFilterKey>& K) {
        K = {{"Year", Year}, {"Month", Month}, {"Day", Day}};
    };
    T->SetFiltered(true);
    return T;
}

struct TRaw {
    sqlite3* Db = nullptr;
    TRaw() {
        sqlite3_open(Bench::ScheduleFile().c_str(), &Db);
        sqlite3_exec(Db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    }
    ~TRaw() { sqlite3_close(Db); }
    sqlite3_stmt* Prepare(const char* Sql) {
        sqlite3_stmt* S = nullptr;
        sqlite3_prepare_v3(Db, Sql, -1, SQLITE_PREPARE_PERSISTENT, &S, nullptr);
        return S;
    }
};

size_t ReadDay(TTable& T) {
    size_t Bytes = 0;
    T.Close();
    T.Open();
    for (; !T.Eof(); T.Next())
        Bytes += T.FieldByName("Time")->AsString().size() + T.FieldByName("Title")->AsString().size();
    return Bytes;
}

size_t RawReadDay(sqlite3_stmt* S, const std::string& Y, const std::string& M, const std::string& D) {
    size_t Bytes = 0;
    sqlite3_bind_text(S, 1, Y.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(S, 2, M.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(S, 3, D.c_str(), -1, SQLITE_STATIC);
    while (sqlite3_step(S) == SQLITE_ROW) {
        std::string Time(reinterpret_cast<const char*>(sqlite3_column_text(S, 4)));
        std::string Title(reinterpret_cast<const char*>(sqlite3_column_text(S, 7)));
        Bytes += Time.size() + Title.size();
    }
    sqlite3_reset(S);
    return Bytes;
}

// The data module opens its table while the main window's date strings are still empty.
void OpenEmpty(benchmark::State& State) {
    auto T = DayTable("", "", "");
    size_t Bytes = 0;
    for (auto _ : State) Bytes += ReadDay(*T);
    if (T->RecordCount() != 0) State.SkipWithError("no row has an empty date");
    benchmark::DoNotOptimize(Bytes);
}

void RawOpenEmpty(benchmark::State& State) {
    TRaw Raw;
    sqlite3_stmt* S = Raw.Prepare(Bench::DaySql);
    size_t Bytes = 0;
    for (auto _ : State) Bytes += RawReadDay(S, "", "", "");
    sqlite3_finalize(S);
    benchmark::DoNotOptimize(Bytes);
}

void DayRead(benchmark::State& State) {
    auto T = DayTable(CurYear, CurMonth, CurDay);
    size_t Bytes = 0;
    for (auto _ : State) Bytes += ReadDay(*T);
    if (T->RecordCount() != 16) State.SkipWithError("the day should hold 16 rows");
    benchmark::DoNotOptimize(Bytes);
}

void RawDayRead(benchmark::State& State) {
    TRaw Raw;
    sqlite3_stmt* S = Raw.Prepare(Bench::DaySql);
    size_t Bytes = 0;
    for (auto _ : State) Bytes += RawReadDay(S, CurYear, CurMonth, CurDay);
    sqlite3_finalize(S);
    benchmark::DoNotOptimize(Bytes);
}

void MonthSummary(benchmark::State& State) {
    TQuery Q(nullptr);
    Q.SetDatabaseName("BCDEMOS");
    Q.SQL()->SetText(Bench::MonthSql);
    const char* Names[] = {"Year", "Month", "Day", "DayCnt", "Msg"};
    TField* F[5];
    for (int I = 0; I < 5; ++I) {
        F[I] = I == 3 ? static_cast<TField*>(new TIntegerField(&Q)) : new TStringField(&Q);
        F[I]->SetFieldName(Names[I]);
        F[I]->SetDataSet(&Q);
    }
    F[4]->SetFieldKind(fkCalculated);
    F[4]->SetSize(30);
    Q.OnCalcFields = [&F](TDataSet* Ds) {
        if (Ds->RecordCount() == 0) return;
        F[4]->SetAsString("총 " + F[3]->AsString() + " 건의 일정이 있습니다.");
    };
    size_t Bytes = 0;
    for (auto _ : State) {
        Q.Close();
        Q.ParamByName("CurYear")->SetAsString(CurYear);
        Q.ParamByName("CurMonth")->SetAsString(CurMonth);
        Q.Open();
        for (Q.First(); !Q.Eof(); Q.Next()) Bytes += F[2]->AsString().size() + F[4]->AsString().size();
    }
    if (Q.RecordCount() < 28) State.SkipWithError("every day of the month has entries");
    Q.Close();
    benchmark::DoNotOptimize(Bytes);
}

void RawMonthSummary(benchmark::State& State) {
    TRaw Raw;
    sqlite3_stmt* S = Raw.Prepare(Bench::MonthSql);
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
    benchmark::DoNotOptimize(Bytes);
}

int64_t FirstRowOfDay(TRaw& Raw) {
    sqlite3_stmt* Find = Raw.Prepare(Bench::DaySql);
    sqlite3_bind_text(Find, 1, CurYear.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(Find, 2, CurMonth.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(Find, 3, CurDay.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(Find);
    int64_t RowId = sqlite3_column_int64(Find, 0);
    sqlite3_finalize(Find);
    return RowId;
}

// An entry's title changed and stored, as the entry dialog stores it.
void Save(benchmark::State& State) {
    auto T = DayTable(CurYear, CurMonth, CurDay);
    T->Open();
    int N = 0;
    for (auto _ : State) {
        T->Edit();
        T->FieldByName("Title")->SetAsString("고친 제목 " + std::to_string(++N % 2));
        T->Post();
    }
}

void RawSave(benchmark::State& State) {
    TRaw Raw;
    int64_t RowId = FirstRowOfDay(Raw);
    sqlite3_stmt* S = Raw.Prepare("UPDATE \"Agendix.DB\" SET TiTle = ?1 WHERE rowid = ?2");
    int N = 0;
    for (auto _ : State) {
        std::string Title = "고친 제목 " + std::to_string(++N % 2);
        sqlite3_bind_text(S, 1, Title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(S, 2, RowId);
        if (sqlite3_step(S) != SQLITE_DONE) State.SkipWithError(sqlite3_errmsg(Raw.Db));
        sqlite3_reset(S);
    }
    sqlite3_finalize(S);
}

// An entry deleted and stored again: the table keeps its size.
void DeleteAndAdd(benchmark::State& State) {
    auto T = DayTable(CurYear, CurMonth, CurDay);
    T->Open();
    for (auto _ : State) {
        T->Last();
        std::string Values[8];
        for (int I = 0; I < 8; ++I) Values[I] = T->FieldByName(Fields[I])->AsString();
        T->Delete();
        T->Append();
        for (int I = 0; I < 8; ++I) T->FieldByName(Fields[I])->SetAsString(Values[I]);
        T->Post();
    }
}

void RawDeleteAndAdd(benchmark::State& State) {
    TRaw Raw;
    int64_t RowId = FirstRowOfDay(Raw);
    sqlite3_stmt* Get = Raw.Prepare("SELECT * FROM \"Agendix.DB\" WHERE rowid = ?1");
    sqlite3_stmt* Del = Raw.Prepare("DELETE FROM \"Agendix.DB\" WHERE rowid = ?1");
    sqlite3_stmt* Add = Raw.Prepare("INSERT INTO \"Agendix.DB\" VALUES (?,?,?,?,?,?,?,?)");
    for (auto _ : State) {
        sqlite3_bind_int64(Get, 1, RowId);
        sqlite3_step(Get);
        std::string Values[8];
        for (int I = 0; I < 8; ++I) Values[I] = reinterpret_cast<const char*>(sqlite3_column_text(Get, I));
        sqlite3_reset(Get);
        sqlite3_bind_int64(Del, 1, RowId);
        sqlite3_step(Del);
        sqlite3_reset(Del);
        for (int I = 0; I < 8; ++I) sqlite3_bind_text(Add, I + 1, Values[I].c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(Add) != SQLITE_DONE) State.SkipWithError(sqlite3_errmsg(Raw.Db));
        sqlite3_reset(Add);
        RowId = sqlite3_last_insert_rowid(Raw.Db);
    }
    for (auto* S : {Get, Del, Add}) sqlite3_finalize(S);
}

}  // namespace

int main(int argc, char** argv) {
    int Rows = Bench::Rows(argc, argv);
    Bench::UseSchedule(Rows);
    Bench::TDay T = Bench::Today();
    CurYear = std::to_string(T.Year);
    CurMonth = std::to_string(T.Month);
    CurDay = std::to_string(T.Day);
    Bench::Register("table open, date still empty", OpenEmpty, RawOpenEmpty);
    Bench::Register("day read", DayRead, RawDayRead);
    Bench::Register("month summary", MonthSummary, RawMonthSummary);
    Bench::Register("save an entry", Save, RawSave);
    Bench::Register("delete and add an entry", DeleteAndAdd, RawDeleteAndAdd);
    Bench::RunAndReport(argc, argv, Rows);
    return 0;
}
