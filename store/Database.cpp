#include "store/Database.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "platform/rtl/Files.h"
#include "store/DBTables.h"
#include "store/QueryPlan.h"

namespace {
int GBusyTimeout = 5000;

TDbFailure FailureOf(int Code) {
    switch (Code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return TDbFailure::Busy;
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return TDbFailure::ReadOnly;
        case SQLITE_CONSTRAINT:
        case SQLITE_MISMATCH:
            return TDbFailure::Constraint;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return TDbFailure::Corrupt;
        case SQLITE_FULL:
            return TDbFailure::DiskFull;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
            return TDbFailure::IO;
        default:
            return TDbFailure::Other;
    }
}

std::map<std::string, std::weak_ptr<TSqliteDatabase>>& Connections() {
    static std::map<std::string, std::weak_ptr<TSqliteDatabase>> Map;
    return Map;
}

bool FileIdentity(const std::string& Path, uint64_t& Device, uint64_t& Inode) {
    struct stat St {};
    if (stat(Path.c_str(), &St) != 0) return false;
    Device = St.st_dev;
    Inode = St.st_ino;
    return true;
}
}  // namespace

AnsiString DatabaseFileName(const AnsiString& DatabaseName) {
    AnsiString Name;
    for (unsigned char C : DatabaseName) {
        bool Fit = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' ||
                   C == '-' || C == '.' || C >= 0x80;
        Name += Fit ? static_cast<char>(C) : '_';
    }
    if (Name.empty() || Name.find_first_not_of('.') == AnsiString::npos) Name = "_" + Name;
    return Drives::DataFolder() + "/" + Name + ".sqlite";
}

bool SameName(const AnsiString& A, const AnsiString& B) {
    auto Ascii = [](const AnsiString& S) {
        for (unsigned char C : S)
            if (C >= 0x80) return false;
        return true;
    };
    if (A.size() != B.size()) return !(Ascii(A) && Ascii(B)) && AnsiCompareText(A, B) == 0;
    for (size_t I = 0; I < A.size(); ++I) {
        unsigned char X = A[I], Y = B[I];
        if (X >= 0x80 || Y >= 0x80) return AnsiCompareText(A, B) == 0;
        if (X != Y && ((X | 0x20) != (Y | 0x20) || (X | 0x20) < 'a' || (X | 0x20) > 'z')) return false;
    }
    return true;
}

std::string QuoteIdent(const AnsiString& Name) {
    std::string Out = "\"";
    for (char C : Name) {
        if (C == '"') Out += '"';
        Out += C;
    }
    return Out + "\"";
}

TFieldType ParseDeclType(const AnsiString& DeclType, int& Size) {
    Size = 0;
    AnsiString T = UpperCase(DeclType);
    auto Open = T.find('(');
    if (Open != AnsiString::npos) {
        auto Close = T.find(')', Open);
        Size = StrToIntDef(
            Trim(T.substr(Open + 1, Close == AnsiString::npos ? AnsiString::npos : Close - Open - 1)), 0);
        if (Size < 0) Size = 0;
        T = Trim(T.substr(0, Open));
    }
    if (T.empty()) return ftUnknown;
    if (T.find("INT") != AnsiString::npos) {
        Size = 0;
        return ftInteger;
    }
    if (T.find("CHAR") != AnsiString::npos || T.find("TEXT") != AnsiString::npos ||
        T.find("CLOB") != AnsiString::npos)
        return ftString;
    Size = 0;
    return ftUnknown;
}

// ---- connection

std::shared_ptr<TSqliteDatabase> TSqliteDatabase::Connect(const AnsiString& DatabaseName) {
    std::string Path = DatabaseFileName(DatabaseName);
    auto& Map = Connections();
    auto It = Map.find(Path);
    if (It != Map.end()) {
        if (auto Live = It->second.lock(); Live && Live->SameFile()) return Live;
        Map.erase(It);
    }
    std::error_code Ec;
    std::filesystem::create_directories(std::filesystem::path(Path).parent_path(), Ec);
    std::shared_ptr<TSqliteDatabase> Db(new TSqliteDatabase(Path, DatabaseName));
    Map[Path] = Db;
    return Db;
}

