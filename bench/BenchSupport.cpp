#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "platform/rtl/Dates.h"
#include "store/DBTables.h"
#include "store/Database.h"

namespace fs = std::filesystem;

namespace Bench {

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

const char* const DaySql =
    "SELECT rowid, Year, Month, Day, Time, StartTime, EndTime, TiTle, MemoFile FROM \"Agendix.DB\" "
    "WHERE Year = ?1 AND Month = ?2 AND Day = ?3 ORDER BY rowid";

int Rows(int& Argc, char** Argv) {
    int N = 10000;
    for (int I = 1; I < Argc; ++I) {
        if (std::strncmp(Argv[I], "--rows=", 7) != 0) continue;
        N = std::atoi(Argv[I] + 7);
        for (int J = I; J < Argc; ++J) Argv[J] = Argv[J + 1];
        --Argc;
        break;
    }
    return N;
}

TDay Today() {
    std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    return {Local.tm_year + 1900, Local.tm_mon + 1, Local.tm_mday};
}

namespace {
void Check(int Rc, sqlite3* Db) {
    if (Rc != SQLITE_OK && Rc != SQLITE_DONE && Rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(Db));
}

// Sixteen entries a day on Rows / 16 days, today in the middle, written as the entry dialog
// writes them; then the table is opened through the store once, so that it carries what the
// program's first use leaves (its index).
void MakeSchedule(int Rows) {
    TTable Table(nullptr);
    Table.SetDatabaseName("BCDEMOS");
    Table.SetTableName("Agendix.DB");
    const char* Names[] = {"Year", "Month", "Day", "Time", "StartTime", "EndTime", "TiTle", "MemoFile"};
    const int Widths[] = {4, 2, 2, 2, 2, 2, 50, 14};
    for (int I = 0; I < 8; ++I) Table.FieldDefs()->AddFieldDef(Names[I], ftString, Widths[I]);
    Table.CreateTable();

    sqlite3* Db = nullptr;
    Check(sqlite3_open(ScheduleFile().c_str(), &Db), Db);
    Check(sqlite3_exec(Db, "BEGIN", nullptr, nullptr, nullptr), Db);
    sqlite3_stmt* S = nullptr;
    Check(sqlite3_prepare_v2(Db, "INSERT INTO \"Agendix.DB\" VALUES (?,?,?,?,?,?,?,?)", -1, &S, nullptr), Db);
    TDay T = Today();
    TDateTime First = EncodeDate(T.Year, T.Month, T.Day) - Rows / 16 / 2;
    for (int N = 0; N < Rows; ++N) {
        uint16_t Y, M, D;
        DecodeDate(First + N / 16, Y, M, D);
        int H = 6 + N % 16;
        char Time[16];
        std::snprintf(Time, sizeof Time, "%02d", H);
        std::string V[8] = {std::to_string(Y),
                            std::to_string(M),
                            std::to_string(D),
                            Time,
                            std::to_string(2 * (H - 6)),
                            std::to_string(2 * (H - 6) + 2),
                            "회의 일정 " + std::to_string(N),
                            std::to_string(Y) + std::to_string(M) + std::to_string(D) + Time + ".txt"};
        for (int I = 0; I < 8; ++I) sqlite3_bind_text(S, I + 1, V[I].c_str(), -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(S), Db);
        sqlite3_reset(S);
    }
    sqlite3_finalize(S);
    Check(sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr), Db);
    sqlite3_close(Db);

    Table.OnFilterRecord = [](TDataSet*, bool& Accept) { Accept = true; };
    Table.OnFilterKeys = [T](TDataSet*, std::vector<TFilterKey>& K) {
        K = {{"Year", std::to_string(T.Year)},
             {"Month", std::to_string(T.Month)},
             {"Day", std::to_string(T.Day)}};
    };
    Table.SetFiltered(true);
    Table.Open();
}
}  // namespace

