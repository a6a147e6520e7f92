#pragma once
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "store/DBTables.h"
#include "tests/support/Support.h"

// Tests of the store run in a private data folder, build the schedule table the way the data
// module does, and check what reached the file through a connection of their own.

inline const char* const ScheduleFields[] = {"Year",      "Month",   "Day",   "Time",
                                             "StartTime", "EndTime", "TiTle", "MemoFile"};
inline const int ScheduleWidths[] = {4, 2, 2, 2, 2, 2, 50, 14};

struct ScheduleRow {
    std::string Year, Month, Day, Time, Start = "0", End = "2", Title, Memo;
};

// A connection of the test's own, as another process would have.
class RawDb {
  public:
    explicit RawDb(const std::string& Path) {
        if (sqlite3_open_v2(Path.c_str(), &Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK)
            ADD_FAILURE() << "cannot open " << Path;
        sqlite3_busy_timeout(Db, 5000);
    }
    ~RawDb() { sqlite3_close(Db); }
    void Exec(const std::string& Sql) {
        char* Err = nullptr;
        if (sqlite3_exec(Db, Sql.c_str(), nullptr, nullptr, &Err) != SQLITE_OK) {
            ADD_FAILURE() << Sql << ": " << (Err ? Err : "?");
            sqlite3_free(Err);
        }
    }
    // Every row of a query, columns joined by '|'; NULL reads as "<null>".
    std::vector<std::string> Rows(const std::string& Sql) {
        std::vector<std::string> Out;
        sqlite3_stmt* S = nullptr;
        if (sqlite3_prepare_v2(Db, Sql.c_str(), -1, &S, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << Sql << ": " << sqlite3_errmsg(Db);
            return Out;
        }
        while (sqlite3_step(S) == SQLITE_ROW) {
            std::string Row;
            for (int C = 0; C < sqlite3_column_count(S); ++C) {
                if (C) Row += "|";
                const unsigned char* T = sqlite3_column_text(S, C);
                Row += T ? reinterpret_cast<const char*>(T) : "<null>";
            }
            Out.push_back(Row);
        }
        sqlite3_finalize(S);
        return Out;
    }
    void Insert(const ScheduleRow& R) {
        sqlite3_stmt* S = nullptr;
        sqlite3_prepare_v2(Db, "INSERT INTO \"Agendix.DB\" VALUES (?,?,?,?,?,?,?,?)", -1, &S, nullptr);
        const std::string* V[] = {&R.Year, &R.Month, &R.Day, &R.Time, &R.Start, &R.End, &R.Title, &R.Memo};
        for (int I = 0; I < 8; ++I) sqlite3_bind_text(S, I + 1, V[I]->c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(S) != SQLITE_DONE) ADD_FAILURE() << sqlite3_errmsg(Db);
        sqlite3_finalize(S);
    }
    sqlite3* Db = nullptr;
};

inline void AddScheduleDefs(TTable& T) {
    for (int I = 0; I < 8; ++I) T.FieldDefs()->AddFieldDef(ScheduleFields[I], ftString, ScheduleWidths[I]);
}

inline std::unique_ptr<TTable> ScheduleTable() {
    auto T = std::make_unique<TTable>(nullptr);
    T->SetDatabaseName("BCDEMOS");
    T->SetTableName("Agendix.DB");
    AddScheduleDefs(*T);
    return T;
}

// The schedule table, created empty, and a raw connection to its file.
class ScheduleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Table = ScheduleTable();
        Table->CreateTable();
        Raw = std::make_unique<RawDb>(DatabaseFileName("BCDEMOS"));
    }
    void TearDown() override {
        Raw.reset();
        Table.reset();
    }
    // The values of one field over the visible rows, from the first.
    std::vector<std::string> Column(TDataSet& Ds, const char* Field) {
        std::vector<std::string> Out;
        for (Ds.First(); !Ds.Eof(); Ds.Next()) Out.push_back(Ds.FieldByName(Field)->AsString());
        return Out;
    }
    PrivateDataHome Home;
    std::unique_ptr<TTable> Table;
    std::unique_ptr<RawDb> Raw;
};
