#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQuery;

// What the last sync agreed with the server, in tables of our own in the schedule's database file:
// "Agendix.Sync" holds one row per server resource (href, its ETag, the UID of the entry made from
// it and the entry's texts as agreed), "Agendix.SyncCollection" the collection's address with its
// sync token and ctag. State for another address is forgotten when the address changes.
namespace Sync {

struct TAgreement {
    std::string Href;    // the resource's path, decoded: the key
    std::string Target;  // the href requests go to, as the server spells it
    std::string Uid;
    std::string ETag;
    std::string Agreed;    // the entry's texts at the agreement (see EntryText)
    bool Skipped = false;  // an event no entry can hold: left alone on the server
};

class TSyncState {
  public:
    TSyncState(const std::string& DatabaseName, const std::string& Url);
    ~TSyncState();

    const std::string& SyncToken() const { return FToken; }
    const std::string& CTag() const { return FCTag; }
    const std::map<std::string, TAgreement>& Rows() const { return FRows; }  // by href path
    const TAgreement* ByHref(const std::string& Path) const;
    const TAgreement* ByUid(const std::string& Uid) const;

    // Changes are kept in memory and written by Flush, in one transaction.
    void Record(const std::string& Path, TAgreement Row);
    void Forget(const std::string& Path);
    void SetCollection(const std::string& Token, const std::string& CTag);
    void Flush();
    size_t Pending() const { return FPending.size(); }

  private:
    void Exec(const std::string& Sql, const std::vector<std::string>& Values);
    std::unique_ptr<TQuery> FQuery;
    std::string FUrl, FToken, FCTag;
    bool FCollectionChanged = false;
    std::map<std::string, TAgreement> FRows;
    std::map<std::string, std::string> FUids;                   // uid -> href path
    std::map<std::string, std::optional<TAgreement>> FPending;  // empty: forget
};

}  // namespace Sync
