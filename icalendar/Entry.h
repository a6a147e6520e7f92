#pragma once
#include <compare>
#include <cstdint>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

// Entries as iCalendar sees them: the eight texts of a schedule row, the memo's text, and what
// we keep beside the row to know the entry again (its UID and modification times).
namespace ICalendar {

// A calendar day; ordered, so that ranges compare.
struct TCalDay {
    int Year = 0, Month = 0, Day = 0;
    auto operator<=>(const TCalDay&) const = default;
};

// A day from "YYYY-MM-DD"; false for anything else or a day that does not exist.
bool ParseCalDay(const AnsiString& Text, TCalDay& Day);
AnsiString CalDayText(const TCalDay& Day);  // "YYYY-MM-DD"

// A closed range of days; an unset end is open.
struct TDayRange {
    bool HasFrom = false, HasTo = false;
    TCalDay From, To;
    bool Contains(const TCalDay& D) const { return (!HasFrom || !(D < From)) && (!HasTo || !(To < D)); }
};

// One schedule row's eight texts, exactly as stored, and the memo text (UTF-8, lines joined by
// "\n"; a memo file ending in a line break gives a text ending in "\n").
struct TEntry {
    AnsiString Year, Month, Day, Time, StartTime, EndTime, TiTle, MemoFile;
    AnsiString Memo;
    bool operator==(const TEntry&) const = default;
};

// What is kept about an entry beside its row. Occurrence is empty for a single event, and for an
// occurrence of a recurring event its start as a UTC (or floating) iCalendar date-time, the
// RECURRENCE-ID of that occurrence. Times are iCalendar UTC date-times ("20240501T093000Z").
struct TEntryId {
    int64_t Row = 0;  // rowid of the schedule row
    AnsiString Uid;
    AnsiString Occurrence;
    AnsiString Created;
    AnsiString LastModified;
};

struct TStoredEntry {
    TEntry Entry;
    TEntryId Id;
};

// The file is not iCalendar, or cannot be read at all.
class EICalendarError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace ICalendar
