#pragma once
#include "store/DBTables.h"

// The schedule's own rules, shared by the schedule manager and the tools that read or write its
// entries: where they are kept, how memo files are named, and which texts may be stored.
namespace Schedule {
inline constexpr const char* DatabaseName = "BCDEMOS";
inline constexpr const char* TableName = "Agendix.DB";
// Every memo file lies in this directory.
inline constexpr const char* MemoDirectory = "c:\\Temp\\";
inline constexpr int TitleWidth = 50;

// Year, month, day and slot hour joined, then ".txt". The year always has four digits, and a
// one-digit day after a two-digit month gets a leading zero, so that no two dates share a name:
// 12 January gives 200211209.txt and 2 November 2002110209.txt.
AnsiString MemoFileName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                        const AnsiString& Time);
// A name that stays inside the memo directory: not empty, no path delimiter, no drive, not "." or
// "..", no control character.
bool IsPlainMemoName(const AnsiString& Name);
// No line break, tab or other control character.
bool IsOneLine(const AnsiString& Text);
// "06:00" to "21:30" for the half-hour list's indexes 0 to 31; empty for any other.
AnsiString HalfHourText(int Index);
// Whether the table holds a row for this slot now, whoever wrote it (exact texts).
bool SlotTaken(TTable& Table, const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
               const AnsiString& Time);
}  // namespace Schedule