TSqliteDatabase::TSqliteDatabase(std::string Path, const AnsiString& DatabaseName) : FPath(std::move(Path)) {
    // A file without write permission is read-only, also for a user who could override it.
    struct stat St {};
    bool Writable = stat(FPath.c_str(), &St) != 0 || (St.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
    try {
        OpenFile(DatabaseName, Writable ? omReadWrite : omReadOnly);
    } catch (const EEngineError& E) {
        // A file the user may only read is still shown. When even reading needs a write (the
        // log's index cannot be made beside it), it is read as immutable: nobody can change it.
        if (E.Kind() != TDbFailure::ReadOnly && E.Kind() != TDbFailure::IO) throw;
        if (access(FPath.c_str(), R_OK) != 0) throw;
        OpenFile(DatabaseName, omImmutable);
    }
    FileIdentity(FPath, FDevice, FInode);
}

void TSqliteDatabase::OpenFile(const AnsiString& DatabaseName, TOpenMode Mode) {
    bool Immutable = Mode == omImmutable;
    std::string Uri = "file:";
    for (unsigned char C : FPath) {
        bool Plain = std::isalnum(C) || C == '/' || C == '.' || C == '_' || C == '-' || C >= 0x80;
        char Hex[4];
        std::snprintf(Hex, sizeof Hex, "%%%02X", C);
        Uri += Plain ? std::string(1, static_cast<char>(C)) : std::string(Hex);
    }
    if (Immutable) Uri += "?immutable=1";
    int Flags = Mode == omReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    int Rc = sqlite3_open_v2(Uri.c_str(), &FDb, Flags | SQLITE_OPEN_URI, nullptr);
    if (Rc != SQLITE_OK) {
        AnsiString Msg = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(Rc);
        sqlite3_close(FDb);
        FDb = nullptr;
        throw EEngineError("Cannot open database '" + DatabaseName + "' at " + FPath + ": " + Msg,
                           FailureOf(Rc));
    }
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, GBusyTimeout);
    FReadOnly = Mode != omReadWrite || sqlite3_db_readonly(FDb, "main") == 1;
    try {
        // The first statement reads the file header, so a file that is not a database fails here.
        // WAL with synchronous FULL: every returned commit is on disk, and a killed process
        // leaves a consistent file.
        if (!FReadOnly) {
            Exec("PRAGMA journal_mode=WAL");
            Exec("PRAGMA synchronous=FULL");
        }
        // Up to 32 MiB of pages, taken only as the file needs them: the default 2 MiB holds a
        // few thousand entries' indexes, and writing a year of them then reads pages at each row.
        Exec("PRAGMA cache_size=-32768");
        Exec("SELECT count(*) FROM sqlite_master");
    } catch (...) {
        CloseHandle();
        throw;
    }
}

