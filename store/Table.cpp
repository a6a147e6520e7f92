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

bool TTable::Exists() { return Database().TableExists(FTableName); }

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
        Error("Table '" + FTableName + "' does not exist in " + Db.Path() + " and has no fields to be created with");
    std::string Sql = "CREATE TABLE IF NOT EXISTS " + QuoteIdent(FTableName) + " (";
    for (size_t I = 0; I < Columns.size(); ++I) Sql += (I ? ", " : "") + Columns[I];
    Db.Exec(Sql + ")");
}

std::unique_ptr<TRowSource> TTable::OpenRows() {
    if (FTableName.empty()) Error("No table name given");
    TSqliteDatabase& Db = Database();
    if (!Db.TableExists(FTableName)) CreateTableIn(Db);
    std::vector<TColumnInfo> TableCols = Db.TableColumns(FTableName);
    auto FindColumn = [&](const AnsiString& Name) -> const TColumnInfo* {
        for (auto& C : TableCols)
            if (AnsiCompareText(C.Name, Name) == 0) return &C;
        return nullptr;
    };

    std::vector<AnsiString> Selected;
    if (HasPersistentFields()) {
        for (int I = 0; I < FieldCount(); ++I) {
            TField* F = Fields()->Fields(I);
            if (F->FieldKind() != fkData) continue;
            const TColumnInfo* C = FindColumn(F->FieldName());
            if (!C) Error("Field '" + F->FieldName() + "' not found in table '" + FTableName + "'");
            Selected.push_back(C->Name);
        }
    } else {
        for (auto& C : TableCols) Selected.push_back(C.Name);
    }

    std::vector<TFilterKey> Keys;
    if (Filtered() && OnFilterRecord && OnFilterKeys) {
        OnFilterKeys(this, Keys);
        for (auto& K : Keys) {
            const TColumnInfo* C = FindColumn(K.FieldName);
            // An empty text would also have to match NULL, which an equality cannot: read all.
            if (!C || K.Value.empty()) {
                Keys.clear();
                break;
            }
            K.FieldName = C->Name;
        }
    }

    std::string Sql = "SELECT rowid";
    for (auto& Name : Selected) Sql += ", " + QuoteIdent(Name);
    Sql += " FROM " + QuoteIdent(FTableName);
    if (!Keys.empty()) {
        std::vector<AnsiString> KeyCols;
        for (size_t I = 0; I < Keys.size(); ++I) {
            Sql += (I ? " AND " : " WHERE ") + QuoteIdent(Keys[I].FieldName) + " = ?" + std::to_string(I + 1);
            KeyCols.push_back(Keys[I].FieldName);
        }
        Db.EnsureIndex(FTableName, KeyCols);
    }
    Sql += " ORDER BY rowid";
    auto Stmt = std::make_unique<TStatement>(Db, Sql);
    for (size_t I = 0; I < Keys.size(); ++I) Stmt->BindText(static_cast<int>(I + 1), Keys[I].Value);
    return StatementRows(std::move(Stmt), true);
}

int64_t TTable::InsertRow(const std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>& Values) {
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

void TTable::UpdateRow(int64_t RowId,
                       const std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>& Values) {
    TSqliteDatabase& Db = *FDatabase;
    std::string Sql = "UPDATE " + QuoteIdent(FTableName) + " SET ";
    for (size_t I = 0; I < Values.size(); ++I)
        Sql += (I ? ", " : "") + QuoteIdent(Values[I].first->FieldName()) + " = ?" + std::to_string(I + 1);
    Sql += " WHERE rowid = ?" + std::to_string(Values.size() + 1);
    TStatement S(Db, Sql);
    for (size_t I = 0; I < Values.size(); ++I) S.BindValue(static_cast<int>(I + 1), *Values[I].second);
    S.BindInt(static_cast<int>(Values.size() + 1), RowId);
    S.Run();
    if (Db.Changes() == 0) Error("The row was deleted by another user; nothing was written");
}

void TTable::DeleteRow(int64_t RowId) {
    TStatement S(*FDatabase, "DELETE FROM " + QuoteIdent(FTableName) + " WHERE rowid = ?1");
    S.BindInt(1, RowId);
    S.Run();
}
