#pragma once
#include <functional>
#include <string>
#include <vector>

#include "caldav/CalDavClient.h"
#include "icalendar/EntryStore.h"

// Two-way sync of the schedule with one CalDAV calendar collection.
namespace Sync {

struct TConflict {
    ICalendar::TEventNote Event;  // the entry; Reason says which side won
    bool LocalWon = false;
    std::string Kept;  // the losing version, an .ics file under <data folder>/conflicts/
};

struct TSyncReport {
    int Pushed = 0, Pulled = 0, DeletedRemote = 0, DeletedLocal = 0;
    std::vector<TConflict> Conflicts;
    std::vector<ICalendar::TEventNote> Skipped;
};

// (steps done, steps in all); the total can grow once the server's changes are known.
using TSyncProgress = std::function<void(size_t, size_t)>;

// Makes the schedule and the collection agree, in one run:
// - only what changed since the last agreement is read and written (sync token, else ctag and ETags);
// - writes are conditional (If-Match / If-None-Match: *); a 412 is a conflict to resolve, never an overwrite;
// - changed on both sides: the later change wins, the other is kept as an .ics file and reported;
// - a deletion on one side deletes on the other only when the other did not change the entry;
// - events an entry cannot hold stay untouched on the server and are reported as skipped.
// ECalDavError ends the run; every local write before it is complete and recorded, so the next
// run goes on from there.
TSyncReport Synchronize(TCalDavClient& Client, ICalendar::TEntryStore& Store,
                        const TSyncProgress& Progress = {}, const std::string& DatabaseName = "BCDEMOS");

// {"pushed": N, "pulled": N, "deleted_remote": N, "deleted_local": N, "conflicts": [...], "skipped": [...]}
std::string SyncJson(const TSyncReport& Report);
// One line for people, Korean when Korean is true.
std::string SyncSummary(const TSyncReport& Report, bool Korean);

// The texts of an entry as one string, to compare entries with what was agreed.
std::string EntryText(const ICalendar::TEntry& Entry);

}  // namespace Sync