void TSqliteDatabase::CloseHandle() {
    for (auto& [Sql, Stmt] : FIdle) sqlite3_finalize(Stmt);
    FIdle.clear();
    // The last connection to close folds the write-ahead log back into the database file, so
    // that file alone holds every entry once the program has ended.
    if (FDb && !FReadOnly)
        sqlite3_wal_checkpoint_v2(FDb, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_close(FDb);
    FDb = nullptr;
}

TSqliteDatabase::~TSqliteDatabase() {
    if (FDb && !sqlite3_get_autocommit(FDb)) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
    CloseHandle();
    auto& Map = Connections();
    auto It = Map.find(FPath);
    if (It != Map.end() && It->second.expired()) Map.erase(It);
}

bool TSqliteDatabase::SameFile() const {
    uint64_t Device = 0, Inode = 0;
    return FileIdentity(FPath, Device, Inode) && Device == FDevice && Inode == FInode;
}

void TSqliteDatabase::Fail(const AnsiString& What) const {
    throw EEngineError(What + " in database " + FPath + ": " + sqlite3_errmsg(FDb),
                       FailureOf(sqlite3_extended_errcode(FDb)));
}

void TSqliteDatabase::Begin() {
    if (!sqlite3_get_autocommit(FDb)) throw EDatabaseError("A transaction is already open on " + FPath);
    if (FReadOnly)
        throw EEngineError("Cannot write to database " + FPath + ": the file is read-only",
                           TDbFailure::ReadOnly);
    Exec("BEGIN IMMEDIATE");
}

void TSqliteDatabase::Commit() {
    Exec("COMMIT");
}

void TSqliteDatabase::Rollback() {
    if (!sqlite3_get_autocommit(FDb)) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

void TSqliteDatabase::Exec(const std::string& Sql) {
    TStatement S(*this, Sql);
    S.Run();
}

bool TSqliteDatabase::TableExists(const AnsiString& Table) {
    TStatement S(*this, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1");
    S.BindText(1, Table);
    return S.Step();
}

std::vector<TColumnInfo> TSqliteDatabase::TableColumns(const AnsiString& Table) {
    std::vector<TColumnInfo> Cols;
    TStatement S(*this, "SELECT name, type FROM pragma_table_info(?1)");
    S.BindText(1, Table);
    while (S.Step()) Cols.push_back({S.ColumnText(0), S.ColumnText(1)});
    return Cols;
}

void TSqliteDatabase::EnsureIndex(const AnsiString& Table, const std::vector<AnsiString>& Columns) {
    AnsiString Name = Table;
    for (auto& C : Columns) Name += "_" + C;
    // A file that may only be read is read without the index it lacks.
    if (FIndexed.count(Name) || FReadOnly) return;
    bool Exists = false;
    {
        TStatement Have(*this, "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1");
        Have.BindText(1, Name);
        Exists = Have.Step();
    }
    if (!Exists) {
        std::string Sql =
            "CREATE INDEX IF NOT EXISTS " + QuoteIdent(Name) + " ON " + QuoteIdent(Table) + " (";
        for (size_t I = 0; I < Columns.size(); ++I) Sql += (I ? ", " : "") + QuoteIdent(Columns[I]);
        // Without the index (another writer holding the lock past the busy timeout) the rows are
        // still read, only slower.
        try {
            Exec(Sql + ")");
        } catch (const EDatabaseError&) {
            return;
        }
    }
    FIndexed.insert(Name);
}

int64_t TSqliteDatabase::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(FDb);
}
bool TSqliteDatabase::InTransaction() const {
    return FDb && !sqlite3_get_autocommit(FDb);
}
int TSqliteDatabase::Changes() const {
    return sqlite3_changes(FDb);
}

sqlite3_stmt* TSqliteDatabase::Borrow(const std::string& Sql, bool& Cached, bool MayFail) {
    auto It = FIdle.find(Sql);
    if (It != FIdle.end()) {
        sqlite3_stmt* Stmt = It->second;
        FIdle.erase(It);
        Cached = true;
        return Stmt;
    }
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_prepare_v3(FDb, Sql.c_str(), static_cast<int>(Sql.size()), SQLITE_PREPARE_PERSISTENT, &Stmt,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(Stmt);
        if (MayFail) return nullptr;
        Fail("Cannot prepare the statement");
    }
    if (!Stmt) throw EDatabaseError("The SQL text holds no statement");
    Cached = true;
    return Stmt;
}

void TSqliteDatabase::Return(const std::string& Sql, sqlite3_stmt* Stmt, bool Cached) {
    sqlite3_reset(Stmt);
    sqlite3_clear_bindings(Stmt);
    // Keep a bounded number of idle statements; a second copy of one in use is finalized.
    if (Cached && FIdle.size() < 64 && !FIdle.count(Sql))
        FIdle.emplace(Sql, Stmt);
    else
        sqlite3_finalize(Stmt);
}

// ---- statements

TStatement::TStatement(TSqliteDatabase& Db, const std::string& Sql) : FDb(Db), FSql(Sql) {
    FStmt = Db.Borrow(Sql, FCached);
}

TStatement::TStatement(TSqliteDatabase& Db, const std::string& Sql, sqlite3_stmt* Stmt)
    : FDb(Db), FSql(Sql), FStmt(Stmt), FCached(true) {}

std::unique_ptr<TStatement> TStatement::TryPrepare(TSqliteDatabase& Db, const std::string& Sql) {
    bool Cached = false;
    sqlite3_stmt* Stmt = Db.Borrow(Sql, Cached, true);
    if (!Stmt) return nullptr;
    return std::unique_ptr<TStatement>(new TStatement(Db, Sql, Stmt));
}

TStatement::~TStatement() {
    FDb.Return(FSql, FStmt, FCached);
}

void TStatement::BindText(int Index, const AnsiString& Value) {
    sqlite3_bind_text(FStmt, Index, Value.data(), static_cast<int>(Value.size()), SQLITE_TRANSIENT);
}
void TStatement::BindInt(int Index, int64_t Value) {
    sqlite3_bind_int64(FStmt, Index, Value);
}
void TStatement::BindNull(int Index) {
    sqlite3_bind_null(FStmt, Index);
}
void TStatement::BindValue(int Index, const std::optional<AnsiString>& Value) {
    if (Value)
        BindText(Index, *Value);
    else
        BindNull(Index);
}

bool TStatement::Step() {
    if (!sqlite3_stmt_busy(FStmt)) QueryPlan::Starting(FDb.Handle(), FSql);
    int Rc = sqlite3_step(FStmt);
    if (Rc == SQLITE_ROW) return true;
    if (Rc == SQLITE_DONE) return false;
    FDb.Fail("The statement failed");
}

void TStatement::Run() {
    while (Step()) {
    }
}

int TStatement::ColumnCount() const {
    return sqlite3_column_count(FStmt);
}

AnsiString TStatement::ColumnText(int Column) const {
    const unsigned char* Text = sqlite3_column_text(FStmt, Column);
    if (!Text) return AnsiString();
    return AnsiString(reinterpret_cast<const char*>(Text), sqlite3_column_bytes(FStmt, Column));
}

std::string_view TStatement::ColumnView(int Column) const {
    const unsigned char* Text = sqlite3_column_text(FStmt, Column);
    if (!Text) return {};
    return {reinterpret_cast<const char*>(Text), static_cast<size_t>(sqlite3_column_bytes(FStmt, Column))};
}

int64_t TStatement::ColumnInt(int Column) const {
    return sqlite3_column_int64(FStmt, Column);
}
bool TStatement::ColumnIsNull(int Column) const {
    return sqlite3_column_type(FStmt, Column) == SQLITE_NULL;
}
bool TStatement::ColumnIsInteger(int Column) const {
    return sqlite3_column_type(FStmt, Column) == SQLITE_INTEGER;
}

AnsiString TStatement::ColumnName(int Column) const {
    const char* N = sqlite3_column_name(FStmt, Column);
    return N ? AnsiString(N) : AnsiString();
}

AnsiString TStatement::ColumnDeclType(int Column) const {
    const char* T = sqlite3_column_decltype(FStmt, Column);
    return T ? AnsiString(T) : AnsiString();
}

int TStatement::ParamCount() const {
    return sqlite3_bind_parameter_count(FStmt);
}

AnsiString TStatement::ParamName(int Index) const {
    const char* N = sqlite3_bind_parameter_name(FStmt, Index);
    return N ? AnsiString(N) : AnsiString();
}

// ---- rows for data sets

namespace {
class TStatementRows : public TRowSource {
  public:
    TStatementRows(std::unique_ptr<TStatement> Stmt, bool RowIdFirst)
        : FStmt(std::move(Stmt)), FFirst(RowIdFirst ? 1 : 0) {}
    int ColumnCount() const override { return FStmt->ColumnCount() - FFirst; }
    AnsiString ColumnName(int Column) const override { return FStmt->ColumnName(Column + FFirst); }
    TFieldType ColumnType(int Column, int& Size) const override {
        return ParseDeclType(FStmt->ColumnDeclType(Column + FFirst), Size);
    }
    bool Step() override {
        FHasRow = FStmt->Step();
        return FHasRow;
    }
    bool IsNull(int Column) const override { return !FHasRow || FStmt->ColumnIsNull(Column + FFirst); }
    AnsiString Text(int Column) const override { return FStmt->ColumnText(Column + FFirst); }
    bool IsInteger(int Column) const override { return FHasRow && FStmt->ColumnIsInteger(Column + FFirst); }
    int64_t RowId() const override { return FFirst ? FStmt->ColumnInt(0) : 0; }

  private:
    std::unique_ptr<TStatement> FStmt;
    int FFirst;
    bool FHasRow = false;
};
}  // namespace

std::unique_ptr<TRowSource> StatementRows(std::unique_ptr<TStatement> Stmt, bool RowIdFirst) {
    return std::make_unique<TStatementRows>(std::move(Stmt), RowIdFirst);
}

// ---- transactions

void SetBusyTimeout(int Milliseconds) {
    GBusyTimeout = Milliseconds;
    for (auto& [Path, Weak] : Connections())
        if (auto Db = Weak.lock()) sqlite3_busy_timeout(Db->Handle(), Milliseconds);
}

std::shared_ptr<TSqliteDatabase> ConnectionOf(TDBDataSet& DataSet) {
    DataSet.Database();
    return DataSet.FDatabase;
}

bool TDBDataSet::ReadOnlyDatabase() {
    return Database().ReadOnly();
}

TTransaction::TTransaction(TDBDataSet& DataSet) : FDb(ConnectionOf(DataSet)) {
    FDb->Begin();
    FOpen = true;
}

TTransaction::~TTransaction() {
    if (FOpen) FDb->Rollback();
}

void TTransaction::Commit() {
    if (!FOpen) return;
    try {
        FDb->Commit();
    } catch (...) {
        FDb->Rollback();
        FOpen = false;
        throw;
    }
    FOpen = false;
}
