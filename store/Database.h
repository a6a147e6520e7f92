#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "store/DB.h"

// The embedded engine behind the data sets: one SQLite connection per database file, shared by
// every data set of the process that uses that file. Internal to store/.

struct sqlite3;
struct sqlite3_stmt;

struct TColumnInfo {
    AnsiString Name;
    AnsiString DeclType;
};

// Rows as a data set reads them at Open.
class TRowSource {
  public:
    virtual ~TRowSource() = default;
    virtual int ColumnCount() const = 0;
    virtual AnsiString ColumnName(int Column) const = 0;
    // The column's type and width as declared ("TEXT(4)" gives ftString, 4); ftUnknown when the
    // engine does not know (expressions).
    virtual TFieldType ColumnType(int Column, int& Size) const = 0;
    virtual bool Step() = 0;  // false past the last row
    virtual bool IsNull(int Column) const = 0;
    virtual AnsiString Text(int Column) const = 0;
    virtual bool IsInteger(int Column) const = 0;
    virtual int64_t RowId() const { return 0; }
};

class TSqliteDatabase;
class TDBDataSet;

// A prepared statement borrowed from the connection's cache; reset and returned on destruction.
class TStatement {
  public:
    TStatement(TSqliteDatabase& Db, const std::string& Sql);
    // Null when the text does not prepare (no such table or column, for instance).
    static std::unique_ptr<TStatement> TryPrepare(TSqliteDatabase& Db, const std::string& Sql);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    sqlite3_stmt* Handle() const { return FStmt; }
    void BindText(int Index, const AnsiString& Value);
    void BindInt(int Index, int64_t Value);
    void BindNull(int Index);
    void BindValue(int Index, const std::optional<AnsiString>& Value);
    bool Step();  // true while a row is available
    void Run();   // steps to the end
    int ColumnCount() const;
    AnsiString ColumnText(int Column) const;
    std::string_view ColumnView(int Column) const;  // valid until the next Step
    int64_t ColumnInt(int Column) const;
    bool ColumnIsNull(int Column) const;
    bool ColumnIsInteger(int Column) const;
    AnsiString ColumnName(int Column) const;
    AnsiString ColumnDeclType(int Column) const;  // empty for expressions
    int ParamCount() const;
    AnsiString ParamName(int Index) const;  // 1-based; ":Name", or empty for "?"
    TSqliteDatabase& Db() const { return FDb; }

  private:
    TStatement(TSqliteDatabase& Db, const std::string& Sql, sqlite3_stmt* Stmt);
    TSqliteDatabase& FDb;
    std::string FSql;
    sqlite3_stmt* FStmt = nullptr;
    bool FCached = false;
};

class TSqliteDatabase {
  public:
    // The connection for a database name, made on first use and kept while any data set holds
    // it. A file that is not a database or cannot be read raises EDatabaseError naming its path.
    static std::shared_ptr<TSqliteDatabase> Connect(const AnsiString& DatabaseName);
    ~TSqliteDatabase();
    TSqliteDatabase(const TSqliteDatabase&) = delete;
    TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

    const std::string& Path() const { return FPath; }
    sqlite3* Handle() const { return FDb; }
    void Exec(const std::string& Sql);
    [[noreturn]] void Fail(
        const AnsiString& What) const;  // EDatabaseError with the path and the engine's text
    bool TableExists(const AnsiString& Table);
    std::vector<TColumnInfo> TableColumns(const AnsiString& Table);
    void EnsureIndex(const AnsiString& Table, const std::vector<AnsiString>& Columns);
    int64_t LastInsertRowId() const;
    int Changes() const;
    bool ReadOnly() const { return FReadOnly; }
    bool InTransaction() const;
    // BEGIN IMMEDIATE (the write lock now, or EEngineError), COMMIT, ROLLBACK.
    void Begin();
    void Commit();
    void Rollback();

  private:
    friend class TStatement;
    TSqliteDatabase(std::string Path, const AnsiString& DatabaseName);
    enum TOpenMode { omReadWrite, omReadOnly, omImmutable };
    void OpenFile(const AnsiString& DatabaseName, TOpenMode Mode);
    void CloseHandle();
    bool SameFile() const;  // the file on disk is still the one this connection opened
    sqlite3_stmt* Borrow(const std::string& Sql, bool& Cached, bool MayFail = false);
    void Return(const std::string& Sql, sqlite3_stmt* Stmt, bool Cached);

    std::string FPath;
    sqlite3* FDb = nullptr;
    uint64_t FDevice = 0, FInode = 0;
    bool FReadOnly = false;
    std::map<std::string, sqlite3_stmt*> FIdle;
    std::set<std::string> FIndexed;
};

std::shared_ptr<TSqliteDatabase> ConnectionOf(TDBDataSet& DataSet);

// The rows of a statement for a data set; with RowIdFirst, column 0 is the row id and the columns
// the data set sees start after it.
std::unique_ptr<TRowSource> StatementRows(std::unique_ptr<TStatement> Stmt, bool RowIdFirst);

// Names of fields, parameters and columns compare without regard to letter case; plain ASCII
// names, the usual case, take a quick path.
bool SameName(const AnsiString& A, const AnsiString& B);

// Double-quoted SQL identifier.
std::string QuoteIdent(const AnsiString& Name);
// Type and width from a declared column type: "TEXT(50)", "INTEGER", "VARCHAR(4)".
TFieldType ParseDeclType(const AnsiString& DeclType, int& Size);
