#include "store/DBTables.h"
#include "store/Database.h"

const TClassInfo& TDBDataSet::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TDBDataSet>("TDBDataSet", &TDataSet::StaticClassInfo())
            .OfferOnly()
            .Str("DatabaseName", &TDBDataSet::DatabaseName, &TDBDataSet::SetDatabaseName)
            .Build();
    return Info;
}

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}
TDBDataSet::~TDBDataSet() = default;

void TDBDataSet::SetDatabaseName(const AnsiString& Value) {
    if (Value == FDatabaseName) return;
    CheckInactive();
    FDatabaseName = Value;
    FDatabase.reset();
}

TSqliteDatabase& TDBDataSet::Database() {
    // Asked at every Open: the connection is shared and kept, but a file replaced on disk gets a
    // new one. Inside a transaction the connection that holds it stays, without asking the file
    // system again at each of thousands of statements.
    if (FDatabase && FDatabase->InTransaction()) return *FDatabase;
    FDatabase = TSqliteDatabase::Connect(FDatabaseName);
    return *FDatabase;
}

void RegisterStoreClasses() {
    RegisterClass(TTable::StaticClassInfo());
    RegisterClass(TQuery::StaticClassInfo());
    RegisterClass(TDataSource::StaticClassInfo());
    RegisterClass(TStringField::StaticClassInfo());
    RegisterClass(TIntegerField::StaticClassInfo());
}