std::string ScheduleFile() {
    return DatabaseFileName("BCDEMOS");
}

std::string UseSchedule(int Rows) {
    TDay T = Today();
    char Stamp[40];
    std::snprintf(Stamp, sizeof Stamp, "%04d%02d%02d", T.Year, T.Month, T.Day);
    fs::path Root = AGENDIX_BENCH_DATA;
    std::string Prefix = std::to_string(Rows) + "-";
    fs::path Folder = Root / (Prefix + Stamp);
    if (!fs::exists(Folder)) {
        fs::create_directories(Root);
        for (auto& E : fs::directory_iterator(Root))
            if (E.path().filename().string().rfind(Prefix, 0) == 0) fs::remove_all(E.path());
        fs::path Making = Root / (Prefix + "making");
        setenv("XDG_DATA_HOME", Making.c_str(), 1);
        std::fprintf(stderr, "Making a schedule of %d entries in %s\n", Rows, Folder.c_str());
        MakeSchedule(Rows);
        fs::rename(Making, Folder);
    }
    setenv("XDG_DATA_HOME", Folder.c_str(), 1);
    return Folder;
}

std::string DataRoot() {
    return AGENDIX_BENCH_DATA;
}

std::string NewScratchFolder() {
    fs::path Root = fs::path(AGENDIX_BENCH_DATA) / "scratch";
    fs::create_directories(Root);
    std::string Template = (Root / "XXXXXX").string();
    if (!mkdtemp(Template.data())) throw std::runtime_error("cannot make a folder in " + Root.string());
    return Template;
}

void PrintRow(const std::string& Work, int Rows, double AgendixNs, double BaselineNs) {
    std::printf("ROW\t%s\t%d\t%.0f\t%.0f\n", Work.c_str(), Rows, AgendixNs, BaselineNs);
    std::fflush(stdout);
}

namespace {
class TMedianReporter : public benchmark::ConsoleReporter {
  public:
    TMedianReporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, std::map<std::string, double>> Medians, CpuMedians;  // work -> side -> ns
    std::vector<std::string> Order;
    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs) {
            if (R.run_type != Run::RT_Aggregate || R.aggregate_name != "median" || R.error_occurred) continue;
            const std::string& Name = R.run_name.function_name;
            auto Slash = Name.rfind('/');
            if (Slash == std::string::npos) continue;
            std::string Work = Name.substr(0, Slash);
            if (!Medians.count(Work)) Order.push_back(Work);
            double Unit = 1e9 / benchmark::GetTimeUnitMultiplier(R.time_unit);
            Medians[Work][Name.substr(Slash + 1)] = R.GetAdjustedRealTime() * Unit;
            CpuMedians[Work][Name.substr(Slash + 1)] = R.GetAdjustedCPUTime() * Unit;
        }
    }
};
}  // namespace

void Register(const char* Work, void (*Agendix)(benchmark::State&), void (*Baseline)(benchmark::State&)) {
    for (auto [Side, Fn] : {std::pair{"agendix", Agendix}, std::pair{"baseline", Baseline}})
        benchmark::RegisterBenchmark((std::string(Work) + "/" + Side).c_str(), Fn)
            ->Unit(benchmark::kMicrosecond)
            ->MinTime(0.2)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
}

void RunAndReport(int& Argc, char** Argv, int Rows, bool ProcessorTime) {
    benchmark::Initialize(&Argc, Argv);
    TMedianReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    for (auto& Work : Reporter.Order) {
        auto& M = Reporter.Medians[Work];
        if (M.count("agendix") && M.count("baseline")) PrintRow(Work, Rows, M["agendix"], M["baseline"]);
        auto& C = Reporter.CpuMedians[Work];
        if (ProcessorTime && C.count("agendix") && C.count("baseline"))
            PrintRow(Work + ", processor time", Rows, C["agendix"], C["baseline"]);
    }
}

}  // namespace Bench
