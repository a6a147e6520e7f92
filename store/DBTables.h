#pragma once
#include <memory>
#include <string_view>

#include "store/DB.h"

class TSqliteDatabase;

// The file that a database name stands for: one SQLite file under the user's data folder,
// "BCDEMOS" -> <data folder>/BCDEMOS.sqlite. Characters unfit for a file name become '_'.
AnsiString DatabaseFileName(const AnsiString& DatabaseName);

// A data set on a named database. Every Open reads the committed state of the file afresh, also
// what other processes wrote.
class TDBDataSet : public TDataSet {
    AGENDIX_CLASS(TDBDataSet)
    explicit TDBDataSet(TComponent* AOwner);
    ~TDBDataSet() override;

    const AnsiString& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const AnsiString& Value);
    // True when the file could only be opened for reading: rows can be viewed, every write fails
    // with a read-only EEngineError.
    bool ReadOnlyDatabase();

  protected:
    TSqliteDatabase& Database();  // connects on first use; EDatabaseError naming the file
    std::shared_ptr<TSqliteDatabase> FDatabase;

  private:
    friend class TTransaction;
    friend std::shared_ptr<TSqliteDatabase> ConnectionOf(TDBDataSet& DataSet);
    AnsiString FDatabaseName;
};

// One transaction on a data set's database, shared by every data set of the process on that
// database. The write lock is taken at once (waiting up to the busy timeout), so what is read
// inside it stays true until Commit. Destroyed without Commit, it rolls back.
class TTransaction {
  public:
    explicit TTransaction(TDBDataSet& DataSet);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();

  private:
    std::shared_ptr<TSqliteDatabase> FDb;
    bool FOpen = false;
};

// How long a statement waits for another process's lock before it fails (5 s unless set).
void SetBusyTimeout(int Milliseconds);

// Equality conditions that an owner promises about its OnFilterRecord: every row the handler
// accepts has exactly these texts in these fields.
struct TFilterKey {
    AnsiString FieldName;
    AnsiString Value;
};
using TFilterKeysEvent = std::function<void(TDataSet* DataSet, std::vector<TFilterKey>& Keys)>;

// A table of the database, rows in the order they were stored (by row id). A missing table is
// created from the persistent data fields or, without them, from FieldDefs.
class TTable : public TDBDataSet {
    AGENDIX_CLASS(TTable)
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    const AnsiString& TableName() const { return FTableName; }
    void SetTableName(const AnsiString& Value);
    TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
    bool Exists();
    void CreateTable();  // from the persistent data fields or FieldDefs; nothing when it exists

    // Optional, for speed only. When Filtered and assigned, it is asked at each Open for keys; the
    // engine then reads only the rows holding those texts (through an index it creates on those
    // fields) and still asks OnFilterRecord about each of them, so what is visible stays what the
    // handler decides, as long as the promise holds. A key with an empty text narrows nothing (the
    // text of NULL is empty too); when the first key is empty and no row lacks that field's text,
    // nothing is read at all.
    TFilterKeysEvent OnFilterKeys;

  protected:
    std::unique_ptr<TRowSource> OpenRows() override;
    int64_t InsertRow(
        const std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>& Values) override;
    // Both write only while the row still holds every value that was read.
    void UpdateRow(int64_t RowId, const TValues& Original, const TValues& Values) override;
    void DeleteRow(int64_t RowId, const TValues& Original) override;

  private:
    TCollection* FieldDefsItems() const { return FFieldDefs.get(); }
    void CreateTableIn(TSqliteDatabase& Db);
    AnsiString FTableName;
    std::unique_ptr<TFieldDefs> FFieldDefs;
};

// One row of a query as ForEachRow hands it over: column texts as the engine stores them, valid
// until the next row.
class TRowView {
  public:
    virtual ~TRowView() = default;
    virtual std::string_view Text(int Column) const = 0;  // empty for NULL
    virtual int64_t Integer(int Column) const = 0;
};

// A SQL text run on the database with its parameters; its rows are read-only. ":Name" marks a
// parameter; one without a value is bound as NULL, so comparisons with it match no row.
class TQuery : public TDBDataSet {
    AGENDIX_CLASS(TQuery)
    explicit TQuery(TComponent* AOwner);
    ~TQuery() override;

    TStrings* SQL() const { return FSQL.get(); }
    TParams* Params() const { return FParams.get(); }
    TParam* ParamByName(const AnsiString& Name) const { return FParams->ParamByName(Name); }
    int ParamCount() const { return FParams->Count(); }
    void ExecSQL();  // runs a statement that returns no rows, in a transaction of its own
    int RowsAffected() const { return FRowsAffected; }  // by the last ExecSQL
    // Runs the SQL text and hands each row to Row without holding it, for readers of many rows
    // that keep them in a form of their own; the data set stays closed.
    void ForEachRow(const std::function<void(const TRowView& Row)>& Row);
    bool CanModify() const override { return false; }
    void Loaded() override;

  protected:
    std::unique_ptr<TRowSource> OpenRows() override;

  private:
    TCollection* ParamsItems() const { return FParams.get(); }
    void SQLChanged();
    std::unique_ptr<TStringList> FSQL;
    std::unique_ptr<TParams> FParams;
    int FRowsAffected = 0;
};

// Registers the store's classes with the form reader: TTable, TQuery, TDataSource, TStringField,
// TIntegerField.
void RegisterStoreClasses();
