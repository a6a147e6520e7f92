#include "caldav/SyncState.h"

#include "store/DBTables.h"

namespace Sync {

namespace {
const char* const CreateRows =
    "CREATE TABLE IF NOT EXISTS \"Agendix.Sync\" (Href TEXT PRIMARY KEY, Target TEXT NOT NULL, Uid TEXT NOT "
    "NULL, ETag TEXT NOT NULL, "
    "Agreed TEXT NOT NULL, Skipped INTEGER NOT NULL)";
const char* const CreateCollection =
    "CREATE TABLE IF NOT EXISTS \"Agendix.SyncCollection\" (Url TEXT NOT NULL, SyncToken TEXT NOT NULL, "
    "CTag TEXT NOT NULL)";
}  // namespace

TSyncState::TSyncState(const std::string& DatabaseName, const std::string& Url)
    : FQuery(std::make_unique<TQuery>(nullptr)), FUrl(Url) {
    FQuery->SetDatabaseName(DatabaseName);
    Exec(CreateRows, {});
    Exec(CreateCollection, {});

    FQuery->SQL()->SetText("SELECT Url, SyncToken, CTag FROM \"Agendix.SyncCollection\"");
    FQuery->Open();
    bool Same = !FQuery->Eof() && FQuery->FieldByName("Url")->AsString() == Url;
    if (Same) {
        FToken = FQuery->FieldByName("SyncToken")->AsString();
        FCTag = FQuery->FieldByName("CTag")->AsString();
    }
    bool Any = !FQuery->Eof();
    FQuery->Close();
    if (Any && !Same) {
        // Another calendar: what was agreed with the old one says nothing about this one.
        TTransaction T(*FQuery);
        Exec("DELETE FROM \"Agendix.Sync\"", {});
        Exec("DELETE FROM \"Agendix.SyncCollection\"", {});
        T.Commit();
        return;
    }
    FQuery->SQL()->SetText("SELECT Href, Target, Uid, ETag, Agreed, Skipped FROM \"Agendix.Sync\"");
    FQuery->Open();
    for (FQuery->First(); !FQuery->Eof(); FQuery->Next()) {
        TAgreement A{
            FQuery->FieldByName("Href")->AsString(),   FQuery->FieldByName("Target")->AsString(),
            FQuery->FieldByName("Uid")->AsString(),    FQuery->FieldByName("ETag")->AsString(),
            FQuery->FieldByName("Agreed")->AsString(), FQuery->FieldByName("Skipped")->AsString() == "1"};
        FUids[A.Uid] = A.Href;
        FRows[A.Href] = std::move(A);
    }
    FQuery->Close();
}

TSyncState::~TSyncState() = default;

void TSyncState::Exec(const std::string& Sql, const std::vector<std::string>& Values) {
    FQuery->SQL()->SetText(Sql);
    for (size_t I = 0; I < Values.size(); ++I)
        FQuery->ParamByName("P" + std::to_string(I))->SetAsString(Values[I]);
    FQuery->ExecSQL();
}

const TAgreement* TSyncState::ByHref(const std::string& Path) const {
    auto It = FRows.find(Path);
    return It == FRows.end() ? nullptr : &It->second;
}

const TAgreement* TSyncState::ByUid(const std::string& Uid) const {
    auto It = FUids.find(Uid);
    return It == FUids.end() ? nullptr : ByHref(It->second);
}

void TSyncState::Record(const std::string& Path, TAgreement Row) {
    Row.Href = Path;
    if (auto Old = FRows.find(Path); Old != FRows.end() && FUids[Old->second.Uid] == Path)
        FUids.erase(Old->second.Uid);
    FUids[Row.Uid] = Path;
    FPending[Path] = Row;
    FRows[Path] = std::move(Row);
}

void TSyncState::Forget(const std::string& Path) {
    auto Old = FRows.find(Path);
    if (Old == FRows.end()) return;
    if (auto U = FUids.find(Old->second.Uid); U != FUids.end() && U->second == Path) FUids.erase(U);
    FRows.erase(Old);
    FPending[Path] = std::nullopt;
}

void TSyncState::SetCollection(const std::string& Token, const std::string& CTag) {
    FToken = Token;
    FCTag = CTag;
    FCollectionChanged = true;
}

void TSyncState::Flush() {
    if (FPending.empty() && !FCollectionChanged) return;
    TTransaction T(*FQuery);
    for (const auto& [Path, Row] : FPending) {
        if (Row)
            Exec(
                "INSERT OR REPLACE INTO \"Agendix.Sync\" (Href, Target, Uid, ETag, Agreed, Skipped) "
                "VALUES (:P0, :P1, :P2, :P3, :P4, :P5)",
                {Path, Row->Target, Row->Uid, Row->ETag, Row->Agreed, Row->Skipped ? "1" : "0"});
        else
            Exec("DELETE FROM \"Agendix.Sync\" WHERE Href = :P0", {Path});
    }
    if (FCollectionChanged) {
        Exec("DELETE FROM \"Agendix.SyncCollection\"", {});
        Exec("INSERT INTO \"Agendix.SyncCollection\" (Url, SyncToken, CTag) VALUES (:P0, :P1, :P2)",
             {FUrl, FToken, FCTag});
    }
    T.Commit();
    FPending.clear();
    FCollectionChanged = false;
}

}  // namespace Sync
