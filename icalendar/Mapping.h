#pragma once
#include <functional>
#include <string>
#include <vector>

#include "icalendar/Entry.h"

// Entries to and from iCalendar (RFC 5545) text. Everything here is pure: no database, no files.
namespace ICalendar {

// The user's time zone as an IANA name: TZ, else the system's zone, else "Asia/Seoul".
AnsiString UserTimeZone();

// One VCALENDAR holding the zone's VTIMEZONE and one VEVENT per entry, in the given order.
// Entries without a UID get none assigned here: the store gives every entry its UID. Exported,
// when given, is the number of events written (rows that are no entry are left out).
std::string ExportCalendar(const std::vector<TStoredEntry>& Entries, const AnsiString& Zone,
                           int* Exported = nullptr);

// ExportCalendar's text in parts, so that the events of one calendar can be written on several
// threads (libical shares no state between separate components): the calendar's lines before its
// events (its VTIMEZONE too) and after them; and the events of Count entries from First, whose
// number is added to Exported.
struct TCalendarText {
    std::string Head, Tail;
};
TCalendarText CalendarFrame(const AnsiString& Zone);
std::string ExportEvents(const TStoredEntry* First, size_t Count, const AnsiString& Zone, int& Exported);

// An adjusted or skipped event: who it is and why, in plain words.
struct TEventNote {
    AnsiString Uid;
    AnsiString Start;  // local start "YYYY-MM-DD HH:MM" in the user's zone, or the value as written
    AnsiString Summary;
    AnsiString Reason;
};

// One event (or one occurrence of a recurring event) turned into an entry of the user's zone.
// Entry.MemoFile is already the memo name of its slot. Adjustments lists what was changed to fit
// (snapped times, a cut title, replaced characters), empty when it fitted as it was.
struct TIncoming {
    AnsiString Uid;
    AnsiString Occurrence;    // as in TEntryId
    AnsiString LastModified;  // iCalendar UTC date-time, empty when the event has none
    AnsiString Created;
    TEntry Entry;
    TCalDay Date;
    int Hour = 0;  // slot hour 6..21
    std::vector<AnsiString> Adjustments;
    AnsiString StartText;  // for notes, "YYYY-MM-DD HH:MM"
    AnsiString Summary;    // as written in the file
};

struct TParsedCalendar {
    std::vector<TIncoming> Events;  // in file order, occurrences in time order
    std::vector<TEventNote> Skipped;
};

// Reads every VCALENDAR of the text. Single events are kept when their local date lies in Range;
// recurring events are expanded within Range, which must then be bounded (callers give the default
// window). EICalendarError when the text holds no readable calendar at all.
TParsedCalendar ParseCalendar(const std::string& Text, const TDayRange& Range, const AnsiString& Zone);
// The same, handing the result to Ready before the parsed text's memory is given back (which
// takes a while for a big file), for a caller waiting on another thread.
void ParseCalendar(const std::string& Text, const TDayRange& Range, const AnsiString& Zone,
                   const std::function<void(TParsedCalendar)>& Ready);

// The default window for expanding recurring events: one year back to two years ahead of Today.
TDayRange DefaultRecurrenceWindow(const TCalDay& Today);

}  // namespace ICalendar
