#include "store/DBTables.h"
#include "store/Database.h"

const TClassInfo& TTable::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TTable>("TTable", &TDBDataSet::StaticClassInfo())
                                       .Creatable()
                                       .Inherit({"Active", "DatabaseName", "Filtered"})
                                       .Str("TableName", &TTable::TableName, &TTable::SetTableName)
                                       .Inherit({"OnFilterRecord"})
                                       .Items("FieldDefs", &TTable::FieldDefsItems)
                                       .Inherit({"OnCalcFields"})
                                       .Event("OnFilterKeys", &TTable::OnFilterKeys)
                                       .Build();
    return Info;
}

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner), FFieldDefs(std::make_unique<TFieldDefs>()) {}

TTable::~TTable() = default;

void TTable::SetTableName(const AnsiString& Value) {
    if (Value == FTableName) return;
    CheckInactive();
    FTableName = Value;
}

bool TTable::Exists() {
    return Database().TableExists(FTableName);
}

void TTable::CreateTable() {
    TSqliteDatabase& Db = Database();
    if (!Db.TableExists(FTableName)) CreateTableIn(Db);
}

void TTable::CreateTableIn(TSqliteDatabase& Db) {
    std::vector<std::string> Columns;
    auto Column = [](const AnsiString& Name, TFieldType Type, int Size) {
        bool Integer = Type == ftInteger || Type == ftSmallint || Type == ftWord || Type == ftAutoInc;
        if (Integer) return QuoteIdent(Name) + " INTEGER";
        return QuoteIdent(Name) + (Size > 0 ? " TEXT(" + std::to_string(Size) + ")" : std::string(" TEXT"));
    };
    if (HasPersistentFields()) {
        for (int I = 0; I < FieldCount(); ++I) {
            TField* F = Fields()->Fields(I);
            if (F->FieldKind() == fkData) Columns.push_back(Column(F->FieldName(), F->DataType(), F->Size()));
        }
    } else {
        for (int I = 0; I < FFieldDefs->Count(); ++I) {
            TFieldDef* D = FFieldDefs->Items(I);
            Columns.push_back(Column(D->Name(), D->DataType(), D->Size()));
        }
    }
    if (Columns.empty())
        Error("Table '" + FTableName + "' does not exist in " + Db.Path() +
              " and has no fields to be created with");
    std::string Sql = "CREATE TABLE IF NOT EXISTS " + QuoteIdent(FTableName) + " (";
    for (size_t I = 0; I < Columns.size(); ++I) Sql += (I ? ", " : "") + Columns[I];
    Db.Exec(Sql + ")");
}

namespace {
// The columns of a statement that is not run: a filtered open that no row can pass.
class TNoRows : public TRowSource {
  public:
    explicit TNoRows(std::unique_ptr<TRowSource> Columns) : FColumns(std::move(Columns)) {}
    int ColumnCount() const override { return FColumns->ColumnCount(); }
    AnsiString ColumnName(int Column) const override { return FColumns->ColumnName(Column); }
    TFieldType ColumnType(int Column, int& Size) const override { return FColumns->ColumnType(Column, Size); }
    bool Step() override { return false; }
    bool IsNull(int) const override { return true; }
    AnsiString Text(int) const override { return AnsiString(); }
    bool IsInteger(int) const override { return false; }

  private:
    std::unique_ptr<TRowSource> FColumns;
};
}  // namespace

