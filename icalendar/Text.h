#pragma once
#include "platform/rtl/Strings.h"

// Text rules that entries impose on what comes from a calendar file. Internal to icalendar/.
namespace ICalendar {

// Invalid UTF-8 sequences become "?".
AnsiString ValidUtf8(const AnsiString& S);
// CR LF and lone CR become LF.
AnsiString NormalizeBreaks(const AnsiString& S);
// Control characters become spaces.
AnsiString OneLine(const AnsiString& S);
// Characters CP949 cannot hold become "?"; Replaced is set when one did.
AnsiString ReplaceNonCp949(const AnsiString& S, bool& Replaced);
// Width in CP949 bytes of text CP949 holds.
int Cp949Bytes(const AnsiString& S);
// The longest start of S of at most Width CP949 bytes, cut between characters.
AnsiString CutCp949(const AnsiString& S, int Width);
// The memo file name of a slot.
AnsiString MemoName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                    const AnsiString& Time);
// Memo text (LF breaks) as file bytes (CP949, CR LF) and back.
std::string MemoBytes(const AnsiString& Text);
AnsiString MemoText(const std::string& Bytes);

}  // namespace ICalendar

namespace ICalendar {
// The Korean text under a Korean messages locale, else the English one.
const char* Say(const char* Korean, const char* English);
}  // namespace ICalendar
