#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "icalendar/Mapping.h"

class TTable;
class TQuery;

// The schedule seen by iCalendar: every row of the schedule table with its memo text and its UID.
//
// UIDs and modification times live in a table of their own ("Agendix.Uid") in the same database
// file, kept right by triggers on the schedule table, so every writer (the program, this tool,
// an older build) gives a new row a UID, stamps an edited row and forgets a deleted one. The
// schedule table itself keeps its eight fields.
namespace ICalendar {

inline constexpr const char* UidTableName = "Agendix.Uid";

enum class TApplyResult { Imported, Updated, Unchanged, Skipped };

struct TApplyOutcome {
    TApplyResult Result = TApplyResult::Skipped;
    AnsiString Reason;  // why it was skipped
};

struct TImportReport {
    int Imported = 0, Updated = 0, Unchanged = 0;
    std::vector<TEventNote> Adjusted, Skipped;
};

class TEntryStore {
  public:
    // Opens the database by name ("BCDEMOS" under XDG_DATA_HOME) and makes sure the schedule
    // table, the UID table and its triggers exist, giving rows without a UID one.
    explicit TEntryStore(const AnsiString& DatabaseName = "BCDEMOS");
    ~TEntryStore();
    TEntryStore(const TEntryStore&) = delete;
    TEntryStore& operator=(const TEntryStore&) = delete;

    // The entries whose date lies in Range, ordered by date and slot hour, memo texts read unless
    // Memos is false.
    std::vector<TStoredEntry> ReadEntries(const TDayRange& Range = {}, bool Memos = true);
    // The entry made from an event (UID and occurrence), if there is one.
    std::optional<TStoredEntry> FindByUid(const AnsiString& Uid, const AnsiString& Occurrence = "");

    // Applies parsed events by the import rules: an event known by UID and occurrence updates its
    // entry (moving it when its slot changed and the new slot is free); an unknown one fills a free
    // slot; a slot holding an entry with another UID is never touched. Each entry's row and memo
    // file change together or not at all. With DryRun nothing is written but the report is the same.
    // Progress is called now and then with (events done, events in all).
    TImportReport Apply(const TParsedCalendar& Parsed, bool DryRun,
                        const std::function<void(size_t, size_t)>& Progress = {});
    // Apply to the events of a calendar text (ParseCalendar in the user's zone), which is parsed
    // on a thread of its own while the stored rows and their memo files are read. EICalendarError
    // when the text is not iCalendar at all; nothing is written then.
    TImportReport Import(const std::string& Text, const TDayRange& Range, bool DryRun,
                         const std::function<void(size_t, size_t)>& Progress = {});
    // One event by the same rules, in a transaction of its own.
    TApplyOutcome ApplyOne(const TIncoming& Event);

    // Deletes the entry made from an event; its memo file stays, as when the user deletes it.
    // False when there is none. ERecordChanged-like EDatabaseError when it changed meanwhile.
    bool DeleteByUid(const AnsiString& Uid, const AnsiString& Occurrence = "");

  private:
    struct TState;
    struct TPrefetch;
    TImportReport Apply(const TParsedCalendar& Parsed, bool DryRun,
                        const std::function<void(size_t, size_t)>& Progress, TPrefetch* Read);
    std::unique_ptr<TState> F;
};

// Export and import of a whole file, as the command-line tool and the window do them.
struct TExportResult {
    int Exported = 0;
    std::string Text;
};
TExportResult ExportEntries(TEntryStore& Store, const TDayRange& Range, const AnsiString& Zone);

// EICalendarError when Text is not iCalendar at all; nothing is written then. Range empty:
// single events of any date, recurring ones in the default window of today.
TImportReport ImportText(TEntryStore& Store, const std::string& Text, const TDayRange& Range, bool DryRun,
                         const std::function<void(size_t, size_t)>& Progress = {});

// {"exported": N} and {"imported": N, "updated": N, "unchanged": N, "adjusted": [...], "skipped": [...]}
std::string ExportJson(int Exported);
std::string ImportJson(const TImportReport& Report);
// One line for people, Korean when Korean is true.
AnsiString ExportSummary(int Exported, bool Korean);
AnsiString ImportSummary(const TImportReport& Report, bool DryRun, bool Korean);
// True when the user's messages locale (LC_ALL, LC_MESSAGES, LANG) is Korean.
bool KoreanLocale();
// Reasons in reports are in the user's language; a program with a Korean window asks for Korean.
void UseKoreanReasons(bool Korean);

}  // namespace ICalendar