std::unique_ptr<TRowSource> TTable::OpenRows() {
    if (FTableName.empty()) Error("No table name given");
    TSqliteDatabase& Db = Database();
    std::vector<AnsiString> Selected;  // empty: every column of the table
    for (int I = 0; HasPersistentFields() && I < FieldCount(); ++I)
        if (Fields()->Fields(I)->FieldKind() == fkData) Selected.push_back(Fields()->Fields(I)->FieldName());
    std::vector<TFilterKey> Keys;
    if (Filtered() && OnFilterRecord && OnFilterKeys) {
        OnFilterKeys(this, Keys);
        for (auto& K : Keys)
            if (K.FieldName.empty()) Keys.clear();
    }
    // An empty text also stands for NULL, which an equality cannot match: such a key narrows
    // nothing in the statement and is left to the handler.
    auto Narrowing = [&](const TFilterKey& K) { return !K.Value.empty(); };
    auto Sql = [&] {
        std::string S = "SELECT rowid";
        for (auto& Name : Selected) S += ", " + QuoteIdent(Name);
        if (Selected.empty()) S += ", *";
        S += " FROM " + QuoteIdent(FTableName);
        int N = 0;
        for (auto& K : Keys) {
            if (!Narrowing(K)) continue;
            S += (N ? " AND " : " WHERE ") + QuoteIdent(K.FieldName) + " = ?" + std::to_string(N + 1);
            ++N;
        }
        return S + " ORDER BY rowid";
    };

    // The statement stays prepared from one Open to the next; only when it does not prepare are
    // the table and its columns looked at, to create the table or to say what is missing.
    std::unique_ptr<TStatement> Stmt = TStatement::TryPrepare(Db, Sql());
    if (!Stmt) {
        if (!Db.TableExists(FTableName)) CreateTableIn(Db);
        std::vector<TColumnInfo> Cols = Db.TableColumns(FTableName);
        auto Has = [&](const AnsiString& Name) {
            for (auto& C : Cols)
                if (SameName(C.Name, Name)) return true;
            return false;
        };
        for (auto& Name : Selected)
            if (!Has(Name)) Error("Field '" + Name + "' not found in table '" + FTableName + "'");
        for (auto& K : Keys)
            if (!Has(K.FieldName)) Keys.clear();
        Stmt = std::make_unique<TStatement>(Db, Sql());
    }
    if (Keys.empty()) return StatementRows(std::move(Stmt), true);

    std::vector<AnsiString> KeyCols;
    for (auto& K : Keys) KeyCols.push_back(K.FieldName);
    Db.EnsureIndex(FTableName, KeyCols);
    // The first key leads the index. When it is empty, only rows without that text could pass:
    // two probes of the index tell whether there are any, and usually there are none (the data
    // module opens its table before the main window has a date).
    if (!Narrowing(Keys[0])) {
        std::string Table = QuoteIdent(FTableName), Key = QuoteIdent(Keys[0].FieldName);
        auto Probe = TStatement::TryPrepare(Db, "SELECT EXISTS (SELECT 1 FROM " + Table + " WHERE " + Key +
                                                    " IS NULL) OR EXISTS (SELECT 1 FROM " + Table +
                                                    " WHERE " + Key + " = '')");
        if (Probe && Probe->Step() && Probe->ColumnInt(0) == 0)
            return std::make_unique<TNoRows>(StatementRows(std::move(Stmt), true));
    }
    int N = 0;
    for (auto& K : Keys)
        if (Narrowing(K)) Stmt->BindText(++N, K.Value);
    return StatementRows(std::move(Stmt), true);
}

int64_t TTable::InsertRow(
    const std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>& Values) {
    TSqliteDatabase& Db = *FDatabase;
    std::string Sql = "INSERT INTO " + QuoteIdent(FTableName);
    if (Values.empty()) {
        Sql += " DEFAULT VALUES";
    } else {
        std::string Names, Marks;
        for (size_t I = 0; I < Values.size(); ++I) {
            Names += (I ? ", " : "") + QuoteIdent(Values[I].first->FieldName());
            Marks += (I ? ", ?" : "?") + std::to_string(I + 1);
        }
        Sql += " (" + Names + ") VALUES (" + Marks + ")";
    }
    TStatement S(Db, Sql);
    for (size_t I = 0; I < Values.size(); ++I) S.BindValue(static_cast<int>(I + 1), *Values[I].second);
    S.Run();
    return Db.LastInsertRowId();
}

namespace {
// " AND CAST(col AS TEXT) IS ?n ..." for the row as read: a row another writer changed, or a row
// id that now belongs to another row, matches no longer. CAST reads a value of any storage class
// as the text the data set saw.
std::string SameAsRead(const TDataSet::TValues& Original, int First) {
    std::string Sql;
    for (size_t I = 0; I < Original.size(); ++I)
        Sql += " AND CAST(" + QuoteIdent(Original[I].first->FieldName()) + " AS TEXT) IS ?" +
               std::to_string(First + I);
    return Sql;
}

void BindOriginal(TStatement& S, const TDataSet::TValues& Original, int First) {
    for (size_t I = 0; I < Original.size(); ++I)
        S.BindValue(static_cast<int>(First + I), *Original[I].second);
}
}  // namespace

void TTable::UpdateRow(int64_t RowId, const TValues& Original, const TValues& Values) {
    TSqliteDatabase& Db = *FDatabase;
    std::string Sql = "UPDATE " + QuoteIdent(FTableName) + " SET ";
    for (size_t I = 0; I < Values.size(); ++I)
        Sql += (I ? ", " : "") + QuoteIdent(Values[I].first->FieldName()) + " = ?" + std::to_string(I + 1);
    int Key = static_cast<int>(Values.size()) + 1;
    Sql += " WHERE rowid = ?" + std::to_string(Key) + SameAsRead(Original, Key + 1);
    TStatement S(Db, Sql);
    for (size_t I = 0; I < Values.size(); ++I) S.BindValue(static_cast<int>(I + 1), *Values[I].second);
    S.BindInt(Key, RowId);
    BindOriginal(S, Original, Key + 1);
    S.Run();
    if (Db.Changes() == 0)
        throw ERecordChanged(Name() +
                             ": the row was changed or deleted by another writer; nothing was written");
}

void TTable::DeleteRow(int64_t RowId, const TValues& Original) {
    TStatement S(*FDatabase,
                 "DELETE FROM " + QuoteIdent(FTableName) + " WHERE rowid = ?1" + SameAsRead(Original, 2));
    S.BindInt(1, RowId);
    BindOriginal(S, Original, 2);
    S.Run();
    if (FDatabase->Changes() == 0)
        throw ERecordChanged(Name() +
                             ": the row was changed or deleted by another writer; nothing was deleted");
}
